#include "acquisitioncontroller.h"

#include "acquisition/connectionmachine.h"
#include "acquisition/deviceanswer.h"
#include "acquisition/displaysink.h"
#include "acquisition/frameconverter.h"
#include "acquisition/measurementloop.h"
#include "acquisition/wificonfigtask.h"
#include "config/configdevicecheck.h"
#include "config/configfile.h"
#include "link/myadw.h"
#include "startupoptions.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {
constexpr int StatusIntervalMs = 250;
constexpr qint64 FreeSpaceIntervalMs = 1000;
}

AcquisitionController::AcquisitionController(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<Acquisition::Event>();
    qRegisterMetaType<ActionSet::Actions>();
    qRegisterMetaType<AcquisitionStatus>();
    const StartupOptions &options = startupOptions();
    if (!options.configFileName.isEmpty())
        startupConfigPath = QDir(options.configDirectory).filePath(options.configFileName);

    actions = new ActionSet(this);
    connection = new ConnectionMachine(options.useWifi, this);
    loop = new MeasurementLoop(*connection, *actions, this);
    wifi = new WifiConfigTask(this);
    connectParts();

    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &AcquisitionController::onTimer);
    timer.start(300);
    statusTimer.setInterval(StatusIntervalMs);
    connect(&statusTimer, &QTimer::timeout, this, &AcquisitionController::onStatusTimer);
    statusTimer.start();
}

AcquisitionController::~AcquisitionController()
{
    shutdown();
}

void AcquisitionController::connectParts()
{
    using C = AcquisitionController;
    connect(actions, &ActionSet::changed, this, &C::actionsChanged);
    connect(connection, &ConnectionMachine::stateChanged, this, &C::connectionStateChanged);
    connect(connection, &ConnectionMachine::message, this, &C::message);
    connect(connection, &ConnectionMachine::statusMessage, this, &C::statusMessage);
    connect(connection, &ConnectionMachine::busyQuestion, this, &C::busyQuestion);
    connect(connection, &ConnectionMachine::networkQuestion, this, &C::networkQuestion);
    connect(connection, &ConnectionMachine::deviceChoiceQuestion, this, &C::deviceChoiceQuestion);
    connect(connection, &ConnectionMachine::channelCountChanged, this, &C::invalidateConfiguration);
    connect(connection, &ConnectionMachine::deviceDescribed, this, &C::loadStartupConfiguration);
    connect(connection, &ConnectionMachine::memoryRead, wifi, &WifiConfigTask::takeMemory);
    connect(connection, &ConnectionMachine::commandFailed, this, &C::onCommandFailed);
    connect(loop, &MeasurementLoop::message, this, &C::message);
    connect(loop, &MeasurementLoop::statusMessage, this, &C::statusMessage);
    connect(loop, &MeasurementLoop::stateChanged, this, &C::measurementStateChanged);
    connect(loop, &MeasurementLoop::recordingClosed, this, &C::recordingClosed);
    connect(loop, &MeasurementLoop::markerAdded, this, &C::markerAdded);
    connect(loop, &MeasurementLoop::configurationRefused, this, &C::invalidateConfiguration);
    connect(wifi, &WifiConfigTask::message, this, &C::message);
    connect(wifi, &WifiConfigTask::editRequested, this, &C::wifiRecordQuestion);
}

void AcquisitionController::setDisplay(DisplaySink *sink)
{
    display = sink;
    connection->setDisplay(sink);
    loop->setDisplay(sink);
}

void AcquisitionController::setPreferredSerial(const QString &serialNumber)
{
    connection->setPreferredSerial(serialNumber);
}

void AcquisitionController::setTraceFileName(const QString &path)
{
    loop->setTraceFileName(path);
}

void AcquisitionController::setRecordingLimit(double seconds)
{
    loop->setRecordingLimit(seconds);
}

