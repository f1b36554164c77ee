#pragma once

#include "acquisition/acquisitionevent.h"

#include <QByteArray>
#include <QObject>

class myAdw;

// Reads the device's network record, has it edited and writes it back, one step per
// tick of the acquisition timer (states 0 to 5). The edit is a question to the front
// end: editRequested shows the record, answerEdit brings the result; ticks go on
// meanwhile and the task waits.
class WifiConfigTask : public QObject
{
    Q_OBJECT

public:
    explicit WifiConfigTask(QObject *parent = nullptr);

    void request();
    bool isPending() const { return pending; }
    int state() const { return taskState; }
    // The periodic channel-count poll is off while the record is read, edited and written.
    bool countPollEnabled() const { return pollEnabled; }

    // One step over `link`; returns the interval in ms until the next step.
    int step(myAdw &link, bool overUdp);
    // The device's answer to the memory read.
    void takeMemory(const QByteArray &bytes);
    // The edited record, or empty when there is nothing to write (cancelled, invalid).
    void answerEdit(const QByteArray &record);
    // A run cut off by losing the device ends here: its half-done write would reach a
    // device that never got the write command.
    void abandon();

signals:
    void message(Acquisition::Event event, const QString &text);
    void editRequested(const QByteArray &record);

private:
    enum class Edit { None, Waiting, Answered };

    int requestRecord(myAdw &link);
    int editRecord(bool overUdp);
    int takeEdit();
    int announceWrite(myAdw &link);
    int sendRecord(myAdw &link, bool overUdp);
    int saveWritten();
    int finish();
    void save(const QByteArray &bytes);

    bool pending = false;
    int taskState = 0;
    bool pollEnabled = true;
    QByteArray memRaw;
    bool memRawReceived = false;
    Edit edit = Edit::None;
    QByteArray edited;
};
