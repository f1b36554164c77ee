#include "simulator.h"

#include "controlchannel.h"
#include "controlserver.h"
#include "ptydevice.h"
#include "udpdevice.h"

#include <QCoreApplication>
#include <QList>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onUnixSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

void printPortLine(const QString &line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

Simulator::Simulator(const DevsimOptions &options, QObject *parent)
    : QObject(parent),
      m_options(options),
      m_store(options.recordFile),
      m_log(options.commandLog),
      m_dataLog(options.dataLog),
      m_portsFile(options.portsFile, m_options)
{
    m_faults.busy = options.busy;
    m_faults.confError = options.confError;
    m_faults.retransmit = options.retransmit;
    m_faults.drop = options.drop;
    m_faults.dup = options.dup;
    m_faults.reorder = options.reorder;
}

Simulator::~Simulator()
{
    shutDown();
}

bool Simulator::start()
{
    // Termination by signal still removes the port declaration.
    if (::pipe(signalPipe) == 0) {
        ::fcntl(signalPipe[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(signalPipe[1], F_SETFD, FD_CLOEXEC);
        m_signalNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_signalNotifier, &QSocketNotifier::activated, this, &Simulator::onSignal);
        std::signal(SIGTERM, onUnixSignal);
        std::signal(SIGINT, onUnixSignal);
        std::signal(SIGHUP, onUnixSignal);
    }
    std::signal(SIGPIPE, SIG_IGN);
    // In the background of an interactive shell, reading the terminal must not stop us.
    std::signal(SIGTTIN, SIG_IGN);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Simulator::shutDown);

    // Control is ready before the first port line announces the device.
    m_control = new ControlChannel(STDIN_FILENO, this);
    connect(m_control, &ControlChannel::commandReceived, this, &Simulator::onCommand);
    connect(m_control, &ControlChannel::inputClosed, this, &Simulator::onInputClosed);
    if (!m_options.controlSocket.isEmpty()) {
        m_controlServer = new ControlServer([this](const QByteArray &line) { return control(line); }, this);
        if (!m_controlServer->listen(m_options.controlSocket))
            return false;
    }
    if (m_options.pty) {
        m_pty = new PtyDevice(m_options, &m_faults, &m_store, &m_log, &m_dataLog, this);
        connect(m_pty, &PtyDevice::plugged, this, &Simulator::onPlugged);
        connect(m_pty, &PtyDevice::unplugged, this, &Simulator::onUnplugged);
        if (!m_pty->plug())
            return false;
    }
    if (m_options.udp) {
        m_udp = new UdpDevice(m_options, &m_faults, &m_store, &m_log, &m_dataLog, this);
        if (!m_udp->bind())
            return false;
        printPortLine("udp " + m_udp->endpoint());
    }
    if (m_options.stats) {
        m_statsTimer = new QTimer(this);
        connect(m_statsTimer, &QTimer::timeout, this, &Simulator::onStatsTimer);
        m_statsTimer->start(1000);
    }
    return true;
}

void Simulator::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    if (m_pty)
        m_pty->unplug();
    std::fprintf(stderr, "devsim: %s\n", stats().constData());
}

void Simulator::onPlugged(const QString &path)
{
    m_portsFile.declare(path, m_faults.busy);
    printPortLine("serial " + path);
}

void Simulator::onUnplugged()
{
    m_portsFile.declare(QString(), false);
}

// A pipe on standard input belongs to a controlling program (a test, a script); when
// it closes, that program is gone and so should the simulated device be. A terminal or
// /dev/null leaves devsim running.
void Simulator::onInputClosed()
{
    struct stat st {};
    if (::fstat(STDIN_FILENO, &st) == 0 && S_ISFIFO(st.st_mode)) {
        std::fprintf(stderr, "devsim: standard input closed, quitting\n");
        QCoreApplication::quit();
    }
}

