#pragma once

#include <QHostAddress>
#include <QString>

// Everything chosen on devsim's command line.
struct DevsimOptions
{
    bool pty = false;
    bool udp = false;
    QHostAddress udpHost;
    quint16 udpPort = 0;
    QString portsFile;
    QString recordFile;
    QString controlSocket;       // local socket for control commands
    QString commandLog;          // file receiving every command line
    QString serialNumber = QStringLiteral("kestr0001");
    quint16 vendorId = 0x1a86;
    quint16 productId = 0x7523;
    QString description = QStringLiteral("Kestrova DAQ (simulated)");
    QString manufacturer = QStringLiteral("lumetrix");
    QString idn;                 // empty: built from the serial number
    int n24 = 8;
    int n16 = 0;
    int nImu = 2;
    int nAux = 2;
    quint64 seed = 1;
    int blockFrames = 0;         // frames per serial block; 0: about 10 ms worth
    bool unaligned = false;      // serial blocks not aligned to frames
    int lineRate = 0;            // serial pacing in baud (0: as fast as the host reads)
    int udpPayload = 1400;       // largest data payload per datagram
    int udpAnswerChunk = 256;    // largest answer payload per datagram
    int udpFrames = 0;           // frames in every data datagram (0: as many as fit, the rest in a shorter one)
    bool udpVary = false;        // data datagrams carry varying numbers of whole frames
    QString dataLog;             // file receiving one line per datagram or block sent
    QString countsText;          // verbatim answer to conf:sca:num? (empty: the counts)
    double drop = 0.0;
    double dup = 0.0;
    double reorder = 0.0;
    bool retransmit = true;
    bool busy = false;
    bool confError = false;
    bool stats = false;          // print counters to stderr every second

    QString idnText() const;
};

// Reads "N24,N16,NIMU,NAUX" into the counts; false (counts unchanged) when malformed.
bool parseDevsimCounts(const QString &text, DevsimOptions &options);

// Parses the command line; on failure or --help prints to stderr/stdout and returns false
// with exitCode set.
bool parseDevsimOptions(const QStringList &arguments, DevsimOptions &options, int &exitCode);
