#include "udpdevice.h"

#include "commandlog.h"
#include "datalog.h"
#include "devsimoptions.h"
#include "faultsettings.h"
#include "framesource.h"

#include <QList>
#include <QSet>
#include <QTimer>
#include <QUdpSocket>
#include <QtEndian>
#include <cstdio>

namespace {

constexpr int historySize = 512;      // data packets kept for resending
constexpr int resendWindow = 60;      // how far behind the newest acknowledged packet we look
constexpr int recordTimeoutMs = 2000;
constexpr int heldTimeoutMs = 50;
constexpr int repeatWindowMs = 5000;

} // namespace

UdpDevice::UdpDevice(const DevsimOptions &options, FaultSettings *faults, NetRecordStore *store, CommandLog *log,
                     DataLog *dataLog, QObject *parent)
    : QObject(parent),
      m_options(options),
      m_faults(faults),
      m_log(log),
      m_dataLog(dataLog),
      m_core(options, faults, store),
      m_socket(new QUdpSocket(this)),
      m_tick(new QTimer(this)),
      m_rng(options.seed * 0x9e3779b97f4a7c15ULL + 12345)
{
    m_tick->setTimerType(Qt::PreciseTimer);
    m_tick->setInterval(5);
    connect(m_tick, &QTimer::timeout, this, &UdpDevice::onTick);
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpDevice::onReadyRead);
}

UdpDevice::~UdpDevice() = default;

bool UdpDevice::bind()
{
    if (!m_options.udpHost.isLoopback())
        return false;
    if (!m_socket->bind(m_options.udpHost, m_options.udpPort)) {
        std::fprintf(stderr, "devsim: cannot bind UDP %s:%u: %s\n", qPrintable(m_options.udpHost.toString()),
                     unsigned(m_options.udpPort), qPrintable(m_socket->errorString()));
        return false;
    }
    m_socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 4 * 1024 * 1024);
    return true;
}

QString UdpDevice::endpoint() const
{
    const QHostAddress a = m_socket->localAddress();
    const QString host = a.protocol() == QAbstractSocket::IPv6Protocol ? '[' + a.toString() + ']' : a.toString();
    return host + ':' + QString::number(m_socket->localPort());
}

void UdpDevice::setPowered(bool on)
{
    if (on == m_powered)
        return;
    m_powered = on;
    stopStream();
    m_core.stopStream();
    m_recordMode = false;
    m_haveLastCommand = false;
}

quint64 UdpDevice::random()
{
    m_rng ^= m_rng << 13;
    m_rng ^= m_rng >> 7;
    m_rng ^= m_rng << 17;
    return m_rng;
}

bool UdpDevice::dice(double rate)
{
    if (rate <= 0.0)
        return false;
    return double(random() >> 11) / double(1ULL << 53) < rate;
}

void UdpDevice::onReadyRead()
{
    while (m_socket->hasPendingDatagrams()) {
        QByteArray bytes(int(qMax<qint64>(0, m_socket->pendingDatagramSize())), '\0');
        QHostAddress from;
        quint16 port = 0;
        const qint64 n = m_socket->readDatagram(bytes.data(), bytes.size(), &from, &port);
        if (n < 0)
            continue;
        bytes.resize(int(n));
        Datagram d;
        if (m_powered && Datagram::decode(bytes, d))
            handle(d, from, port);
    }
}

void UdpDevice::handle(const Datagram &d, const QHostAddress &from, quint16 port)
{
    if (!from.isLoopback())
        return;
    switch (d.type) {
    case Datagram::KeepAlive:
        ++m_keepAlives;
        send(Datagram::KeepAlive,
             (m_faults->busy ? QByteArray("busy,") : QByteArray("available,")) + m_options.serialNumber.toUtf8(), from,
             port);
        break;
    case Datagram::Command:
        handleCommand(d, from, port);
        break;
    case Datagram::Ack:
        handleAck(d.payload);
        break;
    default:
        break;
    }
}

// Commands without an answer arrive three times as the same datagram, back to back;
// they run once. (The time bound keeps a wrapped-around txId from being taken as a copy.)
void UdpDevice::handleCommand(const Datagram &d, const QHostAddress &from, quint16 port)
{
    const bool repeat =
        m_haveLastCommand && d.txId == m_lastCommandTxId && m_lastCommandSince.elapsed() < repeatWindowMs;
    if (m_recordMode && !repeat && m_recordSince.elapsed() > recordTimeoutMs) {
        std::fprintf(stderr, "devsim: network record did not arrive, write abandoned\n");
        m_recordMode = false;
    }
    const QList<QByteArray> lines = d.payload.split('\n');
    if (repeat || !m_recordMode) {
        for (const QByteArray &line : lines)
            if (!line.trimmed().isEmpty())
                m_log->udp(d.txId, line);
    }
    if (repeat)
        return;
    m_haveLastCommand = true;
    m_lastCommandTxId = d.txId;
    m_lastCommandSince.start();
    if (m_recordMode) {
        takeRecord(d.payload);
        return;
    }
    for (const QByteArray &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        ++m_commands;
        apply(m_core.execute(line), from, port);
    }
}

