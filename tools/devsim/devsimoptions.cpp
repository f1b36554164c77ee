#include "devsimoptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QStringList>
#include <cstdio>

namespace {

const char *const controlHelp =
    "\nOutput: one line per port opened, on standard output:\n"
    "  serial <pty path>        (printed again with the new path after every plug)\n"
    "  udp <host>:<port>        (the port actually bound)\n"
    "Diagnostics go to standard error.\n"
    "\nControl commands, one per line on standard input (or on the --control socket,\n"
    "which answers each with \"ok\", \"error ...\" or the command's output):\n"
    "  unplug                   the pseudo-terminal vanishes (host sees a hang-up),\n"
    "                           its line leaves the ports file\n"
    "  plug                     a new pseudo-terminal appears under a new path with the\n"
    "                           same identifiers and serial number\n"
    "  silent on|off            power off/on: no answers, no keep-alive, no stream\n"
    "  busy on|off              in use elsewhere: the UDP keep-alive answers \"busy,<serial>\"\n"
    "                           and the ports file marks the port busy\n"
    "  stall on|off             the stream pauses (resumes without a burst)\n"
    "  badheader                the next serial block gets a bad header\n"
    "  badterminator            the next serial block gets a bad terminator\n"
    "  drop <rate>              drop UDP data packets at rate 0..1\n"
    "  dup <rate>               duplicate UDP data packets at rate 0..1\n"
    "  reorder <rate>           delay this share of UDP data packets behind the next\n"
    "                           one (0..0.5; higher rates act as 0.5)\n"
    "  retransmit on|off        resend data packets the host did not acknowledge\n"
    "  conferror on|off         answer configuration lines with an error text\n"
    "  counts N24,N16,NIMU,NAUX the device now reports these counts (a changed device)\n"
    "  countstext TEXT|off      answer conf:sca:num? with TEXT as it is (a faulty device,\n"
    "                           e.g. 2000000000,2000000000,0,0); off: the counts again\n"
    "  blurt WORD               the serial side sends WORD and CR LF unasked (a late or\n"
    "                           stray answer)\n"
    "  stats                    print \"stats <counters>\" on standard output; frames and\n"
    "                           blocks count the current or last stream\n"
    "  quit                     end devsim (as does SIGTERM or SIGINT)\n"
    "When standard input is a pipe, its end also ends devsim, so a controlling program\n"
    "that dies leaves no simulator behind; a terminal or /dev/null keeps it running.\n"
    "\nSignals: 24-bit and 16-bit channel k is a sine of half full scale at 0.5*(k+1) Hz\n"
    "(phase from the seed); IMU i is tilted by 10*(i+1) degrees about x and turns about\n"
    "the vertical at 5*(i+1) degrees/s (accelerometer (0, sin, cos) g); AUX word w of\n"
    "frame n is (n + w) mod 65536; the 24-bit status word is the frame number.\n"
    "Until a conf:dev line is accepted the stream holds all channels at 1000 frames/s;\n"
    "the configuration survives *rst, unplug/plug and silent (power) cycles.\n";

bool parseCountsText(const QString &text, DevsimOptions &o)
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

bool parseDevsimCounts(const QString &text, DevsimOptions &options)
{
    return parseCountsText(text, options);
}

QString DevsimOptions::idnText() const
{
    if (!idn.isEmpty())
        return idn;
    return QStringLiteral("lumetrix,Kestrova DAQ,%1,devsim 1.0").arg(serialNumber);
}

namespace {

void declareOptions(QCommandLineParser &p)
{
    p.setApplicationDescription(
        "devsim - simulated measurement device on a pseudo-terminal and/or loopback UDP.");
    p.addOptions({
        {{"h", "help"}, "Show this help."},
        {"pty", "Serve the serial side on a new pseudo-terminal."},
        {"udp", "Serve the UDP side on HOST:PORT (loopback only; port 0 picks a free one).", "HOST:PORT"},
        {"ports-file", "Declare the pseudo-terminal in this file, which the programs read through LUMETRIX_VIRTUAL_PORTS (default: that variable's value); rewritten atomically.", "PATH"},
        {"record-file", "File holding the device's 425-byte network record (default: <ports-file>.record, else kept in memory).", "PATH"},
        {"control", "Also accept control commands on this local (Unix) socket, one answer line per command.", "PATH"},
        {"command-log", "Append every command line received to this file: serial<TAB>line or udp<TAB>txId<TAB>line (UDP repeats included).", "PATH"},
        {"serial", "USB serial number, also the WiFi identification (default kestr0001).", "SN"},
        {"vid", "USB vendor id in hex (default 1a86).", "HEX"},
        {"pid", "USB product id in hex (default 7523).", "HEX"},
        {"description", "Port description in the ports file.", "TEXT"},
        {"manufacturer", "Port manufacturer in the ports file (default lumetrix).", "TEXT"},
        {"idn", "Answer to *idn? (default lumetrix,Kestrova DAQ,<serial>,devsim 1.0).", "TEXT"},
        {"counts", "Channel counts 24-bit,16-bit,IMUs,AUX words (default 8,0,2,2; IMUs <= 4, AUX <= 15).", "N24,N16,NIMU,NAUX"},
        {"seed", "Seed of the signal phases and the fault dice (default 1).", "N"},
        {"block-frames", "Frames per serial block (default: about 10 ms of frames).", "N"},
        {"unaligned", "Serial blocks of varying length, not aligned to frames."},
        {"line-rate", "Pace serial output at this baud rate, 10 bits per byte (e.g. 500000; default: unpaced).", "BAUD"},
        {"udp-payload", "Largest data payload per UDP datagram in bytes (default 1400).", "BYTES"},
        {"udp-answer-chunk", "Largest answer payload per UDP datagram (default 256).", "BYTES"},
        {"udp-frames", "Every UDP data datagram carries exactly N frames (frames that do not fill one wait; a short rest at the end of a stream is not sent).", "N"},
        {"udp-vary", "UDP data datagrams carry varying numbers of whole frames (1 up to what --udp-payload holds)."},
        {"data-log", "Append one line per data datagram or stream block sent to this file: which frames (UDP) or payload bytes (serial) it carried and whether a fault destroyed it.", "PATH"},
        {"drop", "Drop UDP data packets at this rate 0..1.", "RATE"},
        {"dup", "Duplicate UDP data packets at this rate 0..1.", "RATE"},
        {"reorder", "Delay this share of UDP data packets behind the next one (0..0.5).", "RATE"},
        {"no-retransmit", "Do not resend unacknowledged UDP data packets."},
        {"busy", "Start busy (keep-alive answers busy, port marked busy)."},
        {"conf-error", "Start rejecting configuration lines."},
        {"stats", "Print counters to standard error every second."},
    });
}

// Reads an integer option into `value` when it is set; false when it is not a number in lo..hi.
bool intOption(const QCommandLineParser &p, const char *name, int &value, int lo, int hi)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < lo || v > hi)
        return false;
    value = v;
    return true;
}

