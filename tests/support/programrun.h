#pragma once

#include <QProcess>

// One run of a program as built (kestrova-record, or Kestrova with its window on a display
// of its own, Xvfb, driven by key presses through xdotool) with its own home folder, where
// its traces go. The caller may add to process's environment before starting.
class ProgramRun
{
public:
    static QString missingWindowTools();   // empty when Xvfb and xdotool are installed
    static QString program(const QString &name) { return QStringLiteral(KESTROVA_BIN_DIR "/") + name; }

    explicit ProgramRun(const QString &home);
    ~ProgramRun();   // kills the program if it still runs, and the display

    void start(const QString &program, const QStringList &arguments) { process.start(program, arguments); }
    void startRecord(const QStringList &arguments) { start(program("kestrova-record"), arguments); }
    bool startWindow(const QStringList &arguments);   // false when Kestrova's window did not show
    // Waits until standard error holds `text` `times` times; false when not in time or the program ended.
    bool waitForError(const QByteArray &text, int timeoutMs, int times = 1);
    bool press(const QString &key);   // xdotool's name of the key, "F7"
    void signal(int number);
    int finish(int timeoutMs = 60000);   // the exit code; -1 when it did not end in time or crashed
    // The trace named by the last line on standard output, and the newest in the traces folder.
    QString summaryFile() const { return QString::fromLocal8Bit(output.trimmed()).section(':', 0, 0); }
    QString newestTrace() const;
    QString describe() const;   // what went wrong and both outputs, for a failure message

    QProcess process;
    QByteArray output, error;

private:
    bool startDisplay();
    bool xdotool(const QStringList &arguments, QString *output = nullptr) const;

    QString home, displayName, window, problem;
    QProcess display;
};
