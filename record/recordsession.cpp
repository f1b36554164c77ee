#include "recordsession.h"

#include "acquisition/acquisitioncontroller.h"
#include "config/configfile.h"
#include "config/daqconfig.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {
QString oneLine(QString text)
{
    text.replace("<p>", " ").replace('\n', ' ');
    return text.simplified();
}
}

RecordSession::RecordSession(const RecordOptions &recordOptions, AcquisitionController &acquisition,
                             QObject *parent)
    : QObject(parent), options(recordOptions), controller(acquisition)
{
    ticker.setInterval(1000);
    connect(&ticker, &QTimer::timeout, this, &RecordSession::onSecond);
}

void RecordSession::start(const QString &configFolder, const QString &traceFolder)
{
    sinceStart.start();
    if (!prepareFiles(configFolder, traceFolder))
        return;
    controller.setPreferredSerial(options.serialNumber);
    controller.setRecordingLimit(options.duration);
    connectController();
    ticker.start();
}

bool RecordSession::prepareFiles(const QString &configFolder, const QString &traceFolder)
{
    const QString config = RecordOptions::resolveConfig(options.configFile, QDir::currentPath(), configFolder);
    if (config.isEmpty()) {
        fail(RecordExit::ConfigInvalid,
             QStringLiteral("%1 is neither in the current folder nor in %2").arg(options.configFile, configFolder));
        return false;
    }
    daqConfig check;
    const QString error = loadConfiguration(check, config);
    if (!error.isEmpty()) {
        fail(RecordExit::ConfigInvalid, config + ": " + error);
        return false;
    }
    controller.setStartupConfiguration(config);

    const QString output = options.outputFile.isEmpty() ? QString() : QFileInfo(options.outputFile).absoluteFilePath();
    const QString folder = output.isEmpty() ? traceFolder : QFileInfo(output).absolutePath();
    if (!output.isEmpty() && QFileInfo::exists(output)) {
        fail(RecordExit::OutputRefused, output + " exists; it is never overwritten");
        return false;
    }
    if (!QFileInfo(folder).isDir()) {
        fail(RecordExit::OutputRefused, "the folder " + folder + " does not exist");
        return false;
    }
    controller.setTraceFileName(output);
    return true;
}

void RecordSession::connectController()
{
    AcquisitionController *c = &controller;
    connect(c, &AcquisitionController::message, this, &RecordSession::onMessage);
    connect(c, &AcquisitionController::measurementStateChanged, this, &RecordSession::onMeasurementState);
    connect(c, &AcquisitionController::recordingClosed, this, &RecordSession::onRecordingClosed);
    connect(c, &AcquisitionController::configurationLoaded, this, [this] { configLoaded = true; });
    connect(c, &AcquisitionController::busyQuestion, this, &RecordSession::onBusy);
    connect(c, &AcquisitionController::deviceChoiceQuestion, this, &RecordSession::onDeviceChoice);
    connect(c, &AcquisitionController::networkQuestion, this, [this] {
        fail(RecordExit::NoDevice, "this computer is not in the device's WiFi network");
    });
    connect(c, &AcquisitionController::wifiRecordQuestion, this, [c] {
        QMetaObject::invokeMethod(c, [c] { c->answerWifiRecord(QByteArray()); }, Qt::QueuedConnection);
    });
}

RecordExit::Code RecordSession::exitCodeFor(Acquisition::Event event)
{
    using E = Acquisition::Event;
    switch (event) {
    case E::CommandFailed:
    case E::ChannelCountChanged:
    case E::WifiReadFailed:
        return RecordExit::Success;
    case E::ConfigurationInvalid:
        return RecordExit::ConfigInvalid;
    case E::NoDevice:
        return RecordExit::NoDevice;
    case E::NoChannels:
    case E::ConfigurationMismatch:
    case E::ConfigurationTooLarge:
    case E::ConfigurationEmpty:
    case E::ConfigurationRefused:
    case E::ChannelCountsInvalid:
        return RecordExit::ConfigRefused;
    case E::TraceFileFailed:
        return RecordExit::OutputRefused;
    case E::TraceFolderFull:
    case E::TraceWriteFailed:
        return RecordExit::DiskFull;
    case E::NotReady:
    case E::StreamStopped:
    case E::StreamDamaged:
    case E::DeviceDisconnected:
        return RecordExit::DeviceLost;
    }
    return RecordExit::DeviceLost;
}

