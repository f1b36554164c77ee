#include "windowrun.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

QString WindowRun::missingTools()
{
    QStringList missing;
    for (const QString &tool : {QStringLiteral("Xvfb"), QStringLiteral("xdotool")})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    return missing.isEmpty() ? QString() : missing.join(" and ") + " not installed (scripts/setup installs them)";
}

WindowRun::WindowRun(const QString &home) : home(home)
{
    QDir().mkpath(home);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    // A real window on the display started below, also when the tests run offscreen.
    env.insert("QT_QPA_PLATFORM", "xcb");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(home);
    process.setProcessChannelMode(QProcess::MergedChannels);
}

WindowRun::~WindowRun()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
    if (display.state() != QProcess::NotRunning) {
        display.terminate();
        if (!display.waitForFinished(5000)) {
            display.kill();
            display.waitForFinished(5000);
        }
    }
}

bool WindowRun::startDisplay()
{
    // Xvfb picks a free display and writes its number once it accepts clients.
    display.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
    QByteArray number;
    const bool ready = QTest::qWaitFor([&] {
        display.waitForReadyRead(20);
        number += display.readAllStandardOutput();
        return number.contains('\n') || display.state() == QProcess::NotRunning;
    }, 30000) && number.contains('\n');
    if (!ready) {
        problem = "Xvfb did not start: " + QString::fromLocal8Bit(display.readAllStandardError().left(400));
        return false;
    }
    displayName = ":" + QString::fromLatin1(number.trimmed());
    return true;
}

QString WindowRun::xdotool(const QStringList &arguments, bool *ok) const
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", displayName);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xdotool"), arguments);
    const bool finished = p.waitForFinished(10000);
    if (!finished)
        p.kill();
    if (ok)
        *ok = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

bool WindowRun::findWindow()
{
    const QString pid = QString::number(process.processId());
    return QTest::qWaitFor([&] {
        log += process.readAll();
        window = xdotool({"search", "--onlyvisible", "--pid", pid, "--name", "Kestrova"}).section('\n', 0, 0);
        return !window.isEmpty() || process.state() == QProcess::NotRunning;
    }, 30000) && !window.isEmpty();
}

bool WindowRun::start(const QStringList &arguments)
{
    if (!startDisplay())
        return false;
    QProcessEnvironment env = process.processEnvironment();
    env.insert("DISPLAY", displayName);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KESTROVA_BIN_DIR "/Kestrova"), arguments);
    if (!findWindow()) {
        problem = "Kestrova did not open its window";
        return false;
    }
    return true;
}

bool WindowRun::waitForLog(const QByteArray &text, int timeoutMs)
{
    return QTest::qWaitFor([&] {
        process.waitForReadyRead(20);
        log += process.readAll();
        return log.contains(text) || process.state() == QProcess::NotRunning;
    }, timeoutMs) && log.contains(text);
}

bool WindowRun::press(const QString &key)
{
    // Xvfb has no window manager: the window gets the keyboard focus directly.
    bool ok = false;
    xdotool({"windowfocus", "--sync", window, "key", key}, &ok);
    if (!ok)
        problem = "xdotool could not press " + key;
    return ok;
}

QString WindowRun::newestTrace() const
{
    const QDir traces(home + "/Documents/lumetrix/traces");
    const QFileInfoList found = traces.entryInfoList({"trace_*.h5"}, QDir::Files, QDir::Time);
    return found.isEmpty() ? QString() : found.first().filePath();
}

void WindowRun::signal(int number)
{
    ::kill(pid_t(process.processId()), number);
}

QString WindowRun::describe() const
{
    return problem + "\nKestrova's log ends: " + QString::fromLocal8Bit(log.right(1500));
}
