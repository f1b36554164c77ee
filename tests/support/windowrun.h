#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// One run of Kestrova as built, with its window on a display of its own (Xvfb) and its
// own home folder (where its traces go), driven by key presses as a user would
// (xdotool). The caller may add to process's environment before start().
class WindowRun
{
public:
    // Empty when Xvfb and xdotool are installed, else which of them is missing.
    static QString missingTools();

    explicit WindowRun(const QString &home);
    // Ends Kestrova (SIGKILL) if it still runs, then the display.
    ~WindowRun();

    // Starts the display and Kestrova with `arguments`; false when its window did not
    // show (describe() says why).
    bool start(const QStringList &arguments);
    // Waits until Kestrova's log holds `text`; false when it does not in time or Kestrova ended.
    bool waitForLog(const QByteArray &text, int timeoutMs);
    // Presses a key (xdotool's name for it, "F7") in the window.
    bool press(const QString &key);
    // The newest trace file in Kestrova's traces folder; empty when there is none.
    QString newestTrace() const;
    void signal(int number);
    // What went wrong and the end of Kestrova's log, for a failure message.
    QString describe() const;

    QProcess process;
    QByteArray log;

private:
    bool startDisplay();
    bool findWindow();
    QString xdotool(const QStringList &arguments, bool *ok = nullptr) const;

    QString home;
    QProcess display;
    QString displayName;
    QString window;
    QString problem;
};
