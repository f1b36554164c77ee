#include "ptydevice.h"

#include "commandlog.h"
#include "datalog.h"
#include "devsimoptions.h"
#include "faultsettings.h"
#include "framesource.h"
#include "netrecordstore.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int maxQueuedOutput = 64 * 1024 * 1024;
constexpr int recordTimeoutMs = 2000;
constexpr int maxLineLength = 65536;

QByteArray blockHeader(int length)
{
    const QByteArray digits = QByteArray::number(length);
    return '#' + QByteArray::number(digits.size()) + digits;
}

} // namespace

PtyDevice::PtyDevice(const DevsimOptions &options, FaultSettings *faults, NetRecordStore *store, CommandLog *log,
                     DataLog *dataLog, QObject *parent)
    : QObject(parent),
      m_options(options),
      m_faults(faults),
      m_log(log),
      m_dataLog(dataLog),
      m_core(options, faults, store),
      m_tick(new QTimer(this)),
      m_hostPoll(new QTimer(this)),
      m_rng(options.seed * 2654435761ULL + 7)
{
    m_tick->setTimerType(Qt::PreciseTimer);
    m_tick->setInterval(5);
    connect(m_tick, &QTimer::timeout, this, &PtyDevice::onTick);
    m_hostPoll->setInterval(20);
    connect(m_hostPoll, &QTimer::timeout, this, &PtyDevice::onHostPoll);
}

PtyDevice::~PtyDevice()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int PtyDevice::openPty(QString &path)
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
        ::close(fd);
        return -1;
    }
    path = QString::fromLocal8Bit(::ptsname(fd));
    termios tio {};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    return fd;
}

bool PtyDevice::plug()
{
    if (m_fd >= 0)
        return true;
    QString path;
    int fd = openPty(path);
    // A re-plugged device shows up under a new name, as a real one usually does.
    if (fd >= 0 && path == m_previousPath) {
        QString second;
        const int other = openPty(second);
        ::close(fd);
        fd = other;
        path = second;
    }
    if (fd < 0) {
        std::fprintf(stderr, "devsim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_previousPath = path;
    m_core.stopStream();
    m_input.clear();
    m_recordMode = false;
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyDevice::onReadable);
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyDevice::onWritable);
    m_hostAttached = true;
    m_everAttached = false;
    setHostAttached(false);
    onHostPoll();
    std::fprintf(stderr, "devsim: plugged in at %s\n", qPrintable(m_path));
    emit plugged(m_path);
    return true;
}

void PtyDevice::unplug()
{
    if (m_fd < 0)
        return;
    stopStream();
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    ::close(m_fd);
    m_fd = -1;
    m_hostPoll->stop();
    m_hostAttached = false;
    m_output.clear();
    m_outputOffset = 0;
    m_input.clear();
    m_core.stopStream();
    updateTick();
    std::fprintf(stderr, "devsim: unplugged %s\n", qPrintable(m_path));
    m_path.clear();
    emit unplugged();
}

void PtyDevice::setPowered(bool on)
{
    if (on == m_powered)
        return;
    m_powered = on;
    stopStream();
    m_core.stopStream();
    m_input.clear();
    m_recordMode = false;
    if (!on) {
        m_output.clear();
        m_outputOffset = 0;
    }
    updateTick();
}

// The host side (the slave) is open exactly when the master reports no hang-up.
void PtyDevice::onHostPoll()
{
    if (m_fd < 0)
        return;
    pollfd p {m_fd, 0, 0};
    if (::poll(&p, 1, 0) < 0)
        return;
    setHostAttached(!(p.revents & POLLHUP));
}

void PtyDevice::setHostAttached(bool attached)
{
    if (attached == m_hostAttached)
        return;
    m_hostAttached = attached;
    if (m_readNotifier)
        m_readNotifier->setEnabled(attached);
    if (attached) {
        if (m_hostPoll->isActive() && m_everAttached)
            std::fprintf(stderr, "devsim: host opened %s\n", qPrintable(m_path));
        m_hostPoll->stop();
        m_lineClock.start();
        m_lineSent = 0;
        m_everAttached = true;
    } else {
        // Nobody reads: what is queued would only fill the terminal's buffer.
        m_bytesDropped += quint64(m_output.size() - m_outputOffset);
        m_output.clear();
        m_outputOffset = 0;
        m_stream.clear();
        m_input.clear();
        if (m_writeNotifier)
            m_writeNotifier->setEnabled(false);
        if (m_fd >= 0) {
            ::tcflush(m_fd, TCIOFLUSH);
            m_hostPoll->start();
        }
    }
}

