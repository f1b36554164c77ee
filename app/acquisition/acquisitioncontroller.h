#pragma once

#include "acquisition/acquisitionevent.h"
#include "acquisition/acquisitionstatus.h"
#include "acquisition/actionset.h"
#include "config/daqconfig.h"
#include "link/deviceinfo.h"
#include "link/wifinetwork.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class ConnectionMachine;
class DisplaySink;
class MeasurementLoop;
class WifiConfigTask;
class myAdw;

// Everything Kestrova does with the device, without a widget: the links, the connection
// and measurement state machines driven by one single-shot timer, the configuration,
// the trace file and the device's WiFi configuration. The window and the recording
// program drive it through its slots; it tells them what happened through signals and
// asks them questions whose answers come back through the answer slots. Nothing here
// waits for a person: while a question is open the timer ticks on and a running
// recording keeps recording.
class AcquisitionController : public QObject
{
    Q_OBJECT

public:
    // The link in use follows the start-up option useWifi; the folders are read from the
    // start-up options when they are needed.
    explicit AcquisitionController(QObject *parent = nullptr);
    ~AcquisitionController() override;

    void setDisplay(DisplaySink *sink);
    // Only a device with this serial number is taken (empty: any of ours).
    void setPreferredSerial(const QString &serialNumber);
    // Loaded once, when the device first reports its channels. Start-up's configuration
    // name (inside the configurations folder) is the default.
    void setStartupConfiguration(const QString &path) { startupConfigPath = path; }
    // Recordings go to this file (which must not exist); empty: a new trace name in the
    // traces folder.
    void setTraceFileName(const QString &path);
    // Recordings end after this many seconds at the latest (0: the configuration decides).
    void setRecordingLimit(double seconds);

    int connectionState() const;
    int measurementState() const;
    bool isSampling() const;
    bool isRecording() const;
    bool isConfigValid() const { return configValid; }
    bool isConfigSaved() const { return configSaved; }
    const daqConfig &configuration() const { return conf; }
    // What is going on, for a status line; statusChanged() says when it changed.
    AcquisitionStatus status() const;
    // The trace file being recorded or closed: it must not be deleted or offered as a
    // finished data file. Empty when there is none.
    QString currentTraceFile() const;
    // The last recording's file (kept after it ended).
    QString traceFileName() const;
    quint64 recordedFrames() const;
    quint64 lostFrames() const;
    qint64 traceFileSize() const;
    QString deviceIdentification() const;
    bool deviceAnswered() const;   // channel counts came in
    int adc24Count() const;
    int adc16Count() const;
    int imuCount() const;
    int auxWordCount() const;
    myAdw *deviceLink() const;
    bool usingUdp() const;
    bool wifiTaskRunning() const;
    int wifiTaskStep() const;
    bool countPollOn() const;
    ActionSet::Actions enabledActions() const;

    // The start-up configuration if it has not been loaded yet (once), else empty.
    QString takeStartupConfiguration();
    // A configuration needs a device that has answered with at least one channel; false
    // after telling why.
    bool checkDeviceConfigurable();
    // Loads a configuration file, checks it against the device and makes it current.
    void openConfiguration(const QString &path);
    // Makes `candidate` the current configuration, sent to the device on the next step.
    // Refused (false, nothing changed, the reason told) when it enables no channel or
    // its display row does not fit the plot.
    bool acceptConfiguration(const daqConfig &candidate);
    // An edit that produced no usable configuration: kept, but not valid.
    void discardConfiguration(const daqConfig &leftover);
    bool saveConfiguration(const QString &path);

public slots:
    void start();
    // Ends a recording made during a live view, else the stream (and a recording with it).
    void stop();
    // From ready: starts the stream and a recording. During a live view: starts only a
    // recording, at the next frame.
    void record();
    // Stores a marker at the next frame of the running recording (the text is cut to 64
    // bytes of UTF-8); markerAdded() tells where. Nothing happens when not recording.
    void addMarker(const QString &text);
    void startWifiConfiguration();
    void answerBusy(bool exitProgram);
    void answerNetwork(bool exitProgram);
    void chooseDevice(int index);
    // The edited network record, or empty when nothing is to be written.
    void answerWifiRecord(const QByteArray &record);
    // No more steps; the trace file and the link are closed.
    void shutdown();

signals:
    void message(Acquisition::Event event, const QString &text);
    void statusMessage(const QString &text);
    void actionsChanged(ActionSet::Actions enabled);
    void connectionStateChanged(int state);
    void measurementStateChanged(int state);
    void configurationLoaded(const QString &fileName);
    // The trace file is closed and complete: frames in it, frames lost inside it.
    void recordingClosed(const QString &fileName, quint64 frames, quint64 lost);
    // Frame index (row) and seconds since the recording's first frame, and the text stored.
    void markerAdded(quint64 frame, double seconds, const QString &text);
    // status() changed; at most four times a second.
    void statusChanged();
    // Questions; each waits for its answer slot.
    void busyQuestion(const QString &text);                           // answerBusy
    void networkQuestion(WifiNetwork::Finding finding);               // answerNetwork
    void deviceChoiceQuestion(const QList<DeviceInfo> &candidates);   // chooseDevice
    void wifiRecordQuestion(const QByteArray &record);                // answerWifiRecord

private slots:
    void onTimer();
    void onStatusTimer();

private:
    void connectParts();
    void onCommandFailed(const QByteArray &command, const QByteArray &answer);
    int stepConnected();
    void handleDisconnection();
    void loadStartupConfiguration();
    void invalidateConfiguration();

    QTimer timer;
    QTimer statusTimer;
    AcquisitionStatus lastStatus;
    qint64 freeBytes = -1;               // in the trace folder, looked up once a second
    QElapsedTimer sinceFreeBytes;
    ActionSet *actions = nullptr;
    ConnectionMachine *connection = nullptr;
    MeasurementLoop *loop = nullptr;
    WifiConfigTask *wifi = nullptr;
    DisplaySink *display = nullptr;

    daqConfig conf;
    bool configValid = false;
    bool configSaved = true;
    QString startupConfigPath;
};
