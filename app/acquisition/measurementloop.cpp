#include "measurementloop.h"

#include "acquisition/actionset.h"
#include "acquisition/configcommand.h"
#include "acquisition/connectionmachine.h"
#include "acquisition/displaysink.h"
#include "link/myadw.h"
#include "link/udp_com.h"
#include "recording/tracelayout.h"
#include "startupoptions.h"

#include <QDebug>
#include <QThread>

#include <cmath>

namespace {
constexpr int PollEverySteps = 60;       // channel-count poll, about every 1.8 s
constexpr int LossPollSteps = 33;        // about once a second
}

MeasurementLoop::MeasurementLoop(ConnectionMachine &connectionMachine, ActionSet &actionSet, QObject *parent)
    : QObject(parent), connection(connectionMachine), actions(actionSet)
{
}

void MeasurementLoop::setState(int state)
{
    if (state == measurementState)
        return;
    measurementState = state;
    emit stateChanged(state);
}

void MeasurementLoop::setRecordingLimit(double seconds)
{
    limitSeconds = seconds > 0 ? seconds : 0;
}

quint64 MeasurementLoop::frameLimit() const
{
    if (limitSeconds <= 0)
        return configLimit;
    return qMin(configLimit, quint64(limitSeconds * conf.sampleRate));
}

void MeasurementLoop::configure(const daqConfig &c)
{
    conf = c;
    windowFrames = int(double(conf.sampleRate) * conf.timeline);
    const double limit = double(conf.sampleRate) * conf.maxDuration;
    configLimit = limit >= 1 ? quint64(limit) : NoLimit;
    pipeline.configure(conf);
    received.clear();
    errorReported = false;
    qDebug() << "startValidConfiguration() nwin =" << windowFrames << " maxsamplecount =" << configLimit
             << " samplesize =" << conf.sampleSize << "sizes: adc16" << conf.adc16.size() << ", imu6"
             << conf.imu6.size() << ", aux" << conf.aux.size();
    rebuildDisplay();
    actions.set(1, 1, 1, 1, 1, -1, 0, -1);
    setState(1);
}

void MeasurementLoop::rebuildDisplay()
{
    if (!display)
        return;
    display->clearGraphs();
    for (const adcChannel &c : qAsConst(conf.adc24))
        display->addGraph(1, QString::fromUtf8(c.name), false);
    for (const adcChannel &c : qAsConst(conf.adc16))
        display->addGraph(1, QString::fromUtf8(c.name), false);
    for (const imuChannel &imu : qAsConst(conf.imu6))
        display->addGraph(6, QString::fromUtf8(imu.name), true);
    if (conf.auxActive())
        display->addGraph(conf.aux.first(), "Aux", false);
    display->setWindow(unsigned(windowFrames));
    display->applyScales(true);
}

void MeasurementLoop::step(bool configValid, bool countPollEnabled)
{
    if (pollCountdown > 0)
        --pollCountdown;
    bool timedOut = false;
    switch (measurementState) {
    case 0:
        pollChannelCounts(true);
        break;
    case 1:
        sendConfiguration();
        connection.link()->resetErrorCount();
        setState(2);
        break;
    case 2:
        stepConfigured(configValid);
        break;
    case 3:
        stepReady(configValid, countPollEnabled);
        break;
    case 4:
        timedOut = stepStreaming();
        break;
    case 5:
        timedOut = stepStopping();
        break;
    default:
        stepError();
        return;
    }
    if (!timedOut)
        blinkRecord();
}

void MeasurementLoop::pollChannelCounts(bool send)
{
    if (connection.link()->pendingCommands() != 0 || pollCountdown != 0)
        return;
    if (send)
        connection.link()->sendCommand("conf:sca:num?", true, false, false, 0);
    pollCountdown = PollEverySteps;
}

void MeasurementLoop::sendConfiguration()
{
    qDebug() << "Send commands to configure IMU rat=" << conf.sampleRate;
    const QByteArray text = configurationCommandText(conf, connection.deviceFamily(), connection.usingUdp());
    if (!connection.link()->sendCommand(QString::fromLatin1(text), false, false, false, 0)) {
        if (display)
            display->clearGraphs();
        qDebug("Error sending conf:dev command");
    }
}

void MeasurementLoop::stepConfigured(bool configValid)
{
    if (connection.link()->pendingCommands() != 0)
        return;
    if (connection.link()->errorCount() != 0) {
        qDebug("Hw reported error");
        setState(6);
        return;
    }
    qDebug("imus are configured");
    setState(3);
    if (configValid)
        actions.set(-1, -1, -1, -1, -1, 1, -1, 1);
}

