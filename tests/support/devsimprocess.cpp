#include "devsimprocess.h"
#include "filebytes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

DevsimProcess::DevsimProcess()
{
    // Diagnostics go to the test's stderr: an unread pipe could stall the simulator.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setReadChannel(QProcess::StandardOutput);
}

static QList<QByteArray> linesOf(const QString &fileName)
{
    QList<QByteArray> lines = fileBytes(fileName).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QList<QByteArray> DevsimProcess::commandLines() const
{
    return linesOf(m_dir.path() + "/commands");
}

QList<DevsimProcess::DataUnit> DevsimProcess::dataUnits(const QByteArray &side) const
{
    QList<DataUnit> units;
    for (const QByteArray &line : linesOf(dataLogFile())) {
        const QList<QByteArray> f = line.split('\t');
        if (f.size() != 5 || f[0] != side)
            continue;
        if (f[1] == "stream") {
            units.clear();   // a new stream
            continue;
        }
        units.append({f[1].toULongLong(), f[2].toULongLong(), f[3].toULongLong(), f[4]});
    }
    return units;
}

bool DevsimProcess::start(const QStringList &arguments, int expectedLines, int timeoutMs)
{
#ifdef DEVSIM_EXECUTABLE
    QStringList args = arguments;
    args << "--ports-file" << portsFile() << "--command-log" << m_dir.path() + "/commands";
    m_process.start(DEVSIM_EXECUTABLE, args);
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    for (int i = 0; i < expectedLines; ++i) {
        if (waitForLine("", timeoutMs).isEmpty())
            return false;
    }
    return true;
#else
    Q_UNUSED(arguments) Q_UNUSED(expectedLines) Q_UNUSED(timeoutMs)
    return false;
#endif
}

void DevsimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

void DevsimProcess::command(const QByteArray &line)
{
    m_process.write(line + '\n');
    m_process.waitForBytesWritten(1000);
}

bool DevsimProcess::sync(int timeoutMs)
{
    // Commands are carried out in order, and "stats" answers on stdout.
    command("stats");
    return !waitForLine("stats ", timeoutMs).isEmpty();
}

qint64 DevsimProcess::stat(const QByteArray &name)
{
    command("stats");
    for (const QByteArray &field : waitForLine("stats ").split(' ')) {
        if (field.startsWith(name + '='))
            return field.mid(name.size() + 1).toLongLong();
    }
    return -1;
}

void DevsimProcess::collect()
{
    m_pending += m_process.readAllStandardOutput();
}

bool DevsimProcess::takeLine(const QByteArray &prefix, QByteArray &line)
{
    int start = 0;
    while (true) {
        const int end = m_pending.indexOf('\n', start);
        if (end < 0)
            return false;
        const QByteArray candidate = m_pending.mid(start, end - start).trimmed();
        if (candidate.startsWith("serial "))
            m_serialPath = QString::fromLocal8Bit(candidate.mid(7));
        else if (candidate.startsWith("udp "))
            m_udpEndpoint = QString::fromLocal8Bit(candidate.mid(4));
        if (candidate.startsWith(prefix) && !candidate.isEmpty()) {
            m_pending.remove(0, end + 1);
            line = candidate;
            return true;
        }
        start = end + 1;
    }
}

QByteArray DevsimProcess::waitForLine(const QByteArray &prefix, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QByteArray line;
    while (!deadline.hasExpired()) {
        collect();
        if (takeLine(prefix, line))
            return line;
        if (m_process.state() == QProcess::NotRunning)
            break;
        // Keep the caller's event loop alive: links under test live on this thread.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        m_process.waitForReadyRead(20);
    }
    collect();
    takeLine(prefix, line);
    return line;
}

bool DevsimProcess::declareTogether(const QString &path, const QList<const DevsimProcess *> &sims)
{
    QFile out(path + ".new");
    if (!out.open(QIODevice::WriteOnly))
        return false;
    for (const DevsimProcess *sim : sims) {
        const QByteArray ports = fileBytes(sim->portsFile());
        if (ports.isEmpty() || out.write(ports) != ports.size())
            return false;
    }
    out.close();
    QFile::remove(path);
    return QFile::rename(out.fileName(), path);
}