void Simulator::onSignal()
{
    char byte;
    [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
    std::fprintf(stderr, "devsim: terminated\n");
    QCoreApplication::quit();
}

void Simulator::onStatsTimer()
{
    std::fprintf(stderr, "devsim: %s\n", stats().constData());
}

QByteArray Simulator::stats() const
{
    QByteArray s;
    if (m_pty)
        s += m_pty->stats();
    if (m_udp)
        s += (s.isEmpty() ? "" : " ") + m_udp->stats();
    return s;
}

void Simulator::onCommand(const QByteArray &line)
{
    const QByteArray reply = control(line);
    if (reply.startsWith("stats"))
        printPortLine(QString::fromLatin1(reply));
}

bool Simulator::setFlag(const QByteArray &arg, bool &flag)
{
    if (arg == "on" || arg == "1" || arg == "true")
        flag = true;
    else if (arg == "off" || arg == "0" || arg == "false")
        flag = false;
    else
        return false;
    return true;
}

void Simulator::setPowered(bool on)
{
    if (m_pty)
        m_pty->setPowered(on);
    if (m_udp)
        m_udp->setPowered(on);
}

void Simulator::setStalled(bool on)
{
    if (m_pty)
        m_pty->setStalled(on);
    if (m_udp)
        m_udp->setStalled(on);
}

// on|off commands: returns false when cmd is none of them; ok tells whether arg was valid.
bool Simulator::controlSwitch(const QByteArray &cmd, const QByteArray &arg, bool &ok)
{
    bool *flag = cmd == "silent"       ? &m_faults.silent
                 : cmd == "busy"       ? &m_faults.busy
                 : cmd == "stall"      ? &m_faults.stall
                 : cmd == "retransmit" ? &m_faults.retransmit
                 : cmd == "conferror"  ? &m_faults.confError
                                       : nullptr;
    if (!flag)
        return false;
    ok = setFlag(arg, *flag);
    if (!ok)
        return true;
    if (cmd == "silent")
        setPowered(!m_faults.silent);
    else if (cmd == "stall")
        setStalled(m_faults.stall);
    else if (cmd == "busy" && m_pty && m_pty->isPlugged())
        m_portsFile.declare(m_pty->path(), m_faults.busy);
    return true;
}

// The other commands; false for an unknown command or a bad argument.
bool Simulator::controlAction(const QByteArray &cmd, const QByteArray &arg)
{
    bool ok = true;
    if (cmd == "quit") {
        QCoreApplication::quit();
    } else if (cmd == "unplug") {
        if (m_pty)
            m_pty->unplug();
    } else if (cmd == "plug") {
        ok = !m_pty || m_pty->plug();
    } else if (cmd == "counts") {
        ok = parseDevsimCounts(QString::fromLatin1(arg), m_options);
    } else if (cmd == "blurt") {
        ok = !arg.isEmpty();
        if (ok && m_pty)
            m_pty->blurt(arg);
    } else if (cmd == "countstext") {
        ok = !arg.isEmpty();
        m_options.countsText = arg == "off" ? QString() : QString::fromLatin1(arg);
    } else if (cmd == "badheader" || cmd == "badterminator") {
        ++(cmd == "badheader" ? m_faults.badHeaders : m_faults.badTerminators);
    } else if (cmd == "drop" || cmd == "dup" || cmd == "reorder") {
        const double rate = arg.toDouble(&ok);
        ok = ok && rate >= 0.0 && rate <= 1.0;
        if (ok)
            (cmd == "drop" ? m_faults.drop : cmd == "dup" ? m_faults.dup : m_faults.reorder) = rate;
    } else {
        ok = false;
    }
    return ok;
}

QByteArray Simulator::control(const QByteArray &line)
{
    const QList<QByteArray> words = line.simplified().toLower().split(' ');
    const QByteArray &cmd = words.first();
    const QByteArray arg = words.size() > 1 ? words[1] : QByteArray();
    if (cmd == "stats")
        return "stats " + stats();
    bool ok = false;
    if (!controlSwitch(cmd, arg, ok))
        ok = controlAction(cmd, arg);
    if (!ok) {
        std::fprintf(stderr, "devsim: bad control command: %s (see --help)\n", line.constData());
        return "error: bad control command (see devsim --help)";
    }
    std::fprintf(stderr, "devsim: control: %s\n", line.constData());
    return "ok";
}
