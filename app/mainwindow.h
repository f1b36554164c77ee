#pragma once

#include "acquisition/framepipeline.h"
#include "config/daqconfig.h"
#include "link/deviceinfo.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <QVector>

#include <memory>

class QAction;
class QApplication;
class QCloseEvent;
class QKeyEvent;
class QToolBar;
class QToolButton;
class RenderArea;
class SerialCom;
class myAdw;
class myHdf;
class udp_com;
struct hdfDataset;

// The acquisition program's main window. One single-shot timer drives everything done
// with the device: each tick runs one step of the connection state machine and, once a
// device is connected, one step of the acquisition loop.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr, QApplication *application = nullptr);
    ~MainWindow() override;

    // True when the computer is in the WiFi device's network; otherwise asks the user and
    // closes the window when the answer is Yes.
    bool checkWifiNetwork();

    // State, for the status box, the tests and the demonstration.
    int connectionStateValue() const { return connectionState; }
    int measurementStateValue() const { return measurementState; }
    bool isSampling() const { return sampling; }
    bool isRecording() const { return recording; }
    bool isConfigValid() const { return configValid; }
    const daqConfig &configuration() const { return conf; }
    QString traceFileName() const { return fileName; }
    quint32 recordedFrames() const { return samplesRecorded; }
    QString deviceIdentification() const { return idnString; }
    bool deviceAnswered() const { return portOpened; }   // channel counts came in
    int channelCount24() const { return nAdc24; }
    int imuCount() const { return nImu; }
    int auxWordCount() const { return nAux; }
    RenderArea *plotArea() const { return renderArea; }
    myAdw *deviceLink() const { return link; }
    bool wifiTaskRunning() const { return wifiTaskPending; }
    int wifiTaskStep() const { return wifiTaskState; }
    bool countPollOn() const { return countPollEnabled; }
    QAction *action(const QString &objectName) const;
    // Side of the toolbar icons for a screen of the given width.
    static int toolbarIconSide(int screenWidth);

public slots:
    void onTimer();
    void onCommunicationResponse(bool success, QByteArray command, QByteArray response);
    void onOpenResultss(bool success);
    void onOpenConfig();
    void onNewConfig();
    void onSaveConfig();
    void onConfiguration();
    void onButtonStart();
    void onButtonStop();
    void onButtonRecord();
    void onButtonStatus();
    void onButtonHelp();
    void onButtondeleteDatafile();
    void onButtondeleteConfigfile();
    void onWifiConfig();
    void onToolbarVisiblityChanged(bool onoff);
    void keyPressEvent(QKeyEvent *event) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Construction (user interface).
    void createActions();
    void createToolBar();
    QToolButton *createDeleteButton();
    QAction *makeAction(const char *name, const char *icon, const QString &text, const QString &tip,
                        void (MainWindow::*slot)());
    void readSettings();
    void writeSettings();
    void setActions(int open, int newConf, int save, int configuration, int wifi, int start, int stop,
                    int record, int exit = -1);
    void showStatus(const QString &text);
    void setLogoImage(const char *resource);
    void markUnsaved();

    // Connection state machine.
    void switchState(int state);
    int stepSearch();
    int stepEnumerate();
    int stepOpening();
    int stepIdentify();
    int stepConnected();
    bool chooseCandidate(DeviceInfo &chosen);
    bool askExit(const QString &text);
    void handleDisconnection();
    void handleChannelCounts(const QByteArray &response);
    void takeOverCount(int reported, int limit, int &count, bool &known, const char *what,
                       const QByteArray &response, const QString &changedWarning);
    bool deviceCanBeConfigured();
    void sendQuery(const char *query);
    bool usingUdp() const;

    // Acquisition loop.
    void acquisitionStep();
    bool stepStreaming();
    bool stepStopping();
    void sendConfiguration();
    bool acceptConfiguration();
    int wificonfigTask();
    int wifiRequestRecord();
    int wifiEditRecord();
    int wifiAnnounceWrite();
    int wifiSendRecord();
    int wifiSaveWritten();
    int wifiFinish();
    void abandonWifiTask();
    bool saveWifiConfig(const QByteArray &bytes);
    void applyLoadedConfiguration(const QString &path);
    void deleteFiles(const QString &folder, const QString &header, bool asWarning);
    void startValidConfiguration();
    void prepareSampling();
    void closeTraceFile();
    bool startTraceFile();
    void blinkRecord();
    void unexpectedStop();

    QApplication *app;
    QToolBar *fileToolBar = nullptr;
    RenderArea *renderArea = nullptr;

    QAction *openAct = nullptr, *newAct = nullptr, *saveAct = nullptr, *exitAct = nullptr;
    QAction *configurationAct = nullptr, *startAct = nullptr, *stopAct = nullptr;
    QAction *recordAct = nullptr, *statusAct = nullptr, *helpAct = nullptr, *wifiAct = nullptr;
    QAction *deleteConfigAct = nullptr, *deleteDataAct = nullptr;
    int screenWidth = 1920;
    int screenHeight = 1080;

    // Links: both always exist, `link` is the one in use.
    udp_com *udpLink = nullptr;
    SerialCom *serialLink = nullptr;
    myAdw *link = nullptr;

    QTimer timer;
    QElapsedTimer sinceConstruction;
    int connectionState = 0;
    int measurementState = 0;
    int pollCountdown = 0;
    bool countPollEnabled = true;
    QList<DeviceInfo> portList;
    bool portOpened = false;
    bool deviceBusy = false;
    int deviceFamily = 0;
    QString idnString;
    int nAdc24 = 0, nAdc16 = 0, nImu = 0, nAux = 0;
    bool deviceInfoReceived = false;
    bool imuCountKnown = false, auxCountKnown = false;
    bool configValid = false;
    bool configSaved = true;
    bool sampling = false, recording = false;
    quint32 samplesRecorded = 0;
    quint32 maxSampleCount = 0xFFFFFFFF;
    int windowSamples = 8000;
    bool wifiTaskPending = false;
    QByteArray memRaw;
    bool memRawReceived = false;
    qint32 wifiTaskState = 0;
    bool recordBlink = false;
    int recordBlinkTicks = 0;
    QString configFileName;

    daqConfig conf;
    daqConfig confBackup;
    std::unique_ptr<myHdf> hdf;
    QVector<hdfDataset> traceDatasets;   // per kind: 24-bit, 16-bit, IMU, AUX (empty name = absent)
    QString traceBase;
    bool traceWriteFailed = false;      // an append to the trace file failed in this recording
    QString fileName;

    // Stream decoding, reused from step to step.
    FramePipeline pipeline;
    QByteArray received;
};