void PtyDevice::onReadable()
{
    char buffer[65536];
    while (m_fd >= 0) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            if (m_powered)
                m_input.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno != EAGAIN)
            setHostAttached(false);
        break;
    }
    processInput();
    // A real device's command buffer is small; endless garbage without a line end is dropped.
    if (!m_recordMode && m_input.size() > maxLineLength) {
        std::fprintf(stderr, "devsim: %d bytes without a line end dropped\n", int(m_input.size()));
        m_input.clear();
    }
}

void PtyDevice::processInput()
{
    while (!m_input.isEmpty() && m_powered) {
        if (m_recordMode) {
            if (m_recordSince.elapsed() > recordTimeoutMs) {
                std::fprintf(stderr, "devsim: network record did not arrive, write abandoned\n");
                m_recordMode = false;
            } else if (!takeRecord()) {
                return;
            }
            continue;
        }
        int end = 0;
        while (end < m_input.size() && m_input[end] != '\n' && m_input[end] != '\r')
            ++end;
        if (end == m_input.size())
            return;
        const QByteArray line = m_input.left(end);
        m_input.remove(0, end + 1);
        if (line.trimmed().isEmpty())
            continue;
        ++m_commands;
        m_log->serial(line);
        apply(m_core.execute(line));
    }
}

// The record follows "mem:raw" either as a definite-length block or as 425 plain bytes.
bool PtyDevice::takeRecord()
{
    if (m_input.startsWith('\n') || m_input.startsWith('\r')) {
        m_input.remove(0, 1);
        return true;
    }
    if (!m_input.startsWith('#')) {
        if (m_input.size() < NetRecordStore::recordSize)
            return false;
        m_core.storeRecord(m_input.left(NetRecordStore::recordSize));
        m_input.remove(0, NetRecordStore::recordSize);
        m_recordMode = false;
        return true;
    }
    if (m_input.size() < 2)
        return false;
    const int digits = m_input[1] - '0';
    if (digits < 1 || digits > 8) {
        std::fprintf(stderr, "devsim: bad block header in network record, write abandoned\n");
        m_input.remove(0, 2);
        m_recordMode = false;
        return true;
    }
    if (m_input.size() < 2 + digits)
        return false;
    bool ok = false;
    const int length = m_input.mid(2, digits).toInt(&ok);
    if (!ok) {
        std::fprintf(stderr, "devsim: bad block length in network record, write abandoned\n");
        m_input.remove(0, 2 + digits);
        m_recordMode = false;
        return true;
    }
    if (m_input.size() < 2 + digits + length)
        return false;
    m_core.storeRecord(m_input.mid(2 + digits, length));
    m_input.remove(0, 2 + digits + length);
    m_recordMode = false;
    return true;
}

void PtyDevice::apply(const DeviceCore::Outcome &outcome)
{
    if (outcome.streamStopped)
        stopStream();
    for (const DeviceCore::Reply &reply : outcome.replies) {
        if (reply.binary)
            sendBlock(reply.bytes, false);
        else
            queue(reply.bytes + "\r\n");
    }
    if (outcome.streamStarted)
        startStream();
    if (outcome.expectRecord) {
        m_recordMode = true;
        m_recordSince.start();
    }
}

int PtyDevice::nominalBlockBytes() const
{
    const int frames = m_options.blockFrames > 0 ? m_options.blockFrames : qMax(1, m_core.rate() / 100);
    return frames * m_source->frameSize();
}

quint32 PtyDevice::random()
{
    m_rng ^= m_rng << 13;
    m_rng ^= m_rng >> 7;
    m_rng ^= m_rng << 17;
    return quint32(m_rng >> 16);
}

void PtyDevice::startStream()
{
    m_overflowReported = false;
    m_framesSent = 0;
    m_blocksSent = 0;
    m_payloadSent = 0;
    m_stream.clear();
    m_source = std::make_unique<FrameSource>(m_core.layout(), m_core.rate(), m_options.seed);
    m_dataLog->streamStarted("serial", m_source->frameSize());
    m_nextBlockBytes = nominalBlockBytes();
    m_clock.start(m_core.rate());
    m_clock.setPaused(m_faults->stall);
    updateTick();
}

void PtyDevice::stopStream()
{
    if (m_clock.isRunning() && m_source) {
        produceStream();
        cutBlocks(true);
    }
    m_clock.stop();
    m_core.stopStream();
    m_stream.clear();
    updateTick();
}

