#include "measurementloop.h"

#include "acquisition/actionset.h"
#include "acquisition/configcommand.h"
#include "acquisition/connectionmachine.h"
#include "acquisition/deviceanswer.h"
#include "acquisition/displaysink.h"
#include "link/myadw.h"
#include "link/udp_com.h"
#include "recording/tracelayout.h"
#include "startupoptions.h"

#include <QDebug>

namespace {
constexpr int PollEverySteps = 60;       // channel-count poll, about every 1.8 s

QString oneLine(QString text)
{
    return text.replace('\n', ' ').simplified();
}
} // namespace

MeasurementLoop::MeasurementLoop(ConnectionMachine &connectionMachine, ActionSet &actionSet, QObject *parent)
    : QObject(parent), connection(connectionMachine), actions(actionSet)
{
    clock.start();
    connect(&recorder, &StreamRecorder::writeFailed, this, &MeasurementLoop::onWriteFailed);
    connect(&recorder, &StreamRecorder::finished, this, &MeasurementLoop::onRecordingFinished);
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

double MeasurementLoop::framesPerSecond() const
{
    return sampling ? rate.perSecond(clock.elapsed()) : 0.0;
}

void MeasurementLoop::configure(const daqConfig &c)
{
    conf = c;
    windowFrames = int(double(conf.sampleRate) * conf.timeline);
    const double limit = double(conf.sampleRate) * conf.maxDuration;
    configLimit = limit >= 1 ? quint64(limit) : NoLimit;
    pipeline.configure(conf);
    received.clear();
    refusal.clear();
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
    refusal.clear();
    const QByteArray text = configurationCommandText(conf, connection.deviceFamily(), connection.usingUdp());
    if (!connection.link()->sendCommand(QString::fromLatin1(text), false, false, false, 0)) {
        if (display)
            display->clearGraphs();
        qDebug("Error sending conf:dev command");
    }
}

void MeasurementLoop::noteRefusal(const QByteArray &answer)
{
    if (refusal.isEmpty())
        refusal = answer.isEmpty() ? QByteArray("error") : answer;
}

void MeasurementLoop::stepConfigured(bool configValid)
{
    if (connection.link()->pendingCommands() != 0)
        return;
    if (connection.link()->errorCount() != 0 || !refusal.isEmpty()) {
        refuseConfiguration();
        return;
    }
    qDebug("imus are configured");
    setState(3);
    if (configValid)
        actions.set(-1, -1, -1, -1, -1, 1, -1, 1);
}

// The device said no to a line of the configuration: the program goes on without a
// valid configuration, and the user is told what the device answered.
void MeasurementLoop::refuseConfiguration()
{
    const QByteArray answer = refusal.isEmpty() ? connection.link()->lastError() : refusal;
    refusal.clear();
    connection.link()->resetErrorCount();
    qDebug() << "the device refused the configuration:" << answer;
    setState(0);
    actions.set(1, 1, 0, 0, 1, 0, 0, 0);
    if (display)
        display->clearGraphs();
    emit configurationRefused();
    const QString said = readableAnswer(answer);
    emit message(Acquisition::Event::ConfigurationRefused,
                 said.isEmpty() ? tr("The device refused the configuration.\nPlease choose another configuration.")
                                : tr("The device refused the configuration:\n%1\nPlease choose another configuration.")
                                      .arg(said));
}

void MeasurementLoop::stepReady(bool configValid, bool countPollEnabled)
{
    pollChannelCounts(countPollEnabled);
    if (!configValid) {
        actions.set(1, 1, 0, 0, 1, 0, 0, 0);
        setState(0);
    }
}

void MeasurementLoop::blinkRecord()
{
    if (!recorder.isRecording())
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
    myAdw *link = connection.link();
    QByteArray chunk;
    link->readBlocks(chunk, quint32(conf.sampleSize));
    received += chunk;
    const int size = pipeline.converter().frameSize();
    const quint64 n = size > 0 ? quint64(received.size() / size) : 0;
    const auto *frames = reinterpret_cast<const uint8_t *>(received.constData());
    streamFrames += n;
    rate.add(clock.elapsed(), n);
    losses.book(link->takeStreamLosses());

    if (recorder.isRecording())
        recordFrames(frames, n);
    else
        losses.takeBefore(streamFrames);
    if (n != 0 && display) {
        pipeline.display(frames, int(n), *display);
        display->applyScales(false);
    }
    received.remove(0, int(n) * size);
    if (measurementState == 5)
        received.clear(); // what lies beyond the limit is neither stored nor shown

    if (!damageReported && link->decoderFailed()) {
        streamDamaged();
        return false;
    }
    if (link->dataTimedOut() && measurementState == 4) {
        unexpectedStop();
        return true;
    }
    return false;
}

// Every frame that reaches the trace file passes here, and every loss in front of one.
void MeasurementLoop::recordFrames(const uint8_t *frames, quint64 n)
{
    recorder.append(frames, n);
    recorder.addGaps(losses.takeBefore(streamFrames));
    showRecordingStatus();
    if (recorder.limitReached())
        limitReached();
}

void MeasurementLoop::limitReached()
{
    qDebug("recording limit reached");
    const double seconds = recorder.seconds();
    endRecording(StreamRecorder::End::Limit);
    if (recordingInView) {
        emit statusMessage(tr("Maximum duration reached: recording stopped after %1 s; the live view goes on")
                               .arg(seconds, 0, 'f', 3));
        return;
    }
    stopStream();
    emit statusMessage(tr("Maximum duration reached: recording stopped after %1 s").arg(seconds, 0, 'f', 3));
}

// The count includes this step's frames, so it never lags behind what the file gets.
void MeasurementLoop::showRecordingStatus()
{
    QString text = "file: " + recorder.fileName().section('/', -1) + ", " + QString::number(recorder.frames());
    if (recorder.framesLost() > 0)
        text += ", " + tr("%1 frames lost").arg(recorder.framesLost());
    if (recorder.shortOfSpace())
        text += " - " + tr("less than a minute of free space");
    emit statusMessage(text);
}

// The stream stopped although nobody asked for it.
void MeasurementLoop::unexpectedStop()
{
    qDebug("istimeouted");
    sampling = false;
    setState(0);
    if (display)
        display->clearGraphs();
    connection.link()->sendCommand("abort", false, false, false, 0);
    emit statusMessage(tr("unexpected stop sampling"));
    endRecording(StreamRecorder::End::StreamStopped);
    reportAfterTrace(Acquisition::Event::StreamStopped,
                     tr("The device stopped sending data: sampling stopped unexpectedly.\n"
                        "Please send the configuration again (Configuration, then OK)."));
    if (display)
        display->setLogo(":/images/logoblue.png");
    actions.set(1, 1, 0, 1, 1, 0, 0, 0, 1);
}

// The serial stream could not be decoded any more: nothing that follows can be trusted,
// so the stream stops, and with it a recording.
void MeasurementLoop::streamDamaged()
{
    damageReported = true;
    const quint64 lost = losses.framesLost();
    qDebug() << "stream damaged beyond repair;" << lost << "frames lost";
    const bool wasRecording = recorder.isRecording();
    endRecording(StreamRecorder::End::StreamDamaged);
    stopStream();
    const QString what = wasRecording ? tr("The data stream from the device could not be decoded any more: "
                                           "recording stopped.")
                                      : tr("The data stream from the device could not be decoded any more: "
                                           "sampling stopped.");
    const QString text = what + ' ' + tr("At least %1 frames were lost.").arg(lost);
    emit statusMessage(oneLine(text));
    reportAfterTrace(Acquisition::Event::StreamDamaged, text);
}

bool MeasurementLoop::stepStopping()
{
    if (abortPending)
        sendAbort();
    QByteArray discard;
    connection.link()->readBlocks(discard, 1);
    connection.link()->takeStreamLosses();
    received.clear();
    // Stopping ends when the stream has ended and the trace file is complete.
    if (!connection.link()->dataTimedOut() || recorder.isClosing())
        return false;
    qDebug("HW timeout registriert");
    actions.set(1, 1, 1, 1, 1, 1, 0, 1, 1);
    setState(3);
    sampling = false;
    return true;
}

void MeasurementLoop::reportAfterTrace(Acquisition::Event event, const QString &text)
{
    if (recorder.isClosing())
        afterTrace.append({event, text});
    else
        emit message(event, text);
}

void MeasurementLoop::closeTraceFile(int msecs)
{
    recorder.finishAndWait(msecs);
}

void MeasurementLoop::endRecording(StreamRecorder::End why)
{
    if (!recorder.isRecording())
        return;
    recorder.finish(why);
    // Record is offered again once the file is closed.
    actions.setEnabled(ActionSet::Record, false);
}

void MeasurementLoop::onWriteFailed()
{
    if (!recorder.isRecording())
        return;
    endRecording(StreamRecorder::End::WriteFailure);
    if (!recordingInView && measurementState == 4)
        stopStream();
}

void MeasurementLoop::onRecordingFinished(const AcquisitionStatus::Summary &summary, const QString &problem)
{
    lastSummary = summary;
    actions.setRecording(false);
    if (measurementState == 4 && sampling)
        actions.setEnabled(ActionSet::Record, true);
    emit recordingClosed(summary.traceFile, summary.frames, summary.framesLost);
    if (!problem.isEmpty()) {
        emit statusMessage(oneLine(problem));
        emit message(Acquisition::Event::TraceWriteFailed, problem);
    }
    const QString holds = tr("The trace file %1 holds %2 frames.").arg(summary.traceFile).arg(summary.frames);
    const auto told = afterTrace;
    afterTrace.clear();
    for (const auto &m : told)
        emit message(m.first, m.second + '\n' + holds);
}

void MeasurementLoop::prepareSampling()
{
    if (display)
        display->restart();
    received.clear();
    streamFrames = 0;
    losses.reset(quint32(qMax(0, conf.sampleSize)));
    rate.reset();
    damageReported = false;
    abortPending = false;
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
    recordingInView = false;
    pipeline.initFilters(conf);
    prepareSampling();
    setState(4);
    // The live view can be recorded.
    actions.setEnabled(ActionSet::Record, true);
    emit statusMessage("Sampling");
}

void MeasurementLoop::record()
{
    if (recorder.isRecording())
        return;   // pressed twice: nothing more
    if (recorder.isClosing()) {
        emit statusMessage(tr("The last trace file is still being closed"));
        return;
    }
    if (measurementState == 4 && sampling)
        recordWithinView();
    else
        recordFromReady();
}

void MeasurementLoop::recordFromReady()
{
    actions.set(0, 0, 0, 0, 0, 0, 1, 0, 0);
    connection.udpLink()->resetIncoming();
    if (measurementState != 3) {
        qDebug() << "#################### error on record button internal errror 1: statemeasurement "
                 << measurementState;
        emit message(Acquisition::Event::NotReady, tr("internal error 1.\nPlease contact lumetrix."));
        return;
    }
    if (!startRecording(0, true)) {
        actions.set(1, 1, 1, 1, 1, 1, 0, 1, 1);
        return;
    }
    prepareSampling();
    recordingInView = false;
    connection.link()->sendCommand("init", false, true, false, 0);
    setState(4);
    sampling = true;
    pipeline.initFilters(conf);
    emit statusMessage(tr("Recording"));
}

// The live view goes on untouched; the recording takes the frames from the next step on.
void MeasurementLoop::recordWithinView()
{
    if (!startRecording(streamFrames, false))
        return;
    recordingInView = true;
    emit statusMessage(tr("Recording"));
}

bool MeasurementLoop::startRecording(quint64 firstFrame, bool withStream)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString name = requestedTraceName.isEmpty() ? ::traceFileName(startupOptions().workingDirectory, now)
                                                      : requestedTraceName;
    qDebug() << "filna:" << name;
    QString reason;
    const StreamRecorder::Start result = recorder.start(conf, name, now, firstFrame, withStream, frameLimit(), &reason);
    if (result != StreamRecorder::Start::Started) {
        emit statusMessage(tr("Recording not started"));
        emit message(result == StreamRecorder::Start::NoSpace ? Acquisition::Event::TraceFolderFull
                                                               : Acquisition::Event::TraceFileFailed,
                     reason + '\n' + tr("Recording was not started."));
        return false;
    }
    lastSummary = AcquisitionStatus::Summary();
    recordBlinkTicks = 0;
    actions.setRecording(true);
    return true;
}

