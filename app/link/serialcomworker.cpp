#include "serialcomworker.h"

#include "scpidecoder.h"

#include <QDebug>
#include <QSerialPort>
#include <QTime>

SerialComWorker::SerialComWorker(QObject *parent) : QThread(parent) {}

SerialComWorker::~SerialComWorker()
{
    requestStop();
}

void SerialComWorker::startWorker(const DeviceInfo &device)
{
    qDebug() << "start the thread\n";
    deviceInfo = device;
    // Cleared here rather than by the thread once the port is open, so that a stop
    // requested while the port is still opening is not lost (the wait would never end).
    stopRequested = false;
    runFinished = false;
    start(QThread::InheritPriority);
}

void SerialComWorker::requestStop()
{
    stopRequested = true;
    wait();
    // Pairs with the store at the end of run(): everything the body did is now visible
    // here, whatever QThread::wait() itself synchronises through.
    runFinished.load(std::memory_order_acquire);
}

void SerialComWorker::sendCommand(const QByteArray &data, bool expectAnswer, bool startStreaming,
                                  quint32 answerWaitMs)
{
    if (!portOpen && !resourceError) {
        qDebug() << "cannot send command, serial port is not open or resourceerror!\n";
        return;
    }
    CommandEntry entry;
    entry.data = data;
    entry.expectAnswer = expectAnswer;
    entry.startStreaming = startStreaming;
    entry.answerWaitMs = answerWaitMs;
    std::lock_guard<std::mutex> lock(queueMutex);
    if (startStreaming) {
        sendPending = false;
        pendingData.clear();
    }
    commandQueue.append(entry);
    ++m_queuedCommands;
}

void SerialComWorker::sendBinary(const QByteArray &data)
{
    if (!portOpen && !resourceError) {
        qDebug() << "cannot send binary block, serial port is not open!\n";
        return;
    }
    qDebug() << "serialcomworker() sendbinary";
    CommandEntry entry;
    entry.data = data;
    entry.isBinary = true;
    std::lock_guard<std::mutex> lock(queueMutex);
    commandQueue.append(entry);
}

bool SerialComWorker::sendWhileStreaming(const QByteArray &data)
{
    if (!portOpen) {
        if (!resourceError)
            qDebug() << "cannot send while streaming, serial port is not open!\n";
        return false;
    }
    if (!streamingMode || resourceError)
        return false;
    std::lock_guard<std::mutex> lock(queueMutex);
    if (sendPending)
        return false;   // only one write can wait for the worker
    pendingData = data;
    sendPending = true;
    return true;
}

void SerialComWorker::stopStreaming()
{
    streamingMode = false;
}

bool SerialComWorker::isDeviceDisconnected()
{
    const bool lost = resourceError;
    if (lost)
        qDebug() << "############# isDeviceDisconnected(): return resourceerror "
                 << QTime::currentTime().toString("hh:mm:ss.zzz");
    return lost;
}

// ---- worker thread ----

void SerialComWorker::run()
{
    runBody();
    runFinished.store(true, std::memory_order_release);
}

void SerialComWorker::runBody()
{
    if (!openPort())
        return;
    resourceErrorReported = false;
    while (!stopRequested) {
        if (!checkDevice()) {
            // The device has gone: touch the port no more, only wait for the stop.
            msleep(20);
            continue;
        }
        if (streamingMode)
            streamTurn();
        else
            commandTurn();
    }
    closePort();
}

bool SerialComWorker::openPort()
{
    port.reset();
    streamingMode = false;
    port = std::make_unique<QSerialPort>();
    port->setPortName(deviceInfo.portName);
    port->setBaudRate(500000, QSerialPort::AllDirections);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite)) {
        qDebug() << "cannot open" << deviceInfo.portName << port->errorString();
        emit onOpenResults(false);
        port.reset();
        return false;
    }
    // A pseudo-terminal has no modem lines: every line call fails as unsupported. Decide
    // once here whether the line state can tell that the device is still there.
    const bool dtrSet = port->setDataTerminalReady(true);
    lineStateCheck = dtrSet || port->error() != QSerialPort::UnsupportedOperationError;
    if (lineStateCheck)
        port->setRequestToSend(true);
    port->clear(QSerialPort::AllDirections);
    port->clearError();
    watchPortErrors();
    portOpen = true;
    emit onOpenResults(true);
    return true;
}

