#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

// Answers every modal dialog and message box the window under test opens inside its
// own event loop, and keeps their texts. Message boxes get the most cautious button
// they offer (Retry, No, Discard, Cancel, Ok, Yes) unless `onBox` says otherwise;
// other dialogs are accepted unless `onDialog` says otherwise.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    ModalAnswerer();

    QStringList texts;                                  // "title|text" of every box answered
    QStringList dialogs;                                // class names of the other dialogs
    std::function<bool(QWidget *)> onBox;               // true when it answered the box itself
    std::function<bool(QWidget *)> onDialog;            // true when it answered the dialog itself

    bool seen(const QString &part) const;

private slots:
    void poll();

private:
    QTimer timer;
};
