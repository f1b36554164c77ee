#pragma once

#include <QFlags>
#include <QPair>
#include <QObject>

// Which user commands are possible right now. The acquisition keeps the set as state
// and announces every change; the window mirrors it onto its toolbar actions.
class ActionSet : public QObject
{
    Q_OBJECT

public:
    enum Action {
        Open = 0x1,
        New = 0x2,
        Save = 0x4,
        Configuration = 0x8,
        Wifi = 0x10,
        Start = 0x20,
        Stop = 0x40,
        Record = 0x80,
        Exit = 0x100,
        // Deleting a file: off while recording, so the trace being written stays.
        DeleteConfig = 0x200,
        DeleteData = 0x400,
        // Setting a marker in the trace: on only while recording.
        Marker = 0x800,
    };
    Q_DECLARE_FLAGS(Actions, Action)
    Q_FLAG(Actions)

    explicit ActionSet(QObject *parent = nullptr);

    // Each argument: 1 = enable, 0 = disable, -1 = leave as it is.
    void set(int open, int newConf, int save, int configuration, int wifi, int start, int stop, int record,
             int exit = -1);
    void setEnabled(Action action, bool on);
    // While recording: both delete actions off and Marker on; otherwise the reverse.
    void setRecording(bool recording);

    Actions enabled() const { return current; }
    bool isEnabled(Action action) const { return current.testFlag(action); }

signals:
    void changed(ActionSet::Actions enabled);

private:
    void apply(Actions next);

    // As after construction: a device may be searched for and configured.
    Actions current = Actions(Open | New | Exit | DeleteConfig | DeleteData);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(ActionSet::Actions)