void SerialComWorker::watchPortErrors()
{
    // Runs on this thread (the port's): a vanished device shows as a read or resource
    // error, and left alone the port would re-report it endlessly.
    connect(port.get(), &QSerialPort::errorOccurred, port.get(), [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError)
            markDeviceLost();
    }, Qt::DirectConnection);
}

void SerialComWorker::closePort()
{
    if (!port)
        return;
    int queued = 0;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        queued = commandQueue.size();
    }
    qDebug() << "closing device connection! cmdsinq " << queued << "\n";
    qDebug() << "exit";
    if (lineStateCheck && !resourceError)
        port->setRequestToSend(false);
    port->close();
    portOpen = false;
    emit onCloseResults(true);
    port.reset();
}

bool SerialComWorker::checkDevice()
{
    if (!resourceError && lineStateCheck && !port->isDataTerminalReady())
        markDeviceLost();
    if (!resourceError)
        return true;
    if (!resourceErrorReported) {
        qDebug() << "### resource Error";
        resourceErrorReported = true;
    }
    return false;
}

void SerialComWorker::markDeviceLost()
{
    resourceError = true;
}

bool SerialComWorker::deviceLost() const
{
    return resourceError;
}

void SerialComWorker::streamTurn()
{
    if (sendPending) {
        QByteArray data;
        {
            std::lock_guard<std::mutex> lock(queueMutex);
            data = pendingData;
            pendingData.clear();
            sendPending = false;
        }
        writeData(data, 166);
        port->flush();
    }
    if (port->bytesAvailable() > 0 || port->waitForReadyRead(300)) {
        if (port->bytesAvailable() > 0) {
            emit onDataReady(port->readAll());
            return;
        }
        markDeviceLost();   // ready to read, yet nothing there: the far end has gone
    }
    // Silence, or a lost device: the stream has ended either way, and whoever waits for
    // its end must not wait forever.
    if (!dataTimeoutReported) {
        emit onDataTimeout();
        dataTimeoutReported = true;
    }
}

bool SerialComWorker::takeEntry(CommandEntry &entry)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    if (commandQueue.isEmpty())
        return false;
    entry = commandQueue.takeFirst();
    return true;
}

void SerialComWorker::commandTurn()
{
    CommandEntry entry;
    if (!takeEntry(entry)) {
        msleep(20);
        return;
    }
    writeData(entry.data, 200);
    port->flush();
    if (entry.startStreaming) {
        dataTimeoutReported = false;
        streamingMode = true;
    } else {
        const QByteArray answer = scpiDecoder::trimAnswer(collectAnswer(entry.answerWaitMs));
        const QByteArray command = scpiDecoder::trimCommand(entry.data);
        if (entry.expectAnswer)
            emit onResponseReady(true, command, answer);
        else if (!answer.isEmpty())
            emit onResponseError(true, command, answer);
    }
    finishEntry();
}

void SerialComWorker::finishEntry()
{
    // Under the mutex, so that an entry appended meanwhile is not counted away.
    std::lock_guard<std::mutex> lock(queueMutex);
    m_queuedCommands = commandQueue.size();
}

void SerialComWorker::writeData(const QByteArray &data, int line)
{
    if (port->write(data) != data.size())
        qDebug() << "##fatalerr " << __FILE__ << line;
}

QByteArray SerialComWorker::collectAnswer(quint32 firstWaitMs)
{
    QByteArray answer;
    int waitMs = firstWaitMs ? int(firstWaitMs) : 50;
    while (!deviceLost() && (port->bytesAvailable() > 0 || port->waitForReadyRead(waitMs))) {
        answer += port->readAll();
        msleep(2);
        waitMs = 50;
    }
    return answer;
}
