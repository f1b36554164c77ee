#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

// Answers every modal box and dialog the window opens in its own event loop and keeps
// their texts. A box gets its most cautious button (Retry, No, Discard, Cancel, Ok, Yes)
// and a dialog is accepted, unless `onBox` or `onDialog` answered it (returned true).
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    ModalAnswerer();
    bool seen(const QString &part) const { return !texts.filter(part).isEmpty(); }

    QStringList texts;                                  // "title|text" of every box
    QStringList dialogs;                                // class names of the other dialogs
    std::function<bool(QWidget *)> onBox, onDialog;

private:
    void poll();
    QTimer timer;
};