void MeasurementLoop::stepReady(bool configValid, bool countPollEnabled)
{
    pollChannelCounts(countPollEnabled);
    if (!configValid) {
        actions.set(1, 1, 0, 0, 1, 0, 0, 0);
        setState(0);
    }
    samplesRecorded = 0;
}

// The device reported errors after being configured: reported once, the front end
// decides what follows.
void MeasurementLoop::stepError()
{
    if (errorReported)
        return;
    qDebug("errstate");
    errorReported = true;
    sampling = false;
    emit message(Acquisition::Event::DeviceError, tr("Internal error\nprogram is closed now\n"));
}

void MeasurementLoop::blinkRecord()
{
    if (!recording)
        return;
    if (++recordBlinkTicks > 15) {
        recordBlinkTicks = 0;
        recordBlink = !recordBlink;
        actions.setEnabled(ActionSet::Record, recordBlink);
    }
}

// One step of streaming: every whole frame that arrived is recorded and displayed.
// Returns true when the stream ended without a stop request.
bool MeasurementLoop::stepStreaming()
{
    QByteArray chunk;
    connection.link()->readBlocks(chunk, quint32(conf.sampleSize));
    received += chunk;
    const int size = pipeline.converter().frameSize();
    quint64 n = size > 0 ? quint64(received.size() / size) : 0;
    const auto *frames = reinterpret_cast<const uint8_t *>(received.constData());
    framesRead += n;

    if (recording) {
        const quint64 limit = frameLimit();
        if (samplesRecorded + n > limit) {
            n = limit > samplesRecorded ? limit - samplesRecorded : 0;
            qDebug("recording limit reached");
            stop();
        }
        if (n >= 1 && recorder.isOpen())
            writeFrames(frames, int(n));
        showRecordingStatus();
        samplesRecorded += n;
    }
    if (n != 0 && display) {
        pipeline.display(frames, int(n), *display);
        display->applyScales(false);
    }
    received.remove(0, int(n) * size);
    if (measurementState == 5)
        received.clear(); // what lies beyond the limit is neither stored nor shown
    if (++lossPollTicks >= LossPollSteps)
        pollLinkLosses();

    if (connection.link()->dataTimedOut()) {
        unexpectedStop();
        return true;
    }
    return false;
}

// Every frame that reaches the trace file passes here.
bool MeasurementLoop::writeFrames(const uint8_t *frames, int n)
{
    if (recorder.append(frames, n))
        return true;
    if (!writeFailureReported) {
        writeFailureReported = true;
        emit message(Acquisition::Event::TraceWriteFailed,
                     tr("Frames could not be written to the trace file\n%1").arg(recorder.fileName()));
    }
    return false;
}

void MeasurementLoop::showRecordingStatus()
{
    // A failing disk must not go unnoticed while the run seems to record.
    const QString problem = recorder.writeFailed() ? " - " + tr("ERROR: frames could not be written") : QString();
    emit statusMessage("file: " + recorder.fileName().section('/', -1) + ", " + QString::number(samplesRecorded)
                       + problem);
}

// The stream stopped although nobody asked for it.
void MeasurementLoop::unexpectedStop()
{
    qDebug("istimeouted");
    sampling = false;
    recording = false;
    setState(0);
    if (display)
        display->clearGraphs();
    connection.link()->sendCommand("abort", false, false, false, 0);
    qDebug("############# internal error 2");
    emit statusMessage(tr("unexpected stop sampling"));
    // The trace file is made safe before anybody is told.
    closeTraceFile();
    emit message(Acquisition::Event::StreamStopped,
                 tr("internal error 2.\nsampling stopped unexpectedly.\nconfiguration is invalidated."));
    if (display)
        display->setLogo(":/images/logoblue.png");
    actions.set(1, 1, 0, 1, 1, 0, 0, 0, 1);
}

bool MeasurementLoop::stepStopping()
{
    QByteArray discard;
    connection.link()->readBlocks(discard, 1);
    received.clear();
    closeTraceFile();
    if (!connection.link()->dataTimedOut())
        return false;
    qDebug("HW timeout registriert");
    actions.set(1, 1, 1, 1, 1, 1, 0, 1, 1);
    setState(3);
    sampling = false;
    recording = false;
    return true;
}

void MeasurementLoop::closeTraceFile()
{
    if (!recorder.isOpen())
        return;
    qDebug() << "reportedConnectionErrMsg: " << connection.link()->report();
    pollLinkLosses();
    recorder.close();
    emit recordingClosed(recorder.fileName(), samplesRecorded, framesLostInRun);
}

