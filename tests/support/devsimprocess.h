#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Runs the device simulator as a child process for end-to-end tests.
//
// devsim prints one line per port it opens on standard output:
//   "serial <pty path>"      the pseudo-terminal (again after every re-plug)
//   "udp <host>:<port>"      the bound UDP endpoint
// and reads control commands, one per line, on standard input (see devsim --help).
class DevsimProcess
{
public:
    DevsimProcess();
    ~DevsimProcess();

    // Starts devsim with the given arguments plus "--ports-file <tmp>/ports" and waits
    // until it has printed `expectedLines` port lines. False if it did not start.
    bool start(const QStringList &arguments, int expectedLines = 1, int timeoutMs = 10000);
    void stop();

    // Writes one control command line to devsim's standard input.
    void command(const QByteArray &line);

    // Waits for a further stdout line beginning with prefix; returns it, or empty on time-out.
    QByteArray waitForLine(const QByteArray &prefix, int timeoutMs = 10000);

    QString serialPath() const { return m_serialPath; }   // latest "serial" path
    QString udpEndpoint() const { return m_udpEndpoint; } // "127.0.0.1:port"
    quint16 udpPort() const;
    QString portsFile() const;                            // the declaration file devsim writes
    QByteArray allOutput() const { return m_output; }
    QProcess &process() { return m_process; }

private:
    void collect();
    bool takeLine(const QByteArray &prefix, QByteArray &line);

    QProcess m_process;
    QTemporaryDir m_dir;
    QByteArray m_output;
    QByteArray m_pending;      // whole lines not yet taken by waitForLine
    QString m_serialPath;
    QString m_udpEndpoint;
};