// The record comes as it is (a line feed appended by the host) or as a block.
void UdpDevice::takeRecord(const QByteArray &payload)
{
    m_recordMode = false;
    QByteArray record = payload;
    if (record.startsWith('#') && record.size() > 2) {
        const int digits = record[1] - '0';
        bool ok = false;
        const int length = digits >= 1 && digits <= 8 ? record.mid(2, digits).toInt(&ok) : 0;
        if (ok && record.size() >= 2 + digits + length)
            record = record.mid(2 + digits, length);
    }
    m_core.storeRecord(record);
}

void UdpDevice::apply(const DeviceCore::Outcome &outcome, const QHostAddress &to, quint16 port)
{
    if (outcome.streamStopped)
        stopStream();
    // Answers carry no line end; long ones are split over several datagrams.
    for (const DeviceCore::Reply &reply : outcome.replies) {
        for (int offset = 0; offset < reply.bytes.size(); offset += m_options.udpAnswerChunk)
            send(Datagram::Command, reply.bytes.mid(offset, m_options.udpAnswerChunk), to, port);
    }
    if (outcome.streamStarted) {
        m_host = to;
        m_hostPort = port;
        startStream();
    }
    if (outcome.expectRecord) {
        m_recordMode = true;
        m_recordSince.start();
    }
}

void UdpDevice::send(quint16 type, const QByteArray &payload, const QHostAddress &to, quint16 port)
{
    Datagram d;
    d.txId = m_txCounter++;
    d.type = type;
    d.payload = payload;
    m_socket->writeDatagram(d.encode(), to, port);
}

void UdpDevice::startStream()
{
    releaseHeld();
    m_stream.clear();
    m_history.clear();
    m_blockIndex = 0;
    m_framesSent = 0;
    m_streamFirst = 0;
    m_nextFrames = 0;
    m_source = std::make_unique<FrameSource>(m_core.layout(), m_core.rate(), m_options.seed);
    m_dataLog->streamStarted("udp", m_source->frameSize());
    m_clock.start(m_core.rate());
    m_clock.setPaused(m_faults->stall);
    m_tick->start();
}

void UdpDevice::stopStream()
{
    if (m_clock.isRunning() && m_source) {
        produceStream();
        packStream(true);
        resendTail();
    }
    releaseHeld();
    m_clock.stop();
    m_core.stopStream();
    m_stream.clear();
    m_tick->stop();
}

void UdpDevice::onTick()
{
    if (!m_held.isEmpty() && m_heldSince.elapsed() > heldTimeoutMs)
        releaseHeld();
    produceStream();
    packStream(false);
}

void UdpDevice::produceStream()
{
    const quint64 first = m_clock.framesTaken();
    const qint64 n = m_clock.takeDue();
    if (m_stream.isEmpty())
        m_streamFirst = first;
    for (qint64 i = 0; i < n; ++i)
        m_source->appendFrame(m_stream, first + quint64(i));
}

// Frames for the next datagram: a fixed number, a random number, or as many as fit.
int UdpDevice::nextPacketFrames()
{
    const int fit = qMax(1, m_options.udpPayload / m_source->frameSize());
    if (m_options.udpFrames > 0)
        return m_options.udpFrames;
    if (!m_options.udpVary)
        return fit;
    if (m_nextFrames == 0)
        m_nextFrames = 1 + int(random() % quint64(fit));
    return m_nextFrames;
}

// Cuts the waiting frames into datagrams. Every datagram starts at a frame boundary and
// carries whole frames. At the end of a stream the rest goes out in a shorter datagram,
// except with a fixed frame count, where it is not sent at all.
void UdpDevice::packStream(bool ending)
{
    const int frameSize = m_source->frameSize();
    int offset = 0;
    while (offset < m_stream.size()) {
        const int available = (m_stream.size() - offset) / frameSize;
        int frames = nextPacketFrames();
        if (available < frames) {
            if (m_options.udpFrames > 0 || (m_options.udpVary && !ending))
                break;
            frames = available;
        }
        m_nextFrames = 0;
        const quint64 firstFrame = m_streamFirst + quint64(offset / frameSize);
        sendData(m_blockIndex++, m_stream.mid(offset, frames * frameSize), firstFrame, frames, false);
        m_framesSent += quint64(frames);
        offset += frames * frameSize;
    }
    m_stream.remove(0, offset);
    m_streamFirst += quint64(offset / frameSize);
    if (ending)
        m_stream.clear();
}

