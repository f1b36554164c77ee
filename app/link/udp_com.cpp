#include "udp_com.h"

#include "wifiendpoint.h"

#include <QDebug>
#include <QMutexLocker>
#include <QTimer>
#include <QUdpSocket>

namespace {
constexpr int AnswerTickMs = 100;
constexpr int NoAnswerWaitMs = 1000;
constexpr quint32 AnswerRetries = 3;
constexpr int FirstPingMs = 200;
constexpr int PingMs = 1200;
constexpr int MaxMissedPings = 3;
constexpr int StreamStartTimeoutMs = 1500;
constexpr int StreamDataTimeoutMs = 1000;
constexpr int MaxBinarySize = 1024;
constexpr int MaxDatagram = 65536;
} // namespace

udp_com::udp_com(QObject *parent, const QString &address, bool active) : myAdw(parent)
{
    WifiEndpoint::resolve(address, deviceAddress, devicePort);
    cmdTimer = makeTimer(SLOT(onCmdTimer()));
    pingTimer = makeTimer(SLOT(onPingTimer()));
    timeoutTimer = makeTimer(SLOT(onTimeoutTimer()));
    elapsed.start();
    if (active)
        activate();
}

void udp_com::activate()
{
    if (socket)
        return;
    socket = new QUdpSocket(this);
    connect(socket, SIGNAL(readyRead()), this, SLOT(readPendingDatagrams()));
    pingTimer->start(FirstPingMs);
    sendKeepAlive();
}

udp_com::~udp_com()
{
    close();
}

QTimer *udp_com::makeTimer(const char *slot)
{
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, SIGNAL(timeout()), this, slot);
    return timer;
}

void udp_com::send(const QByteArray &datagram)
{
    if (!socket || deviceAddress.isNull())
        return;     // dormant, or no usable endpoint (malformed override)
    socket->writeDatagram(datagram, deviceAddress, devicePort);
}

void udp_com::sendKeepAlive()
{
    send(codec.buildKeepAlive());
}

// ---- opening and closing ----

bool udp_com::open(const DeviceInfo &)
{
    if (m_opened)
        return true;
    activate();
    qDebug() << "open udp connection, send rst etc";
    receiver.setPingAnswered(false);
    receiver.setMissedPings(0);
    sendKeepAlive();
    send(codec.buildCommand("abort"));
    send(codec.buildCommand("*rst"));
    disconnected = false;
    openResultsEmitted = false;
    m_opened = true;
    return true;
}

void udp_com::close()
{
    qDebug() << "udp close(): send rst etc";
    const QByteArray reset = codec.buildCommand("*rst");
    for (int i = 0; i < 3; ++i)
        send(reset);
    m_opened = false;
    receiver.setMissedPings(0);
}

void udp_com::scanDevices(QList<DeviceInfo> &devices)
{
    devices.clear();
    if (receiver.deviceId().startsWith(QLatin1String("kestr"))) {
        DeviceInfo info;
        info.serialNumber = receiver.deviceId();
        devices.append(info);
    }
}

// ---- commands ----

bool udp_com::sendCommand(const QString &command, bool expectAnswer, bool startStreaming,
                          bool, qint32)
{
    qDebug().noquote() << QStringLiteral("sendCommand: %1 size=%2").arg(command).arg(pendingCommands());
    CommandEntry entry;
    entry.data = command.toUtf8();
    entry.expectAnswer = expectAnswer;
    entry.startStreaming = startStreaming;
    entry.retries = expectAnswer ? AnswerRetries : 0;
    int queued = 0;
    {
        QMutexLocker lock(&queueMutex);
        commandQueue.append(entry);
        queued = commandQueue.size();
    }
    if (command.toLower().startsWith(QLatin1String("init"))) {
        qDebug() << "---------------------------------------- reset _timeouted=false";
        m_dataTimedOut = false;
        ResetReport();
    }
    if (queued == 1)
        sendHead(true);
    return true;
}

void udp_com::sendHead(bool fromSendCommand)
{
    // A streaming command leaves the queue as it goes out, so whatever was queued behind
    // it goes out right after it instead of waiting for a timer that never runs.
    while (true) {
        CommandEntry entry;
        {
            QMutexLocker lock(&queueMutex);
            if (commandQueue.isEmpty())
                return;
            entry = commandQueue.first();
            if (entry.startStreaming)
                commandQueue.removeFirst();
        }
        m_streaming = entry.startStreaming;
        if (entry.startStreaming)
            resetIncoming();    // the device numbers every stream from 0
        // Answers belong to the command at the head; bytes from before it are stale.
        receiver.answerBytes().clear();
        const QByteArray datagram = codec.buildCommand(entry.data);
        send(datagram);
        if (!entry.expectAnswer) {
            qDebug() << "############## cmd packet repeat it twice: " << entry.data;
            send(datagram);
            send(datagram);
        }
        if (!entry.startStreaming) {
            cmdTimer->start(entry.expectAnswer ? AnswerTickMs : NoAnswerWaitMs);
            return;
        }
        if (fromSendCommand) {
            m_dataTimedOut = false;
            qDebug() << "start TimeoutTimer" << elapsed.elapsed();
        } else {
            qDebug() << "start timeoutTimer " << elapsed.elapsed();
        }
        lastDataMs = -1;
        timeoutTimer->start(StreamStartTimeoutMs);
    }
}

