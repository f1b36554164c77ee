#pragma once

#include <QByteArray>
#include <QList>
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
//   busy on|off              UDP keep-alive answers "busy,<serial>" instead of "available,<serial>",
//                            and the ports file marks the port busy (1)
//   counts N24,N16,NIMU,NAUX the device now reports other channel counts
//   stall on|off             the stream pauses (resumes without a burst)
//   badheader, badterminator the next serial stream block is framed wrongly
//   drop|dup|reorder <rate>  UDP data packet faults, rate 0..1 (reorder: share delayed
//                            behind the next packet, at most 0.5)
//   retransmit on|off        resend data packets missing from the host's acknowledgements
//   conferror on|off         answer every configuration line with "error: ..."
//   countstext TEXT|off      "conf:sca:num?" is answered with TEXT as it is
//   blurt WORD               the serial side sends WORD and CR LF unasked
//   stats                    devsim prints one "stats <counters>" line on standard output
//                            (frames=, blocks= count the current or last stream)
//   quit                     end devsim (also when its standard input, a pipe, closes)
// Commands act when devsim reads them; sync() waits until all earlier ones have acted.
// With --control PATH the same commands work over a local socket, each answered by one line
// ("ok", "error ..." or the output).
// Faults can also be set at start: --drop R --dup R --reorder R --no-retransmit --busy
// --conf-error. Stream shape: --udp-frames N (every data datagram N frames), --udp-vary
// (varying whole frames), --data-log dataLogFile() (see dataUnits()). devsim keeps the network record in recordFile() and logs every command
// line it receives to commandLogFile() (see commandLines()).
class DevsimProcess
{
public:
    DevsimProcess();
    ~DevsimProcess();

    // Starts devsim with the given arguments plus "--ports-file <tmp>/ports" and
    // "--command-log <tmp>/commands" and waits
    // until it has printed `expectedLines` port lines. False if it did not start.
    bool start(const QStringList &arguments, int expectedLines = 1, int timeoutMs = 10000);
    void stop();

    // Writes one control command line to devsim's standard input.
    void command(const QByteArray &line);
    // Returns once devsim has carried out every command written before (false on time-out).
    bool sync(int timeoutMs = 10000);

    // Waits for a further stdout line beginning with prefix; returns it, or empty on time-out.
    QByteArray waitForLine(const QByteArray &prefix, int timeoutMs = 10000);

    QString serialPath() const { return m_serialPath; }   // latest "serial" path
    QString udpEndpoint() const { return m_udpEndpoint; } // "127.0.0.1:port"
    quint16 udpPort() const;
    QString portsFile() const;                            // the declaration file devsim writes
    QString recordFile() const { return portsFile() + ".record"; } // stored network record
    QString commandLogFile() const;
    // The command lines devsim received so far, as "serial<TAB>line" or
    // "udp<TAB>txId<TAB>line" (every copy of a repeated UDP datagram).
    QList<QByteArray> commandLines() const;
    // The data log, written only when a test starts devsim with "--data-log" dataLogFile():
    // one entry per data datagram ("udp") or stream block ("serial") of the latest stream.
    // For UDP, first and count are frame numbers; for serial, payload bytes. fate is
    // sent, dropped, resent or resent-dropped (UDP), sent, badheader or badterminator (serial).
    struct DataUnit
    {
        quint64 unit;       // blockIndex, or the block's number
        quint64 first;
        quint64 count;
        QByteArray fate;
    };
    QString dataLogFile() const;
    QList<DataUnit> dataUnits(const QByteArray &side) const;
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
