#include "serialcomworker.h"

#include "scpidecoder.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QTime>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace {
// An answer is text of a few hundred bytes at most. A device that keeps sending is
// streaming, not answering: collection ends there, and the bytes are not an answer.
constexpr int MaxAnswerBytes = 64 * 1024;
constexpr int MaxAnswerExtraMs = 1000;      // beyond the first wait
constexpr int AnswerQuietMs = 50;
// Blocking waits are cut into slices so that a stop request is seen quickly.
constexpr int WaitSliceMs = 50;
// At open: a device still streaming from an earlier session is stopped, and its stream
// tail read away, before the first command.
constexpr int OpenDrainQuietMs = 100;
constexpr int OpenDrainLimitMs = 700;
} // namespace

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
    entry.stopGeneration = stopGeneration;
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

// A streaming command still queued is covered too: it must not switch streaming on
// after this call (see commandTurn).
void SerialComWorker::stopStreaming()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    ++stopGeneration;
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
        if (!checkDevice() && !streamingMode) {
            // The device has gone (a stream reports its end first): touch the port no more.
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
    // A device left streaming by an earlier host would bury every answer in stream data.
    // Neither this abort nor what it drains is a command exchange: no answer, no error.
    writeData(QByteArrayLiteral("abort\n"), 140);
    port->flush();
    drainInput(OpenDrainQuietMs, OpenDrainLimitMs);
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
    if (!resourceError && (lineStateCheck ? !port->isDataTerminalReady() : hungUp()))
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
    streamTail = true;
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
    // its end must not wait forever. The worker leaves streaming mode itself, so a stop
    // that reaches it late cannot end a stream started after this one.
    if (!dataTimeoutReported) {
        streamingMode = false;
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
    // Whatever came before the command was written is no part of its answer.
    discardStaleInput();
    writeData(entry.data, 200);
    port->flush();
    if (entry.startStreaming) {
        streamTail = true;   // the device streams now, whether or not this worker reads it
        std::lock_guard<std::mutex> lock(queueMutex);
        // A stop requested after this command was queued (by a command queued behind it)
        // has already ended this stream.
        if (entry.stopGeneration == stopGeneration) {
            dataTimeoutReported = false;
            streamingMode = true;
        }
    } else {
        QByteArray raw;
        const AnswerEnd end = collectAnswer(entry.answerWaitMs, raw);
        const QByteArray command = scpiDecoder::trimCommand(entry.data);
        if (end == AnswerEnd::NoAnswer) {
            // Stream data instead of an answer: the query is unanswered, as from a silent device.
            if (entry.expectAnswer)
                emit onResponseReady(true, command, QByteArray());
        } else if (end == AnswerEnd::Quiet) {
            const QByteArray answer = scpiDecoder::trimAnswer(raw);
            if (!entry.expectAnswer && streamTail && !answer.isEmpty()) {
                // Right after a stream (typically to "abort") what comes is its tail, not
                // an answer, and no device error.
                qDebug() << "serial link: stream tail of" << answer.size() << "bytes after" << command;
            } else if (entry.expectAnswer)
                emit onResponseReady(true, command, answer);
            else if (!answer.isEmpty())
                emit onResponseError(true, command, answer);
        }
        // AnswerEnd::Lost: the device has gone (polled through isDeviceDisconnected) or the
        // link closes; an empty "answer" must not pass for a successful one.
        streamTail = false;
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

// Waits up to ms for input, in slices, giving up early on a stop request or a lost device.
bool SerialComWorker::waitForInput(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!stopRequested && !deviceLost()) {
        if (port->bytesAvailable() > 0)
            return true;
        const int left = ms - int(clock.elapsed());
        if (left <= 0)
            return false;
        if (port->waitForReadyRead(qMin(left, WaitSliceMs)))
            return port->bytesAvailable() > 0 || (markDeviceLost(), false);
        if (hungUp()) {
            markDeviceLost();
            return false;
        }
    }
    return false;
}

// Collects bytes until the line has been quiet for one wait, bounded in time and size:
// a device that sends more, or for longer, than any answer is streaming.
SerialComWorker::AnswerEnd SerialComWorker::collectAnswer(quint32 firstWaitMs, QByteArray &answer)
{
    const int firstWait = firstWaitMs ? int(firstWaitMs) : AnswerQuietMs;
    QElapsedTimer clock;
    clock.start();
    int waitMs = firstWait;
    while (waitForInput(waitMs)) {
        answer += port->readAll();
        if (answer.size() > MaxAnswerBytes || clock.elapsed() > firstWait + MaxAnswerExtraMs) {
            qDebug() << "answer collection ended:" << answer.size() << "bytes in" << clock.elapsed()
                     << "ms without a pause; the device is streaming, not answering";
            answer.clear();
            drainInput(AnswerQuietMs, MaxAnswerExtraMs);
            return deviceLost() || stopRequested ? AnswerEnd::Lost : AnswerEnd::NoAnswer;
        }
        msleep(2);
        waitMs = AnswerQuietMs;
    }
    if (answer.isEmpty() && !deviceLost() && hungUp())
        markDeviceLost();
    return deviceLost() || stopRequested ? AnswerEnd::Lost : AnswerEnd::Quiet;
}

// Reads and drops input until the line has been quiet for quietMs, at most limitMs.
void SerialComWorker::drainInput(int quietMs, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    qint64 dropped = 0;
    while (clock.elapsed() < limitMs && waitForInput(quietMs))
        dropped += port->readAll().size();
    if (dropped > 0)
        qDebug() << "serial link: dropped" << dropped << "bytes that were no answer";
}

void SerialComWorker::discardStaleInput()
{
    if (port->bytesAvailable() > 0 || port->waitForReadyRead(0)) {
        const qint64 dropped = port->readAll().size();
        if (dropped > 0)
            qDebug() << "serial link: dropped" << dropped << "bytes that came before the command";
    }
}

// A pseudo-terminal (or a USB port) whose far end has gone reports a hang-up.
bool SerialComWorker::hungUp()
{
#ifdef Q_OS_UNIX
    pollfd p {int(port->handle()), 0, 0};
    if (p.fd < 0 || ::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
}
