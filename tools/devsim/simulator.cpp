#include "simulator.h"

#include "controlchannel.h"
#include "ptydevice.h"
#include "udpdevice.h"

#include <QCoreApplication>
#include <QList>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
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
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Simulator::shutDown);

    if (m_options.pty) {
        m_pty = new PtyDevice(m_options, &m_faults, &m_store, this);
        connect(m_pty, &PtyDevice::plugged, this, &Simulator::onPlugged);
        connect(m_pty, &PtyDevice::unplugged, this, &Simulator::onUnplugged);
        if (!m_pty->plug())
            return false;
    }
    if (m_options.udp) {
        m_udp = new UdpDevice(m_options, &m_faults, &m_store, this);
        if (!m_udp->bind())
            return false;
        printPortLine("udp " + m_udp->endpoint());
    }
    m_control = new ControlChannel(STDIN_FILENO, this);
    connect(m_control, &ControlChannel::commandReceived, this, &Simulator::onCommand);
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
    m_portsFile.declare(path);
    printPortLine("serial " + path);
}

void Simulator::onUnplugged()
{
    m_portsFile.declare(QString());
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
    if (control(line))
        std::fprintf(stderr, "devsim: control: %s\n", line.constData());
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

bool Simulator::control(const QByteArray &line)
{
    const QList<QByteArray> words = line.simplified().toLower().split(' ');
    const QByteArray &cmd = words.first();
    const QByteArray arg = words.size() > 1 ? words[1] : QByteArray();
    bool ok = true;
    if (cmd == "quit") {
        QCoreApplication::quit();
    } else if (cmd == "unplug") {
        if (m_pty)
            m_pty->unplug();
    } else if (cmd == "plug") {
        if (m_pty)
            ok = m_pty->plug();
    } else if (cmd == "silent") {
        ok = setFlag(arg, m_faults.silent);
        if (ok)
            setPowered(!m_faults.silent);
    } else if (cmd == "busy") {
        ok = setFlag(arg, m_faults.busy);
    } else if (cmd == "stall") {
        ok = setFlag(arg, m_faults.stall);
        if (ok)
            setStalled(m_faults.stall);
    } else if (cmd == "badheader") {
        ++m_faults.badHeaders;
    } else if (cmd == "badterminator") {
        ++m_faults.badTerminators;
    } else if (cmd == "drop" || cmd == "dup" || cmd == "reorder") {
        const double rate = arg.toDouble(&ok);
        ok = ok && rate >= 0.0 && rate <= 1.0;
        if (ok)
            (cmd == "drop" ? m_faults.drop : cmd == "dup" ? m_faults.dup : m_faults.reorder) = rate;
    } else if (cmd == "retransmit") {
        ok = setFlag(arg, m_faults.retransmit);
    } else if (cmd == "conferror") {
        ok = setFlag(arg, m_faults.confError);
    } else if (cmd == "stats") {
        printPortLine("stats " + QString::fromLatin1(stats()));
    } else {
        ok = false;
    }
    if (!ok)
        std::fprintf(stderr, "devsim: bad control command: %s (see --help)\n", line.constData());
    return ok;
}