int AcquisitionController::connectionState() const { return connection->state(); }
int AcquisitionController::measurementState() const { return loop->state(); }
bool AcquisitionController::isSampling() const { return loop->isSampling(); }
bool AcquisitionController::isRecording() const { return loop->isRecording(); }
QString AcquisitionController::traceFileName() const { return loop->traceFileName(); }
QString AcquisitionController::currentTraceFile() const
{
    return loop->isRecording() || loop->isClosingTrace() ? loop->traceFileName() : QString();
}
quint64 AcquisitionController::recordedFrames() const { return loop->recordedFrames(); }
quint64 AcquisitionController::lostFrames() const { return loop->lostFrames(); }
qint64 AcquisitionController::traceFileSize() const { return loop->traceFileSize(); }
QString AcquisitionController::deviceIdentification() const { return connection->identification(); }
bool AcquisitionController::deviceAnswered() const { return connection->deviceAnswered(); }
int AcquisitionController::adc24Count() const { return connection->adc24Count(); }
int AcquisitionController::adc16Count() const { return connection->adc16Count(); }
int AcquisitionController::imuCount() const { return connection->imuCount(); }
int AcquisitionController::auxWordCount() const { return connection->auxWordCount(); }
myAdw *AcquisitionController::deviceLink() const { return connection->link(); }
bool AcquisitionController::usingUdp() const { return connection->usingUdp(); }
bool AcquisitionController::wifiTaskRunning() const { return wifi->isPending(); }
int AcquisitionController::wifiTaskStep() const { return wifi->state(); }
bool AcquisitionController::countPollOn() const { return wifi->countPollEnabled(); }
ActionSet::Actions AcquisitionController::enabledActions() const { return actions->enabled(); }

AcquisitionStatus AcquisitionController::status() const
{
    AcquisitionStatus s;
    if (connection->state() == 4) {
        s.device = connection->identification().trimmed();
        s.link = connection->usingUdp() ? QStringLiteral("WiFi") : QStringLiteral("USB");
    }
    s.sampling = loop->isSampling();
    s.framesPerSecond = loop->framesPerSecond();
    s.framesLost = loop->lostFrames();
    const StreamRecorder &recording = loop->recording();
    s.recording = recording.isRecording();
    if (s.recording) {
        s.elapsedSeconds = recording.seconds();
        s.recordedFrames = recording.frames();
        s.recordingFramesLost = recording.framesLost();
        s.traceFile = recording.fileName();
        s.traceBytes = recording.fileBytes();
        s.freeBytes = freeBytes;
        s.shortOfSpace = recording.shortOfSpace();
    }
    s.lastRecording = loop->lastRecording();
    return s;
}

void AcquisitionController::onStatusTimer()
{
    if (loop->isRecording() && (!sinceFreeBytes.isValid() || sinceFreeBytes.elapsed() >= FreeSpaceIntervalMs)) {
        const QStorageInfo storage(QFileInfo(loop->traceFileName()).absolutePath());
        freeBytes = storage.isValid() && storage.isReady() ? storage.bytesAvailable() : -1;
        sinceFreeBytes.start();
    } else if (!loop->isRecording()) {
        sinceFreeBytes.invalidate();
    }
    const AcquisitionStatus now = status();
    if (now == lastStatus)
        return;
    lastStatus = now;
    emit statusChanged();
}

void AcquisitionController::onTimer()
{
    const int interval = connection->state() == 4 ? stepConnected() : connection->step();
    if (interval >= 0)
        timer.start(interval);
}

int AcquisitionController::stepConnected()
{
    if (connection->deviceLost()) {
        handleDisconnection();
        return 500;
    }
    if (!wifi->isPending()) {
        loop->step(configValid, wifi->countPollEnabled());
        return 30;
    }
    return wifi->step(*connection->link(), connection->usingUdp());
}

void AcquisitionController::handleDisconnection()
{
    emit statusMessage(tr("Device was disconnected"));
    if (display) {
        display->clearGraphs();
        display->setWindow(unsigned(loop->windowSamples()));
    }
    connection->forgetDevice();
    if (display)
        display->setLogo(":/images/edit-find-7.png");
    wifi->abandon();
    // The recording is made safe before anybody is told anything.
    loop->deviceLost();
    loop->reportAfterTrace(Acquisition::Event::DeviceDisconnected,
                           tr("Device was disconnected\nor is busy\nPlease reconnect device."));
    actions->set(1, 1, 0, 0, 0, 0, 0, 0, 1); // the user can always leave
    configValid = false;
}

void AcquisitionController::invalidateConfiguration()
{
    configValid = false;
}

void AcquisitionController::loadStartupConfiguration()
{
    if (startupConfigPath.isEmpty())
        return;
    qDebug("try to load the config file from main()");
    qDebug("on Open Config");
    if (wifi->isPending() || !checkDeviceConfigurable())
        return;
    openConfiguration(takeStartupConfiguration());
}

QString AcquisitionController::takeStartupConfiguration()
{
    const QString path = startupConfigPath;
    startupConfigPath.clear();
    return path;
}

bool AcquisitionController::checkDeviceConfigurable()
{
    if (!connection->deviceAnswered()) {
        emit message(Acquisition::Event::NoDevice, tr("No Device found. Check your connections."));
        return false;
    }
    if (adc16Count() == 0 && adc24Count() == 0 && imuCount() == 0 && auxWordCount() == 0) {
        emit message(Acquisition::Event::NoChannels,
                     tr("Device has no channels to configure. Check your connections."));
        return false;
    }
    return true;
}

