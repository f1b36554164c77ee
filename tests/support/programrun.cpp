#include "programrun.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

QString ProgramRun::missingWindowTools()
{
    QStringList missing;
    for (const QString &tool : {QStringLiteral("Xvfb"), QStringLiteral("xdotool")})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    return missing.isEmpty() ? QString() : missing.join(" and ") + " not installed (scripts/setup installs them)";
}

ProgramRun::ProgramRun(const QString &home) : home(home)
{
    QDir().mkpath(home);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(home);
}

ProgramRun::~ProgramRun()
{
    for (QProcess *p : {&process, &display}) {
        p->kill();
        p->waitForFinished(5000);
    }
}

bool ProgramRun::startDisplay()
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        display.kill();
        display.waitForFinished(5000);
        // Xvfb picks a free display and writes its number once it accepts clients; without
        // -noreset it starts over whenever its last client leaves, refusing new ones meanwhile.
        display.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"});
        QByteArray number;
        const bool up = QTest::qWaitFor([&] {
            display.waitForReadyRead(20);
            number += display.readAllStandardOutput();
            return number.contains('\n') || display.state() == QProcess::NotRunning;
        }, 30000) && number.contains('\n');
        displayName = ":" + QString::fromLatin1(number.trimmed());
        // Other tests' X servers come and go beside this one: a client must get through
        // before the window starts, or the display is made anew.
        if (up && QTest::qWaitFor([&] { return xdotool({"getdisplaygeometry"}); }, 5000))
            return true;
    }
    return false;
}

bool ProgramRun::startWindow(const QStringList &arguments)
{
    // Should a display still refuse the program's first connection, a new one serves.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const bool up = startDisplay();
        QProcessEnvironment env = process.processEnvironment();
        env.insert("DISPLAY", displayName);
        env.insert("QT_QPA_PLATFORM", "xcb");   // a real window, also when the tests run offscreen
        process.setProcessEnvironment(env);
        start(program("Kestrova"), arguments);
        const QStringList search{"search", "--onlyvisible", "--pid", QString::number(process.processId()), "--name", "Kestrova"};
        if (up && QTest::qWaitFor([&] {
                xdotool(search, &window);
                window = window.section('\n', 0, 0);
                return !window.isEmpty() || process.state() == QProcess::NotRunning;
            }, 30000) && !window.isEmpty())
            return true;
        process.waitForFinished(1000);
        const QByteArray said = process.readAllStandardError();
        error += said;
        problem = "Kestrova's window did not show on display " + displayName + (display.state() == QProcess::Running ? "" : " (Xvfb ended: "
                  + QString::fromLocal8Bit(display.readAllStandardError().right(400)) + ")");
        if (!said.contains("could not connect to display"))
            return false;
        qWarning("display %s refused Kestrova, attempt %d", qPrintable(displayName), attempt + 1);
    }
    return false;
}

bool ProgramRun::xdotool(const QStringList &arguments, QString *output) const
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", displayName);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xdotool"), arguments);
    const bool ok = p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    p.kill();
    if (output)
        *output = QString::fromLocal8Bit(p.readAllStandardOutput());
    return ok;
}

bool ProgramRun::press(const QString &key)
{
    // Xvfb has no window manager: the window takes the focus directly.
    const bool ok = xdotool({"windowfocus", "--sync", window, "key", key});
    problem = ok ? problem : "xdotool could not press " + key;
    return ok;
}

bool ProgramRun::waitForError(const QByteArray &text, int timeoutMs, int times)
{
    return QTest::qWaitFor([&] {
        process.waitForReadyRead(20);
        error += process.readAllStandardError();
        return error.count(text) >= times || process.state() == QProcess::NotRunning;
    }, timeoutMs) && error.count(text) >= times;
}

void ProgramRun::signal(int number)
{
    ::kill(pid_t(process.processId()), number);
}

int ProgramRun::finish(int timeoutMs)
{
    const bool ended = process.waitForFinished(timeoutMs);
    output += process.readAllStandardOutput();
    error += process.readAllStandardError();
    return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString ProgramRun::newestTrace() const
{
    const QFileInfoList found = QDir(home + "/Documents/lumetrix/traces").entryInfoList({"trace_*.h5"}, QDir::Files, QDir::Time);
    return found.isEmpty() ? QString() : found.first().filePath();
}

QString ProgramRun::describe() const
{
    return problem + "\nstdout: " + QString::fromLocal8Bit(output) + "\nstderr ends: " + QString::fromLocal8Bit(error.right(1500));
}