void MeasurementLoop::stop()
{
    if (recorder.isRecording() && recordingInView) {
        endRecording(StreamRecorder::End::Stop);
        emit statusMessage(tr("Recording stopped; the live view goes on"));
        return;
    }
    if (recorder.isRecording())
        actions.setEnabled(ActionSet::Record, false);
    if (measurementState != 4) {
        qDebug("##################### Error on stop button");
        return;
    }
    endRecording(StreamRecorder::End::Stop);
    stopStream();
}

void MeasurementLoop::stopStream()
{
    qDebug("abort streaming");
    setState(5);
    abortPending = true;
    sendAbort();
    if (connection.usingUdp()) {
        const QString report = connection.link()->report();
        if (!report.isEmpty())
            qDebug() << "UDP reported errors: msg = " << report;
    }
    emit statusMessage(tr("Sampling stopped"));
}

// Never waits: a link that cannot take the request now gets it again on the next step.
// A stream that has already ended (the link's data time-out) takes no stop request any
// more; the device gets it as a plain command, in case it streams on.
void MeasurementLoop::sendAbort()
{
    myAdw *link = connection.link();
    if (link->sendWhileStreaming("abort\n")) {
        abortPending = false;
    } else if (link->dataTimedOut() || !link->isOpen() || link->isDeviceDisconnected()) {
        abortPending = false;
        if (link->isOpen() && !link->isDeviceDisconnected())
            link->sendCommand("abort", false, false, false, 0);
    }
}

bool MeasurementLoop::addMarker(const QString &text)
{
    quint64 frame = 0;
    double seconds = 0;
    QString stored;
    if (!recorder.addMarker(text, &frame, &seconds, &stored))
        return false;
    emit markerAdded(frame, seconds, stored);
    return true;
}

void MeasurementLoop::deviceLost()
{
    sampling = false;
    setState(0);
    received.clear();
    endRecording(StreamRecorder::End::DeviceLost);
}