void AcquisitionController::openConfiguration(const QString &path)
{
    qDebug() << "filna = " << path;
    const ConfigLoadResult loaded = readConfiguration(conf, path);
    if (!loaded.ok()) {
        configValid = false;
        qDebug() << "################## error: could not load configuration: " << loaded.text();
        // A missing file and a malformed one are told apart, with the line at fault.
        emit message(Acquisition::Event::ConfigurationInvalid, loaded.warning());
        return;
    }
    if (const char *mismatch = configDeviceMismatch(conf, adc16Count(), adc24Count(), imuCount(), auxWordCount())) {
        configValid = false;
        emit message(Acquisition::Event::ConfigurationMismatch, QCoreApplication::translate("MainWindow", mismatch));
        return;
    }
    if (!acceptConfiguration(conf)) {
        configValid = false;
        return;
    }
    configSaved = true;
    emit configurationLoaded(path.section('/', -1));
}

bool AcquisitionController::acceptConfiguration(const daqConfig &candidate)
{
    if (candidate.sampleSize <= 0 || candidate.expectedSampleSize() <= 0) {
        emit message(Acquisition::Event::ConfigurationEmpty,
                     tr("The configuration enables no channel: the device would send empty frames.\n"
                        "Please enable at least one channel."));
        return false;
    }
    FrameConverter check;
    check.configure(candidate);
    if (check.rowLength() > FrameConverter::maxRowValues) {
        emit message(Acquisition::Event::ConfigurationTooLarge,
                     tr("The configuration has %1 display channels; at most %2 can be shown.\n"
                        "Please enable fewer channels.")
                         .arg(check.rowLength())
                         .arg(FrameConverter::maxRowValues));
        return false;
    }
    conf = candidate;
    configValid = true;
    configSaved = false;
    loop->configure(conf);
    return true;
}

void AcquisitionController::discardConfiguration(const daqConfig &leftover)
{
    conf = leftover;
    configValid = false;
    if (display)
        display->clearGraphs();
}

bool AcquisitionController::saveConfiguration(const QString &path)
{
    qDebug() << "Try to save on filna " << path << "conf.imu6.size() = " << conf.imu6.size();
    if (!::saveConfiguration(conf, path))
        return false;
    configSaved = true;
    return true;
}

void AcquisitionController::start()
{
    qDebug("Start Button pressed");
    if (!wifi->isPending())
        loop->start();
}

void AcquisitionController::stop()
{
    qDebug("Stop Button pressed");
    if (!wifi->isPending())
        loop->stop();
}

void AcquisitionController::record()
{
    qDebug("############### Record Button pressed");
    if (!wifi->isPending())
        loop->record();
}

void AcquisitionController::addMarker(const QString &text)
{
    loop->addMarker(text);
}

// A command the device answered with an error. During configuring that is the device
// refusing the configuration, told once when configuring ends. A stream's tail is never
// shown: only the readable part of an answer reaches a message.
void AcquisitionController::onCommandFailed(const QByteArray &command, const QByteArray &answer)
{
    const QByteArray sent = command.trimmed();
    if (loop->isConfiguring() && !answer.isEmpty() && !sent.endsWith('?')) {
        loop->noteRefusal(answer);
        return;
    }
    // Over WiFi a query without an answer is a lost datagram; the polls ask again.
    if (connection->usingUdp())
        return;
    const QString what = readableAnswer(sent);
    const QString said = readableAnswer(answer);
    emit message(Acquisition::Event::CommandFailed,
                 said.isEmpty() ? tr("The device did not accept the command \"%1\".").arg(what)
                                : tr("The device did not accept the command \"%1\":\n%2").arg(what, said));
}

void AcquisitionController::startWifiConfiguration()
{
    wifi->request();
}

void AcquisitionController::answerBusy(bool exitProgram)
{
    connection->answerBusy(exitProgram);
}

void AcquisitionController::answerNetwork(bool exitProgram)
{
    connection->answerNetwork(exitProgram);
}

void AcquisitionController::chooseDevice(int index)
{
    connection->chooseDevice(index);
}

void AcquisitionController::answerWifiRecord(const QByteArray &record)
{
    wifi->answerEdit(record);
}

void AcquisitionController::shutdown()
{
    timer.stop();
    statusTimer.stop();
    // Bounded: a disk that hangs keeps the file as its last commit left it.
    loop->closeTraceFile(10000);
    connection->link()->close();
}
