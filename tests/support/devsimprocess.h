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
// and reads control commands, one per line, on standard input (see devsim --help):
//   unplug / plug            the pty vanishes (host read fails, ports-file line removed) /
//                            a new pty appears under a new path, same USB ids and serial
//   silent on|off            power off: no answers, no keep-alive, no stream
//   busy on|off              UDP keep-alive answers "busy,<serial>" instead of "available,<serial>"
//   stall on|off             the stream pauses (resumes without a burst)
//   badheader, badterminator the next serial stream block is framed wrongly
//   drop|dup|reorder <rate>  UDP data packet faults, rate 0..1
//   retransmit on|off        resend data packets missing from the host's acknowledgements
//   conferror on|off         answer every configuration line with "error: ..."
//   stats                    devsim prints one "stats <counters>" line on standard output
//   quit                     end devsim
// Faults can also be set at start: --drop R --dup R --reorder R --no-retransmit --busy
// --conf-error. devsim keeps the network record in recordFile().
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
    QString recordFile() const { return portsFile() + ".record"; } // stored network record
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
