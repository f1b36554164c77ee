#include "serialcom.h"

#include "serialcomworker.h"
#include "serialportlist.h"

#include <QCoreApplication>
#include <QDebug>

static const int longQueueBytes = 1000000;

SerialCom::SerialCom(QObject *parent) : myAdw(parent) {}

SerialCom::~SerialCom()
{
    close();
}

// ---- discovery ----

QString SerialCom::cleanSerialNumber(QString serialNumber)
{
    while (serialNumber.size() > 1) {
        const QChar first = serialNumber.at(0);
        if (first != ' ' && first != '0' && first != '_')
            break;
        serialNumber.remove(0, 1);
    }
    return serialNumber;
}

bool SerialCom::isKnownDevice(quint32 vendorId, quint32 productId)
{
    static const quint32 pairs[][2] = {
        {0x1A86, 0x7523}, {0x10C4, 0xEA60}, {0x303A, 0x4001}, {0x0483, 0x5740}};
    for (const auto &pair : pairs) {
        if (vendorId == pair[0] && productId == pair[1])
            return true;
    }
    return false;
}

DeviceInfo SerialCom::deviceInfoFor(const SerialPortEntry &port)
{
    DeviceInfo info;
    info.portName = port.systemLocation;
    info.busy = port.busy;
    info.reserved = false;
    info.kind = 2;
    info.vendorId = port.hasVendorIdentifier ? port.vendorId : 0;
    info.productId = port.hasProductIdentifier ? port.productId : 0;
    info.manufacturer = port.manufacturer;
    info.description = port.description;
    info.label = port.description;
    info.serialNumber = cleanSerialNumber(port.serialNumber);
    return info;
}

void SerialCom::scanDevices(QList<DeviceInfo> &devices)
{
    const QList<SerialPortEntry> ports = SerialPortList::availablePorts();
    for (const SerialPortEntry &port : ports) {
        if (!port.hasVendorIdentifier || !port.hasProductIdentifier)
            continue;
        if (isKnownDevice(port.vendorId, port.productId))
            devices.append(deviceInfoFor(port));
    }
}

// ---- open and close ----

bool SerialCom::open(const DeviceInfo &device)
{
    if (worker)
        return false;
    m_openFailed = false;
    worker = new SerialComWorker(this);
    connect(worker, SIGNAL(onOpenResults( bool )), this, SLOT(onWorkerOpenResults( bool )));
    connect(worker, SIGNAL(onResponseReady( bool, QByteArray, QByteArray )),
            this, SLOT(onWorkerResponseReady( bool, QByteArray, QByteArray )));
    connect(worker, SIGNAL(onResponseError( bool, QByteArray, QByteArray )),
            this, SLOT(onWorkerResponseError( bool, QByteArray, QByteArray )));
    connect(worker, SIGNAL(onDataReady( QByteArray )), this, SLOT(onWorkerDataReady( QByteArray )));
    connect(worker, SIGNAL(onDataTimeout()), this, SLOT(onWorkerDataTimeout()));
    worker->startWorker(device);
    return true;
}

void SerialCom::close()
{
    if (worker) {
        worker->requestStop();
        delete worker;
        worker = nullptr;
        // Signals the old worker queued before it ended belong to a closed link; a later
        // open must not receive them as its own.
        QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    }
    m_opened = false;
}

// ---- commands ----

bool SerialCom::sendCommand(const QString &command, bool expectAnswer, bool startStreaming,
                            bool noTerminator, qint32 answerWaitMs)
{
    if (!worker) {
        qDebug().noquote().nospace() << "cannot send command '" << command << "', device is not open!\n";
        return false;
    }
    m_streaming = startStreaming;
    if (startStreaming) {
        m_dataTimedOut = false;
        m_decoder.reset();
        m_losses.reset();
        blockQueue.clear();
    } else {
        worker->stopStreaming();
    }
    QByteArray data = command.toUtf8();
    if (!noTerminator)
        data += '\n';
    worker->sendCommand(data, expectAnswer, startStreaming, quint32(qMax(answerWaitMs, 0)));
    return true;
}

