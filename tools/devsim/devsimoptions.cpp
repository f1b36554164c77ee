#include "devsimoptions.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>

namespace {

const char *const controlHelp =
    "\nOutput: one line per port opened, on standard output:\n"
    "  serial <pty path>        (printed again with the new path after every plug)\n"
    "  udp <host>:<port>        (the port actually bound)\n"
    "Diagnostics go to standard error.\n"
    "\nControl commands, one per line on standard input:\n"
    "  unplug                   the pseudo-terminal vanishes (host sees a hang-up),\n"
    "                           its line leaves the ports file\n"
    "  plug                     a new pseudo-terminal appears under a new path with the\n"
    "                           same identifiers and serial number\n"
    "  silent on|off            power off/on: no answers, no keep-alive, no stream\n"
    "  busy on|off              the UDP keep-alive answers \"busy\" instead of \"available\"\n"
    "  stall on|off             the stream pauses (resumes without a burst)\n"
    "  badheader                the next serial block gets a bad header\n"
    "  badterminator            the next serial block gets a bad terminator\n"
    "  drop <rate>              drop UDP data packets at rate 0..1\n"
    "  dup <rate>               duplicate UDP data packets at rate 0..1\n"
    "  reorder <rate>           swap UDP data packets with the next at rate 0..1\n"
    "  retransmit on|off        resend data packets the host did not acknowledge\n"
    "  conferror on|off         answer configuration lines with an error text\n"
    "  stats                    print \"stats <counters>\" on standard output\n"
    "  quit                     end devsim (as does SIGTERM or SIGINT)\n"
    "\nSignals: 24-bit and 16-bit channel k is a sine of half full scale at 0.5*(k+1) Hz\n"
    "(phase from the seed); IMU i is tilted by 10*(i+1) degrees about x and turns about\n"
    "the vertical at 5*(i+1) degrees/s (accelerometer (0, sin, cos) g); AUX word w of\n"
    "frame n is (n + w) mod 65536; the 24-bit status word is the frame number.\n";

bool parseCounts(const QString &text, DevsimOptions &o)
{
    const QStringList parts = text.split(',');
    if (parts.size() != 4)
        return false;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok || values[i] < 0)
            return false;
    }
    if (values[2] > 4 || values[3] > 15 || values[0] > 1024 || values[1] > 1024)
        return false;
    o.n24 = values[0];
    o.n16 = values[1];
    o.nImu = values[2];
    o.nAux = values[3];
    return true;
}

bool parseRate(const QString &text, double &rate)
{
    bool ok = false;
    rate = text.toDouble(&ok);
    return ok && rate >= 0.0 && rate <= 1.0;
}

bool parseUdp(const QString &text, DevsimOptions &o)
{
    const int colon = text.lastIndexOf(':');
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith('[') && host.endsWith(']'))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535)
        return false;
    QHostAddress address;
    if (host == QLatin1String("localhost"))
        address = QHostAddress(QHostAddress::LocalHost);
    else if (!address.setAddress(host))
        return false;
    // Only loopback: the simulator must never talk to a real network.
    if (!address.isLoopback())
        return false;
    o.udp = true;
    o.udpHost = address;
    o.udpPort = quint16(port);
    return true;
}

bool fail(const QString &message, int &exitCode)
{
    std::fprintf(stderr, "devsim: %s\n", qPrintable(message));
    exitCode = 2;
    return false;
}

} // namespace

QString DevsimOptions::idnText() const
{
    if (!idn.isEmpty())
        return idn;
    return QStringLiteral("lumetrix,Kestrova DAQ,%1,devsim 1.0").arg(serialNumber);
}