void MeasurementLoop::prepareSampling()
{
    if (display)
        display->restart();
    received.clear();
    framesRead = 0;
    framesLostInRun = 0;
    framesPerPacket = 0;
    lossPollTicks = 0;
}

void MeasurementLoop::start()
{
    actions.set(0, 0, 0, 0, 0, 0, 1, 0, 0);
    connection.udpLink()->resetIncoming();
    if (measurementState != 3) {
        qDebug() << "#################### error on start button: statemeasurement = " << measurementState;
        emit statusMessage(tr("Error on start button"));
        return;
    }
    connection.link()->sendCommand("init", false, true, false, 0);
    qDebug() << "back again siz=" << conf.imu6.size();
    sampling = true;
    pipeline.initFilters(conf);
    prepareSampling();
    setState(4);
    emit statusMessage("Sampling");
}

void MeasurementLoop::record()
{
    actions.set(0, 0, 0, 0, 0, 0, 1, 0, 0);
    if (recording)
        return;
    connection.udpLink()->resetIncoming();
    if (measurementState != 3) {
        qDebug() << "#################### error on record button internal errror 1: statemeasurement "
                 << measurementState;
        emit message(Acquisition::Event::NotReady, tr("internal error 1.\nPlease contact lumetrix."));
        return;
    }
    recording = true;
    if (!startTraceFile()) {
        // Recording into a file that does not exist would lose the whole run unseen.
        recording = false;
        actions.set(1, 1, 1, 1, 1, 1, 0, 1, 1);
        emit statusMessage(tr("Recording not started"));
        emit message(Acquisition::Event::TraceFileFailed,
                     tr("Could not create the trace file\n%1\nRecording was not started.").arg(recorder.fileName()));
        return;
    }
    writeFailureReported = false;
    prepareSampling();
    connection.link()->sendCommand("init", false, true, false, 0);
    setState(4);
    sampling = true;
    pipeline.initFilters(conf);
    emit statusMessage(tr("Recording"));
}

bool MeasurementLoop::startTraceFile()
{
    closeTraceFile();
    const QDateTime now = QDateTime::currentDateTime();
    const QString name = requestedTraceName.isEmpty() ? ::traceFileName(startupOptions().workingDirectory, now)
                                                      : requestedTraceName;
    qDebug() << "filna:" << name;
    samplesRecorded = 0;
    return recorder.open(conf, name, now);
}

void MeasurementLoop::stop()
{
    if (recording)
        actions.setEnabled(ActionSet::Record, false);
    if (measurementState != 4) {
        qDebug("##################### Error on stop button");
        return;
    }
    qDebug("abort streaming");
    setState(5);
    myAdw *link = connection.link();
    // Repeated until the link takes it; a link that is gone will never take it.
    while (!link->sendWhileStreaming("abort\n")) {
        if (!link->isOpen() || link->isDeviceDisconnected())
            break;
        QThread::yieldCurrentThread();
    }
    if (connection.usingUdp()) {
        const QString report = link->report();
        if (!report.isEmpty())
            qDebug() << "UDP reported errors: msg = " << report;
    }
    emit statusMessage(tr("Sampling stopped"));
}

void MeasurementLoop::deviceLost()
{
    sampling = false;
    setState(0);
    recording = false;
    received.clear();
    closeTraceFile();
}

void MeasurementLoop::framesLost(quint64 frames, bool exact)
{
    qDebug() << "frames lost:" << frames << (exact ? "(counted)" : "(estimated)");
    framesLostInRun += frames;
}

// The UDP link books each loss as "<packets received> <packets lost>" in its report.
// Frames per packet are estimated from the run: frames read over packets received by
// the latest loss can only overstate it, so the smallest ratio seen is the best.
void MeasurementLoop::pollLinkLosses()
{
    lossPollTicks = 0;
    if (!connection.usingUdp())
        return;
    quint64 packetsLost = 0, packetsReceived = 0;
    const QStringList events = connection.link()->report().split('\n', Qt::SkipEmptyParts);
    for (const QString &event : events) {
        packetsReceived = event.section(' ', 0, 0).toULongLong();
        packetsLost += event.section(' ', 1, 1).toULongLong();
    }
    if (packetsLost == 0 || packetsReceived == 0)
        return;
    const double ratio = double(framesRead) / double(packetsReceived);
    framesPerPacket = framesPerPacket > 0 ? qMin(framesPerPacket, ratio) : ratio;
    const quint64 estimate = quint64(std::llround(double(packetsLost) * framesPerPacket));
    if (estimate > framesLostInRun)
        framesLost(estimate - framesLostInRun, false);
}
