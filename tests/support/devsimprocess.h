#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Runs the device simulator as a child process for end-to-end tests. devsim prints
// "serial <pty path>" (again after every re-plug) and "udp <host>:<port>" for the ports it
// opens, and takes control commands (see devsim --help) one per line on standard input.
class DevsimProcess
{
public:
    DevsimProcess();
    ~DevsimProcess() { stop(); }

    // Starts devsim with its ports file and command log in a private folder; waits for
    // `expectedLines` port lines.
    bool start(const QStringList &arguments, int expectedLines = 1, int timeoutMs = 10000);
    void stop();

    void command(const QByteArray &line);
    // Returns once devsim has carried out every command written before (false on time-out).
    bool sync(int timeoutMs = 10000);
    // One counter of devsim's "stats" line, -1 when missing.
    qint64 stat(const QByteArray &name);

    // The next stdout line beginning with prefix, or empty on time-out.
    QByteArray waitForLine(const QByteArray &prefix, int timeoutMs = 10000);

    QString serialPath() const { return m_serialPath; }   // latest "serial" path
    QString udpEndpoint() const { return m_udpEndpoint; } // "127.0.0.1:port"
    quint16 udpPort() const { return quint16(m_udpEndpoint.section(':', -1).toUInt()); }
    QString portsFile() const { return m_dir.path() + "/ports"; }   // the declaration file devsim writes
    QString recordFile() const { return portsFile() + ".record"; } // stored network record
    // The port declarations of `sims` in one file at `path`, as the programs read them;
    // replaced in one step, so that a reader never sees half of it.
    static bool declareTogether(const QString &path, const QList<const DevsimProcess *> &sims);
    // The command lines devsim received, as "serial<TAB>line" or "udp<TAB>txId<TAB>line".
    QList<QByteArray> commandLines() const;
    // With "--data-log" dataLogFile(): one entry per data datagram ("udp") or stream block
    // ("serial") of the latest stream. first and count are frame numbers (UDP) or payload
    // bytes (serial); fate is sent, dropped, resent, resent-dropped, badheader or badterminator.
    struct DataUnit
    {
        quint64 unit;       // blockIndex, or the block's number
        quint64 first;
        quint64 count;
        QByteArray fate;
    };
    QString dataLogFile() const { return m_dir.path() + "/data"; }
    QList<DataUnit> dataUnits(const QByteArray &side) const;
    QProcess &process() { return m_process; }

private:
    void collect();
    bool takeLine(const QByteArray &prefix, QByteArray &line);

    QProcess m_process;
    QTemporaryDir m_dir;
    QByteArray m_pending;      // whole lines not yet taken by waitForLine
    QString m_serialPath;
    QString m_udpEndpoint;
};