bool SerialCom::sendBinary(const QByteArray &data)
{
    if (!worker) {
        qDebug() << "cannot send binary block, device is not open!\n";
        return false;
    }
    qDebug() << "sendbinary ##1";
    worker->sendBinary(data);
    return true;
}

bool SerialCom::sendWhileStreaming(const QByteArray &data)
{
    if (!worker) {
        qDebug() << "cannot send binary block, device is not open!\n";
        return false;
    }
    return worker->sendWhileStreaming(data);
}

// Only payload whose block terminator has been seen is handed out, and no frame is put
// together from both sides of a loss.
quint32 SerialCom::readBlocks(QByteArray &out, quint32 blockSize)
{
    const qint64 confirmed = blockQueue.size() - qint64(m_decoder.unconfirmed());
    return m_losses.cut(blockQueue, confirmed, blockSize, out);
}

QVector<StreamLoss> SerialCom::takeStreamLosses()
{
    return m_losses.take();
}

// ---- worker signals ----

void SerialCom::onWorkerOpenResults(bool success)
{
    if (success) {
        qDebug() << "serial port was successfully opened";
        m_opened = true;
    } else {
        qDebug() << "cannot open serial port";
        close();
        m_openFailed = true;
    }
    emit onOpenResults(success);
}

void SerialCom::onWorkerResponseReady(bool, QByteArray command, QByteArray response)
{
    m_lastResponse = response;
    emit onResponseReady(true, command, response);
}

void SerialCom::onWorkerResponseError(bool, QByteArray command, QByteArray response)
{
    qDebug().noquote().nospace() << "#########################onresponseError############################ "
                                 << command << "  " << response;
    m_lastError = response;
    ++m_errorCount;
    emit onResponseReady(false, command, response);
}

void SerialCom::onWorkerDataReady(QByteArray data)
{
    const bool wasFailed = m_decoder.failed();
    m_decoder.feed(data.constData(), data.size(), blockQueue);
    for (const StreamLoss &loss : m_decoder.takeLosses())
        m_losses.book(loss);
    if (m_decoder.failed() && !wasFailed)
        qDebug() << "serial stream cannot be decoded any more: no valid block found";
    if (blockQueue.size() > longQueueBytes)
        qDebug() << "#######scpiQ is long###\n";
    emit onDataReady(data);
}

void SerialCom::onWorkerDataTimeout()
{
    m_dataTimedOut = true;
    qDebug() << "datat timeout\n";
    m_decoder.endOfStream();
    blockQueue.chop(int(m_decoder.takeRejected()));
    for (const StreamLoss &loss : m_decoder.takeLosses())
        m_losses.book(loss);
    // The worker has left streaming mode itself; telling it again here could end a
    // stream started after this timeout was sent.
    emit onDataTimeout();
}

// ---- state ----

bool SerialCom::dataTimedOut() { return m_dataTimedOut; }
bool SerialCom::isStreaming() { return m_streaming; }
bool SerialCom::decoderFailed() { return m_decoder.failed(); }
bool SerialCom::decoderBusy() { return m_decoder.busy(); }
bool SerialCom::isOpen() { return m_opened; }
bool SerialCom::openFailed() { return m_openFailed; }
qint32 SerialCom::pendingCommands() { return worker ? worker->queuedCommands() : 0; }
bool SerialCom::isDeviceDisconnected() { return worker ? worker->isDeviceDisconnected() : true; }
qint32 SerialCom::errorCount() { return m_errorCount; }
void SerialCom::resetErrorCount() { m_errorCount = 0; }
QByteArray SerialCom::lastResponse() { return m_lastResponse; }
QByteArray SerialCom::lastError() { return m_lastError; }
QString SerialCom::report() { return QString(); }