void RecordSession::onMessage(Acquisition::Event event, const QString &text)
{
    const RecordExit::Code code = exitCodeFor(event);
    if (code != RecordExit::Success)
        fail(code, oneLine(text));
}

void RecordSession::onMeasurementState(int state)
{
    if (done)
        return;
    if (state == 3 && !recordRequested && controller.isConfigValid()) {
        // Not from inside the step that reached the ready state.
        recordRequested = true;
        QMetaObject::invokeMethod(this, [this] {
            if (!done && !stopRequested)
                controller.record();
        }, Qt::QueuedConnection);
    } else if (state == 4 && recordRequested && !recording) {
        recording = true;
        sinceRecording.start();
        say("recording to " + controller.traceFileName());
        if (controller.status().shortOfSpace)
            say("less than a minute of recording fits into the folder of the trace file");
    } else if (state == 5) {
        sinceStopping.start();
    } else if (state == 3 && recording) {
        finish(RecordExit::Success);
    }
}

void RecordSession::onRecordingClosed(const QString &file, quint64 frames, quint64 lost)
{
    traceFile = file;
    framesWritten = frames;
    framesLost = lost;
}

void RecordSession::onBusy()
{
    if (!busySeen)
        say("the device is busy; trying again");
    busySeen = true;
    AcquisitionController *c = &controller;
    QMetaObject::invokeMethod(c, [c] { c->answerBusy(false); }, Qt::QueuedConnection);
}

void RecordSession::onDeviceChoice(const QList<DeviceInfo> &candidates)
{
    QStringList names;
    for (const DeviceInfo &device : candidates)
        names << device.serialNumber + (device.portName.isEmpty() ? QString() : " (" + device.portName + ")");
    fail(RecordExit::SeveralDevices, names.join(", "));
}

void RecordSession::requestStop()
{
    if (done)
        return;
    if (!recording) {
        fail(RecordExit::Interrupted, QString());
        return;
    }
    if (stopRequested) {
        finish(RecordExit::Success); // the file is closed as it stands
        return;
    }
    stopRequested = true;
    controller.stop();
}

void RecordSession::onSecond()
{
    if (recording && !options.quiet)
        std::fprintf(stderr, "%s\n",
                     qPrintable(progress.next(double(sinceRecording.elapsed()) / 1000.0, controller.recordedFrames(),
                                              controller.lostFrames(), controller.traceFileSize())));
    checkDeadlines();
}

void RecordSession::checkDeadlines()
{
    const double seconds = double(sinceStart.elapsed()) / 1000.0;
    if (!recording) {
        if (busySeen && options.duration > 0 && seconds >= options.duration)
            fail(RecordExit::DeviceBusy, QString());
        else if (!busySeen && seconds >= ConnectSeconds)
            fail(configLoaded ? RecordExit::ConfigRefused : RecordExit::NoDevice,
                 configLoaded ? "the device did not become ready" : QString());
    } else if (sinceStopping.isValid() && sinceStopping.elapsed() >= StopSeconds * 1000) {
        fail(RecordExit::DeviceLost, "the device did not stop streaming");
    }
}

void RecordSession::say(const QString &line) const
{
    if (!options.quiet)
        std::fprintf(stderr, "kestrova-record: %s\n", qPrintable(line));
}

void RecordSession::fail(RecordExit::Code code, const QString &detail)
{
    if (done)
        return;
    finish(code);
    const QString text = RecordExit::describe(code) + (detail.isEmpty() ? QString() : ": " + detail);
    std::fprintf(stderr, "kestrova-record: %s\n", qPrintable(text));
}

// The trace file is closed before anything is said about it.
void RecordSession::finish(RecordExit::Code code)
{
    if (done)
        return;
    done = true;
    ticker.stop();
    controller.shutdown();
    if (!traceFile.isEmpty())
        std::fprintf(stdout, "%s\n", qPrintable(ProgressLine::summary(traceFile, framesWritten, framesLost)));
    std::fflush(stdout);
    emit finished(code);
}
