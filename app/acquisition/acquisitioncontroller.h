#pragma once

#include "acquisition/acquisitionevent.h"
#include "acquisition/actionset.h"
#include "config/daqconfig.h"
#include "link/deviceinfo.h"
#include "link/wifinetwork.h"

#include <QByteArray>
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
    // Refused (false, nothing changed) when its display row does not fit the plot.
    bool acceptConfiguration(const daqConfig &candidate);
    // An edit that produced no usable configuration: kept, but not valid.
    void discardConfiguration(const daqConfig &leftover);
    bool saveConfiguration(const QString &path);

public slots:
    void start();
    void stop();
    void record();
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
    void recordingClosed(const QString &fileName, quint64 frames, quint64 lost);
    // Questions; each waits for its answer slot.
    void busyQuestion(const QString &text);                           // answerBusy
    void networkQuestion(WifiNetwork::Finding finding);               // answerNetwork
    void deviceChoiceQuestion(const QList<DeviceInfo> &candidates);   // chooseDevice
    void wifiRecordQuestion(const QByteArray &record);                // answerWifiRecord

private slots:
    void onTimer();

private:
    void connectParts();
    int stepConnected();
    void handleDisconnection();
    void loadStartupConfiguration();
    void invalidateConfiguration();

    QTimer timer;
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
