#pragma once

#include "console.h"
#include "portsettings.h"
#include "reconnectsearch.h"
#include "termoptions.h"

#include <QFile>
#include <QMainWindow>
#include <QSerialPort>
#include <QStringList>
#include <QTimer>
#include <QVector>

class QApplication;
class QCloseEvent;
class QLabel;

// The terminal window: one serial port, the console, the macros and an optional log file.
// Connects to the port chosen in the settings dialog or found by vendor, product and
// serial number, and reconnects by itself when that device comes back.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(QWidget *parent, QApplication *app, const TermOptions &options);
    ~MainWindow() override;

    QSerialPort *port() const { return serial; }
    Console *consoleView() const { return console; }
    const PortSettings &portSettings() const { return settings; }
    bool isLogging() const { return logging; }
    QString logFileName() const { return logging ? logFile.fileName() : QString(); }

public slots:
    void onConnect();
    void onDisconnect();
    void onTryToReconnect();
    void onClear();
    void onTools();
    void onConfigure();
    void onLog();
    void onTimer();
    void onToggleDTR();
    void onToggleRTS();
    void onTimeStamps(bool on);
    void writeData(const QByteArray &data);
    void readData();
    void handleError(QSerialPort::SerialPortError error);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void loadSettings();
    void saveSettings();
    void applyOptions();
    void createActions();
    void createToolBar();
    void createPort();
    bool runSettingsDialog(bool *accepted);
    bool startLogging(const QString &fileName);
    void stopLogging();
    void logFailed();
    void showLogState();
    void showReceived();
    void drainPort();
    void setConsoleColours(bool connected);
    void setLineIcon(QAction *action, bool setOk, bool on);
    void showConnected();
    void portLost();

    const TermOptions options;
    PortSettings settings;
    bool crlf = false;
    QStringList keyList;
    QSerialPort *serial = nullptr;
    Console *console = nullptr;
    QVector<Console::Chunk> rxBuffer;  // received, not yet shown; each read with its time
    bool timeStamps = false;
    QTimer refreshTimer;
    QFile logFile;
    bool logging = false;
    bool dtrOn = true;
    bool rtsOn = true;
    bool autoMode = false;
    ReconnectSearch search;  // lastVid, lastPid, lastSn, firstMatch
    bool reconnectPlanned = false;
    QPoint savedPos;
    QSize savedSize;

    QAction *settingsAct = nullptr;
    QAction *connectAct = nullptr;
    QAction *disconnectAct = nullptr;
    QAction *clearAct = nullptr;
    QAction *logAct = nullptr;
    QAction *hexAct = nullptr;
    QAction *timeAct = nullptr;
    QAction *toolsAct = nullptr;
    QAction *dtrAct = nullptr;
    QAction *rtsAct = nullptr;
    QLabel *logLabel = nullptr;
};