void UdpDevice::sendData(quint32 blockIndex, const QByteArray &payload, quint64 firstFrame, int frames, bool resend)
{
    Datagram d;
    d.txId = m_txCounter++;
    d.type = Datagram::Data;
    d.blockIndex = blockIndex;
    d.payload = payload;
    m_history.push_back({d.txId, blockIndex, payload, firstFrame, frames, false, false});
    if (m_history.size() > historySize)
        m_history.pop_front();
    ++m_dataSent;
    if (dice(m_faults->drop)) {
        ++m_dropped;
        m_dataLog->unit("udp", blockIndex, firstFrame, quint64(frames), resend ? "resent-dropped" : "dropped");
        return;
    }
    m_dataLog->unit("udp", blockIndex, firstFrame, quint64(frames), resend ? "resent" : "sent");
    const QByteArray bytes = d.encode();
    // A packet right behind a held one cannot itself be held, so the dice for the others
    // are loaded to make `reorder` the share of all packets that arrive late (at most 1/2).
    const double r = qMin(m_faults->reorder, 0.5);
    if (m_held.isEmpty() && dice(r < 0.5 ? r / (1.0 - r) : 1.0)) {
        ++m_reordered;
        m_held = bytes;
        m_heldSince.start();
        return;
    }
    transmit(bytes);
    if (dice(m_faults->dup)) {
        ++m_duplicated;
        transmit(bytes);
    }
    releaseHeld();
}

void UdpDevice::transmit(const QByteArray &datagram)
{
    if (m_powered && m_hostPort != 0)
        m_socket->writeDatagram(datagram, m_host, m_hostPort);
}

void UdpDevice::releaseHeld()
{
    if (m_held.isEmpty())
        return;
    const QByteArray held = m_held;
    m_held.clear();
    transmit(held);
}

// The host lists the txIds of the last data packets it received. Packets sent before
// the newest listed one and never listed are taken as lost and sent again, each under
// a new txId with its old blockIndex.
void UdpDevice::handleAck(const QByteArray &payload)
{
    ++m_acks;
    QSet<quint16> listed;
    for (int i = 0; i + 1 < payload.size(); i += 2)
        listed.insert(qFromLittleEndian<quint16>(payload.constData() + i));
    int newest = -1;
    for (int i = 0; i < int(m_history.size()); ++i) {
        if (listed.contains(m_history[size_t(i)].txId)) {
            m_history[size_t(i)].acked = true;
            newest = i;
        }
    }
    if (!m_faults->retransmit || newest < 0)
        return;
    QVector<SentPacket> lost;
    for (int i = qMax(0, newest - resendWindow); i < newest; ++i) {
        SentPacket &p = m_history[size_t(i)];
        if (!p.acked && !p.resent) {
            p.resent = true;
            lost.append(p);
        }
    }
    for (const SentPacket &p : lost) {
        ++m_retransmitted;
        sendData(p.blockIndex, p.payload, p.firstFrame, p.frames, true);
    }
}

// No acknowledgement follows the last packets of a stream, so at its end every packet
// sent after the newest acknowledged one goes out once more; copies the host already
// has are dropped by it.
void UdpDevice::resendTail()
{
    if (!m_faults->retransmit)
        return;
    int newest = int(m_history.size()) - 1;
    while (newest >= 0 && !m_history[size_t(newest)].acked)
        --newest;
    if (newest < 0)
        return;
    QVector<SentPacket> tail;
    for (size_t i = size_t(newest) + 1; i < m_history.size(); ++i) {
        if (!m_history[i].resent) {
            m_history[i].resent = true;
            tail.append(m_history[i]);
        }
    }
    for (const SentPacket &p : tail) {
        ++m_retransmitted;
        sendData(p.blockIndex, p.payload, p.firstFrame, p.frames, true);
    }
}

QByteArray UdpDevice::stats() const
{
    return "udp keepalives=" + QByteArray::number(m_keepAlives) + " commands=" + QByteArray::number(m_commands)
           + " frames=" + QByteArray::number(m_framesSent) + " blocks=" + QByteArray::number(m_blockIndex)
           + " data=" + QByteArray::number(m_dataSent) + " dropped=" + QByteArray::number(m_dropped)
           + " duplicated=" + QByteArray::number(m_duplicated) + " reordered=" + QByteArray::number(m_reordered)
           + " retransmitted=" + QByteArray::number(m_retransmitted) + " acks=" + QByteArray::number(m_acks);
}