void udp_com::onCmdTimer()
{
    CommandEntry head;
    {
        QMutexLocker lock(&queueMutex);
        if (commandQueue.isEmpty()) {
            qDebug() << "#################### cmdsize=0. this should not happen.";
            return;
        }
        head = commandQueue.first();
    }
    const QByteArray answer = receiver.answerBytes();
    if (head.expectAnswer) {
        receiver.answerBytes().clear();
        if (!answer.isEmpty()) {
            deliver(true, answer);
            return;
        }
        if (head.retries > 0) {
            QMutexLocker lock(&queueMutex);
            --commandQueue.first().retries;
            cmdTimer->start(AnswerTickMs);
            return;
        }
        qDebug() << "Timeout occured , udpRxCmdBytes cleared 2";
        deliver(false, QByteArray());
        return;
    }
    if (!answer.isEmpty()) {
        deliver(false, answer);
        return;
    }
    receiver.answerBytes().clear();
    qDebug() << "Timeout occured , udpRxCmdBytes cleared 2";
    deliver(true, QByteArray());
}

void udp_com::deliver(bool success, const QByteArray &answer)
{
    QByteArray command;
    {
        QMutexLocker lock(&queueMutex);
        command = commandQueue.first().data;
    }
    emit onResponseReady(success, command, answer);
    {
        QMutexLocker lock(&queueMutex);
        if (!commandQueue.isEmpty())
            commandQueue.removeFirst();
    }
    receiver.answerBytes().clear();
    sendHead(false);
}

bool udp_com::sendBinary(const QByteArray &data)
{
    if (data.size() > MaxBinarySize) {
        qDebug() << "###### Error: could not send Binary Block";
        return false;
    }
    send(codec.buildCommand(data));
    return true;
}

bool udp_com::sendWhileStreaming(const QByteArray &data)
{
    qDebug() << "sendwhilestreaming " << data;
    const QByteArray datagram = codec.buildCommand(data);
    for (int i = 0; i < 3; ++i)
        send(datagram);
    return true;
}

// ---- receiving ----

void udp_com::readPendingDatagrams()
{
    // One buffer for every read: the largest datagram fits, and no size query is needed.
    if (readBuffer.size() != MaxDatagram)
        readBuffer.resize(MaxDatagram);
    bool data = false;
    // Read until the socket has nothing more (it then reports a temporary "would block"
    // error, which is no fault): one system call per datagram instead of three.
    while (true) {
        const qint64 read = socket->readDatagram(readBuffer.data(), readBuffer.size());
        if (read < 0)
            break;
        const UdpReceiver::Result result =
            receiver.parse(QByteArray::fromRawData(readBuffer.constData(), int(read)), m_streaming);
        if (result.ackDue)
            send(codec.buildAcknowledge(receiver.recentTxIds()));
        data = data || result.kind == UdpReceiver::Kind::Data;
    }
    if (data && m_streaming) {
        // The timeout is due 1000 ms after the last data packet. Rather than restarting the
        // timer for every packet, it is re-armed when it fires early (onTimeoutTimer).
        lastDataMs = elapsed.elapsed();
        if (!timeoutTimer->isActive())
            timeoutTimer->start(StreamDataTimeoutMs);
    }
    collectLosses();
}

void udp_com::collectLosses()
{
    for (const StreamLoss &loss : receiver.reorder().takeLosses())
        losses.book(loss);
}

QVector<StreamLoss> udp_com::takeStreamLosses()
{
    return losses.take();
}

// Whole frames only, never put together from both sides of a loss; the bytes of a frame
// not complete yet wait in the queue.
quint32 udp_com::readBlocks(QByteArray &out, quint32 blockSize)
{
    QByteArray &queue = receiver.reorder().dataQueue();
    return losses.cut(queue, queue.size(), blockSize, out);
}

// ---- keep-alive and stream timeout ----

void udp_com::onPingTimer()
{
    if (receiver.pingAnswered()) {
        if (m_opened && !openResultsEmitted) {
            openResultsEmitted = true;
            qDebug() << "################## openresults emitted: "
                     << (receiver.available() ? "true" : "false");
            emit onOpenResults(receiver.available());
        }
        receiver.setMissedPings(0);
        disconnected = false;
        receiver.setPingAnswered(false);
    } else {
        receiver.setMissedPings(receiver.missedPings() + 1);
        if (receiver.missedPings() > MaxMissedPings)
            disconnected = true;
    }
    sendKeepAlive();
    pingTimer->start(PingMs);
}

void udp_com::onTimeoutTimer()
{
    if (lastDataMs >= 0) {
        const qint64 quiet = elapsed.elapsed() - lastDataMs;
        if (quiet < StreamDataTimeoutMs) {
            timeoutTimer->start(int(StreamDataTimeoutMs - quiet));
            return;
        }
    }
    qDebug() << "onTimeoutTimer " << elapsed.elapsed();
    // No more data will close a gap now: what waits behind it is delivered.
    receiver.reorder().flush(m_streaming);
    collectLosses();
    m_dataTimedOut = true;
}

// ---- state queries ----

bool udp_com::dataTimedOut() { return m_dataTimedOut; }

bool udp_com::isStreaming() { return m_streaming; }

bool udp_com::decoderFailed() { return false; }

bool udp_com::decoderBusy() { return false; }

bool udp_com::isOpen()
{
    qDebug() << "isopen(): " << (receiver.pingAnswered() ? "true" : "false");
    return !disconnected;
}

bool udp_com::openFailed() { return false; }

qint32 udp_com::pendingCommands()
{
    QMutexLocker lock(&queueMutex);
    return commandQueue.size();
}

bool udp_com::isDeviceDisconnected() { return disconnected; }

qint32 udp_com::errorCount() { return 0; }

void udp_com::resetErrorCount() { m_errorCount = 0; }

QByteArray udp_com::lastResponse() { return QByteArray(); }

QByteArray udp_com::lastError() { return QByteArray(); }

QString udp_com::report() { return receiver.reorder().report(); }

void udp_com::ResetReport() { receiver.reorder().resetReport(); }

void udp_com::resetIncoming()
{
    receiver.resetIncoming();
    losses.reset();
}
