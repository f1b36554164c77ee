#include "recordrun.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QTest>

#include <csignal>

RecordRun::RecordRun(const QString &home)
{
    QDir().mkpath(home);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(home);
}

QString RecordRun::program()
{
    return QStringLiteral(KESTROVA_BIN_DIR "/kestrova-record");
}

void RecordRun::start(const QStringList &arguments)
{
    process.start(program(), arguments);
}

void RecordRun::startWrapped(const QString &wrapper, const QStringList &arguments)
{
    process.start(wrapper, arguments);
}

bool RecordRun::waitForError(const QByteArray &text, int timeoutMs)
{
    return QTest::qWaitFor([&] {
        process.waitForReadyRead(20);
        error += process.readAllStandardError();
        return error.contains(text) || process.state() == QProcess::NotRunning;
    }, timeoutMs) && error.contains(text);
}

void RecordRun::signal(int number)
{
    ::kill(pid_t(process.processId()), number);
}

int RecordRun::finish(int timeoutMs)
{
    const bool ended = process.waitForFinished(timeoutMs);
    output += process.readAllStandardOutput();
    error += process.readAllStandardError();
    return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString RecordRun::summaryFile() const
{
    return QString::fromLocal8Bit(output.trimmed()).section(':', 0, 0);
}

QString RecordRun::describe() const
{
    return QString::fromLocal8Bit("stdout: " + output + "\nstderr: " + error);
}
