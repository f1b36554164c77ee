#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// One run of a program as built (kestrova-record, or Kestrova with its window on a display
// of its own, Xvfb, driven by key presses through xdotool), with its own home folder,
// where its traces go. The caller may add to process's environment before starting.
class ProgramRun
{
public:
    // Empty when Xvfb and xdotool are installed, else which of them is missing.
    static QString missingWindowTools();
    static QString program(const QString &name) { return QStringLiteral(KESTROVA_BIN_DIR "/") + name; }

    explicit ProgramRun(const QString &home);
    ~ProgramRun();   // kills the program if it still runs, then ends the display

    void start(const QString &program, const QStringList &arguments) { process.start(program, arguments); }
    void startRecord(const QStringList &arguments) { start(program("kestrova-record"), arguments); }
    // Starts the display and Kestrova; false when its window did not show.
    bool startWindow(const QStringList &arguments);
    // Waits until standard error holds `text`; false when it does not in time or the program ended.
    bool waitForError(const QByteArray &text, int timeoutMs);
    bool press(const QString &key);   // xdotool's name of the key, "F7"
    void signal(int number);
    // The exit code once the program has ended, -1 when it did not end in time or crashed.
    int finish(int timeoutMs = 60000);
    // The trace named by the last line on standard output.
    QString summaryFile() const { return QString::fromLocal8Bit(output.trimmed()).section(':', 0, 0); }
    QString newestTrace() const;   // in the home's traces folder; empty when there is none
    QString describe() const;      // what went wrong and both outputs, for a failure message

    QProcess process;
    QByteArray output, error;

private:
    QString xdotool(const QStringList &arguments, bool *ok = nullptr) const;

    QString home, displayName, window, problem;
    QProcess display;
};