void PtyDevice::produceStream()
{
    const quint64 first = m_clock.framesTaken();
    const qint64 n = m_clock.takeDue();
    if (n <= 0 || !m_hostAttached)
        return;
    // A paced line that cannot carry the stream overflows the device's buffer (a quarter
    // second of line time) instead of queueing without end.
    const int limit = m_options.lineRate > 0 ? qMax(4096, m_options.lineRate / 40) : maxQueuedOutput;
    if (m_output.size() - m_outputOffset > limit) {
        if (!m_overflowReported)
            std::fprintf(stderr, "devsim: the line or the host cannot keep up, stream data dropped\n");
        m_overflowReported = true;
        m_bytesDropped += quint64(n) * quint64(m_source->frameSize());
        return;
    }
    m_stream.reserve(m_stream.size() + int(n) * m_source->frameSize());
    for (qint64 i = 0; i < n; ++i)
        m_source->appendFrame(m_stream, first + quint64(i));
    m_framesSent += quint64(n);
}

void PtyDevice::cutBlocks(bool all)
{
    int offset = 0;
    while (m_stream.size() - offset >= m_nextBlockBytes || (all && offset < m_stream.size())) {
        const int length = qMin(m_nextBlockBytes, m_stream.size() - offset);
        sendBlock(m_stream.mid(offset, length), true);
        offset += length;
        const int nominal = nominalBlockBytes();
        m_nextBlockBytes = m_options.unaligned ? 1 + int(random() % quint32(2 * nominal)) : nominal;
    }
    m_stream.remove(0, offset);
}

void PtyDevice::sendBlock(const QByteArray &payload, bool streamBlock)
{
    QByteArray block = blockHeader(payload.size());
    const char *fate = "sent";
    if (streamBlock && m_faults->badHeaders > 0) {
        --m_faults->badHeaders;
        block[1] = 'X';
        fate = "badheader";
        std::fprintf(stderr, "devsim: sent a block with a bad header\n");
    }
    block += payload;
    if (streamBlock && m_faults->badTerminators > 0) {
        --m_faults->badTerminators;
        block += 'X';
        fate = "badterminator";
        std::fprintf(stderr, "devsim: sent a block with a bad terminator\n");
    } else {
        block += '\n';
    }
    if (streamBlock) {
        m_dataLog->unit("serial", m_blocksSent, m_payloadSent, quint64(payload.size()), fate);
        ++m_blocksSent;
        m_payloadSent += quint64(payload.size());
    }
    queue(block);
}

void PtyDevice::queue(const QByteArray &bytes)
{
    if (m_fd < 0 || !m_powered)
        return;
    if (!m_hostAttached) {
        m_bytesDropped += quint64(bytes.size());
        return;
    }
    if (m_outputOffset == m_output.size() && m_options.lineRate > 0) {
        // An idle line earns no credit for a later burst.
        const qint64 allowed = qint64(m_lineClock.nsecsElapsed() * (m_options.lineRate / 10.0) / 1e9);
        m_lineSent = qMax(m_lineSent, allowed);
    }
    m_output += bytes;
    flushOutput();
}

qint64 PtyDevice::lineBudget()
{
    if (m_options.lineRate <= 0)
        return std::numeric_limits<qint64>::max();
    const qint64 allowed = qint64(m_lineClock.nsecsElapsed() * (m_options.lineRate / 10.0) / 1e9) + 64;
    return qMax<qint64>(0, allowed - m_lineSent);
}

void PtyDevice::flushOutput()
{
    while (m_fd >= 0 && m_hostAttached && m_outputOffset < m_output.size()) {
        const qint64 budget = qMin<qint64>(lineBudget(), m_output.size() - m_outputOffset);
        if (budget <= 0)
            break;
        const ssize_t n = ::write(m_fd, m_output.constData() + m_outputOffset, size_t(budget));
        if (n > 0) {
            m_outputOffset += int(n);
            m_lineSent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        setHostAttached(false);
        return;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    if (m_outputOffset == m_output.size()) {
        m_output.clear();
        m_outputOffset = 0;
    } else if (m_outputOffset > 1024 * 1024) {
        m_output.remove(0, m_outputOffset);
        m_outputOffset = 0;
    }
    updateTick();
}

void PtyDevice::onWritable()
{
    flushOutput();
}

void PtyDevice::onTick()
{
    if (m_recordMode && m_recordSince.elapsed() > recordTimeoutMs)
        processInput();
    if (m_clock.isRunning()) {
        produceStream();
        cutBlocks(false);
    }
    flushOutput();
}

void PtyDevice::updateTick()
{
    const bool pacing = m_options.lineRate > 0 && m_outputOffset < m_output.size();
    const bool needed = m_fd >= 0 && (m_clock.isRunning() || pacing);
    if (needed && !m_tick->isActive())
        m_tick->start();
    else if (!needed && m_tick->isActive())
        m_tick->stop();
}

QByteArray PtyDevice::stats() const
{
    return "serial frames=" + QByteArray::number(m_framesSent) + " blocks=" + QByteArray::number(m_blocksSent)
           + " commands=" + QByteArray::number(m_commands) + " dropped_bytes=" + QByteArray::number(m_bytesDropped);
}