QString readIdentity(const QCommandLineParser &p, DevsimOptions &o)
{
    if (p.isSet("serial"))
        o.serialNumber = p.value("serial");
    if (o.serialNumber.isEmpty() || o.serialNumber.contains(QRegularExpression("[,\\s]")))
        return "--serial must be one word without commas";
    bool ok = true;
    if (p.isSet("vid"))
        o.vendorId = quint16(p.value("vid").toUInt(&ok, 16));
    if (ok && p.isSet("pid"))
        o.productId = quint16(p.value("pid").toUInt(&ok, 16));
    if (!ok)
        return "--vid and --pid need hex numbers";
    if (p.isSet("description"))
        o.description = p.value("description").simplified();
    if (p.isSet("manufacturer"))
        o.manufacturer = p.value("manufacturer").simplified();
    o.idn = p.value("idn");
    if (p.isSet("counts") && !parseCountsText(p.value("counts"), o))
        return "--counts needs N24,N16,NIMU,NAUX (IMUs at most 4, AUX at most 15)";
    return QString();
}

QString readStream(const QCommandLineParser &p, DevsimOptions &o)
{
    bool ok = true;
    if (p.isSet("seed"))
        o.seed = p.value("seed").toULongLong(&ok);
    if (!ok)
        return "--seed needs a number";
    if (!intOption(p, "block-frames", o.blockFrames, 1, 100000))
        return "--block-frames needs a positive number";
    o.unaligned = p.isSet("unaligned");
    if (!intOption(p, "line-rate", o.lineRate, 0, 100000000))
        return "--line-rate needs a baud rate";
    if (!intOption(p, "udp-payload", o.udpPayload, 16, 65000))
        return "--udp-payload needs 16..65000";
    if (!intOption(p, "udp-answer-chunk", o.udpAnswerChunk, 1, 65000))
        return "--udp-answer-chunk needs 1..65000";
    if (!intOption(p, "udp-frames", o.udpFrames, 1, 65000))
        return "--udp-frames needs a positive number";
    o.udpVary = p.isSet("udp-vary");
    if (o.udpVary && o.udpFrames > 0)
        return "--udp-frames and --udp-vary exclude each other";
    o.dataLog = p.value("data-log");
    return QString();
}

QString readFaults(const QCommandLineParser &p, DevsimOptions &o)
{
    if ((p.isSet("drop") && !parseRate(p.value("drop"), o.drop))
        || (p.isSet("dup") && !parseRate(p.value("dup"), o.dup))
        || (p.isSet("reorder") && !parseRate(p.value("reorder"), o.reorder)))
        return "--drop, --dup and --reorder need a rate 0..1";
    o.retransmit = !p.isSet("no-retransmit");
    o.busy = p.isSet("busy");
    o.confError = p.isSet("conf-error");
    o.stats = p.isSet("stats");
    return QString();
}

} // namespace

bool parseDevsimOptions(const QStringList &arguments, DevsimOptions &o, int &exitCode)
{
    QCommandLineParser p;
    declareOptions(p);
    if (!p.parse(arguments))
        return fail(p.errorText(), exitCode);
    if (p.isSet("help")) {
        std::fputs(qPrintable(p.helpText()), stdout);
        std::fputs(controlHelp, stdout);
        exitCode = 0;
        return false;
    }
    o.pty = p.isSet("pty");
    if (p.isSet("udp") && !parseUdp(p.value("udp"), o))
        return fail("--udp needs a loopback HOST:PORT, got " + p.value("udp"), exitCode);
    if (!o.pty && !o.udp)
        return fail("nothing to serve: give --pty and/or --udp HOST:PORT (see --help)", exitCode);
    o.portsFile = p.value("ports-file");
    if (o.portsFile.isEmpty())
        o.portsFile = QString::fromLocal8Bit(qgetenv("LUMETRIX_VIRTUAL_PORTS"));
    o.recordFile = p.value("record-file");
    o.controlSocket = p.value("control");
    o.commandLog = p.value("command-log");
    if (o.recordFile.isEmpty() && !o.portsFile.isEmpty())
        o.recordFile = o.portsFile + ".record";
    QString error = readIdentity(p, o);
    if (error.isEmpty())
        error = readStream(p, o);
    if (error.isEmpty())
        error = readFaults(p, o);
    if (!error.isEmpty())
        return fail(error, exitCode);
    return true;
}