bool parseDevsimOptions(const QStringList &arguments, DevsimOptions &o, int &exitCode)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        "devsim - simulated measurement device on a pseudo-terminal and/or loopback UDP.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption pty("pty", "Serve the serial side on a new pseudo-terminal.");
    const QCommandLineOption udp("udp", "Serve the UDP side on HOST:PORT (loopback only; port 0 picks a free one).", "HOST:PORT");
    const QCommandLineOption portsFile("ports-file", "Declare the pseudo-terminal in this file (the file LUMETRIX_VIRTUAL_PORTS names); rewritten atomically.", "PATH");
    const QCommandLineOption recordFile("record-file", "File holding the device's 425-byte network record (default: <ports-file>.record, else none).", "PATH");
    const QCommandLineOption serial("serial", "USB serial number, also the WiFi identification (default kestr0001).", "SN");
    const QCommandLineOption vid("vid", "USB vendor id in hex (default 1a86).", "HEX");
    const QCommandLineOption pid("pid", "USB product id in hex (default 7523).", "HEX");
    const QCommandLineOption description("description", "Port description in the ports file.", "TEXT");
    const QCommandLineOption manufacturer("manufacturer", "Port manufacturer in the ports file (default lumetrix).", "TEXT");
    const QCommandLineOption idn("idn", "Answer to *idn? (default lumetrix,Kestrova DAQ,<serial>,devsim 1.0).", "TEXT");
    const QCommandLineOption counts("counts", "Channel counts 24-bit,16-bit,IMUs,AUX words (default 8,0,2,2; IMUs <= 4, AUX <= 15).", "N24,N16,NIMU,NAUX");
    const QCommandLineOption seed("seed", "Seed of the signal phases and the fault dice (default 1).", "N");
    const QCommandLineOption blockFrames("block-frames", "Frames per serial block (default: about 10 ms of frames).", "N");
    const QCommandLineOption unaligned("unaligned", "Serial blocks of varying length, not aligned to frames.");
    const QCommandLineOption lineRate("line-rate", "Pace serial output at this baud rate, 10 bits per byte (e.g. 500000; default: unpaced).", "BAUD");
    const QCommandLineOption udpPayload("udp-payload", "Largest data payload per UDP datagram in bytes (default 1400).", "BYTES");
    const QCommandLineOption udpChunk("udp-answer-chunk", "Largest answer payload per UDP datagram (default 256).", "BYTES");
    const QCommandLineOption drop("drop", "Drop UDP data packets at this rate 0..1.", "RATE");
    const QCommandLineOption dup("dup", "Duplicate UDP data packets at this rate 0..1.", "RATE");
    const QCommandLineOption reorder("reorder", "Reorder UDP data packets at this rate 0..1.", "RATE");
    const QCommandLineOption noRetransmit("no-retransmit", "Do not resend unacknowledged UDP data packets.");
    const QCommandLineOption busy("busy", "Start busy (keep-alive answers busy).");
    const QCommandLineOption confError("conf-error", "Start rejecting configuration lines.");
    const QCommandLineOption stats("stats", "Print counters to standard error every second.");
    p.addOptions({help, pty, udp, portsFile, recordFile, serial, vid, pid, description, manufacturer,
                  idn, counts, seed, blockFrames, unaligned, lineRate, udpPayload, udpChunk, drop,
                  dup, reorder, noRetransmit, busy, confError, stats});
    if (!p.parse(arguments))
        return fail(p.errorText(), exitCode);
    if (p.isSet(help)) {
        std::fputs(qPrintable(p.helpText()), stdout);
        std::fputs(controlHelp, stdout);
        exitCode = 0;
        return false;
    }
    o.pty = p.isSet(pty);
    if (p.isSet(udp) && !parseUdp(p.value(udp), o))
        return fail("--udp needs a loopback HOST:PORT, got " + p.value(udp), exitCode);
    if (!o.pty && !o.udp)
        return fail("nothing to serve: give --pty and/or --udp HOST:PORT (see --help)", exitCode);
    o.portsFile = p.value(portsFile);
    o.recordFile = p.value(recordFile);
    if (o.recordFile.isEmpty() && !o.portsFile.isEmpty())
        o.recordFile = o.portsFile + ".record";
    if (p.isSet(serial))
        o.serialNumber = p.value(serial);
    if (o.serialNumber.isEmpty() || o.serialNumber.contains(',') || o.serialNumber.contains('\t')
        || o.serialNumber.contains(' '))
        return fail("--serial must be one word without commas", exitCode);
    bool ok = true;
    if (p.isSet(vid))
        o.vendorId = quint16(p.value(vid).toUInt(&ok, 16));
    if (!ok)
        return fail("--vid needs a hex number", exitCode);
    if (p.isSet(pid))
        o.productId = quint16(p.value(pid).toUInt(&ok, 16));
    if (!ok)
        return fail("--pid needs a hex number", exitCode);
    if (p.isSet(description))
        o.description = p.value(description).simplified();
    if (p.isSet(manufacturer))
        o.manufacturer = p.value(manufacturer).simplified();
    o.idn = p.value(idn);
    if (p.isSet(counts) && !parseCounts(p.value(counts), o))
        return fail("--counts needs N24,N16,NIMU,NAUX (IMUs at most 4, AUX at most 15)", exitCode);
    if (p.isSet(seed))
        o.seed = p.value(seed).toULongLong(&ok);
    if (!ok)
        return fail("--seed needs a number", exitCode);
    if (p.isSet(blockFrames))
        o.blockFrames = p.value(blockFrames).toInt(&ok);
    if (!ok || o.blockFrames < 0)
        return fail("--block-frames needs a positive number", exitCode);
    o.unaligned = p.isSet(unaligned);
    if (p.isSet(lineRate))
        o.lineRate = p.value(lineRate).toInt(&ok);
    if (!ok || o.lineRate < 0)
        return fail("--line-rate needs a baud rate", exitCode);
    if (p.isSet(udpPayload))
        o.udpPayload = p.value(udpPayload).toInt(&ok);
    if (!ok || o.udpPayload < 16 || o.udpPayload > 65000)
        return fail("--udp-payload needs 16..65000", exitCode);
    if (p.isSet(udpChunk))
        o.udpAnswerChunk = p.value(udpChunk).toInt(&ok);
    if (!ok || o.udpAnswerChunk < 1 || o.udpAnswerChunk > 65000)
        return fail("--udp-answer-chunk needs 1..65000", exitCode);
    if ((p.isSet(drop) && !parseRate(p.value(drop), o.drop))
        || (p.isSet(dup) && !parseRate(p.value(dup), o.dup))
        || (p.isSet(reorder) && !parseRate(p.value(reorder), o.reorder)))
        return fail("--drop, --dup and --reorder need a rate 0..1", exitCode);
    o.retransmit = !p.isSet(noRetransmit);
    o.busy = p.isSet(busy);
    o.confError = p.isSet(confError);
    o.stats = p.isSet(stats);
    return true;
}
