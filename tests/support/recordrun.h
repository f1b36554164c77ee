#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// One run of kestrova-record as built, with its own home folder (where the default
// traces go) and no display.
class RecordRun
{
public:
    explicit RecordRun(const QString &home);

    void start(const QStringList &arguments);
    // Starts `program` with `arguments` in the same environment (a wrapper around the
    // program, for example).
    void startWrapped(const QString &wrapper, const QStringList &arguments);
    static QString program();

    // Waits until standard error holds `text`; false when it does not in time or the
    // program ended.
    bool waitForError(const QByteArray &text, int timeoutMs);
    void signal(int number);
    // The exit code once the program has ended, -1 when it did not end in time.
    int finish(int timeoutMs = 60000);
    // The trace file named by the last line on standard output.
    QString summaryFile() const;
    // Both outputs, for a failure message.
    QString describe() const;

    QProcess process;
    QByteArray output, error;
};
