#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <queue>

class QWidget;

// Answers the modal dialogs and message boxes a window opens inside its own event loop,
// in the order they are expected.
class ModalHandler : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(QWidget *)>;

    ModalHandler();
    void expect(Handler handler) { pending.push(std::move(handler)); }
    int handled() const { return handledCount; }
    bool idle() const { return pending.empty(); }
    QStringList texts;  // class name and text of every modal widget answered

    // Common answers.
    static void accept(QWidget *w);
    static void reject(QWidget *w);

private slots:
    void poll();

private:
    QTimer timer;
    std::queue<Handler> pending;
    QWidget *last = nullptr;
    int handledCount = 0;
};
