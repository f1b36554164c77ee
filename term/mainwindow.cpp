#include "mainwindow.h"

#include "console.h"
#include "lineends.h"
#include "serialportlist.h"
#include "settingsdialog.h"
#include "termsettingsstore.h"
#include "toolsdialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QSizePolicy>
#include <QStatusBar>
#include <QToolBar>

static const char *const iconGreen = ":/images/led_green.png";
static const char *const iconRed = ":/images/led_red.png";
static const char *const iconQuestion = ":/images/question.png";

static const char *boolText(bool b)
{
    return b ? "true" : "false";
}

MainWindow::MainWindow(QWidget *parent, QApplication *app, const TermOptions &options)
    : QMainWindow(parent), options(options)
{
    Q_UNUSED(app)
    qDebug() << "constructor";
    loadSettings();
    applyOptions();

    createActions();
    createToolBar();
    disconnectAct->setEnabled(false);
    console = new Console(this, &keyList);
    console->setEnabled(false);
    console->setTimeStamps(timeStamps);
    setCentralWidget(console);
    connect(console, SIGNAL(hexModeChanged(bool)), hexAct, SLOT(setChecked(bool)));
    connect(hexAct, SIGNAL(toggled(bool)), console, SLOT(setHexMode(bool)));
    createPort();
    logging = false;
    logLabel = new QLabel(this);
    logLabel->setObjectName(QStringLiteral("logLabel"));
    statusBar()->addPermanentWidget(logLabel);
    showLogState();
    statusBar()->showMessage(tr("Ready"));
    setWindowTitle(QStringLiteral("corvun"));
    resize(savedSize);
    move(savedPos);

    if (!autoMode) {
        bool accepted = false;
        if (!runSettingsDialog(&accepted)) {
            qDebug() << "nothing possible, no serialport available";
            QTimer::singleShot(0, this, SLOT(close()));
            return;
        }
        if (accepted)
            QTimer::singleShot(0, this, SLOT(onConnect()));
    } else {
        QTimer::singleShot(0, this, SLOT(onTryToReconnect()));
        search.lastVid = options.filterVid;
        search.lastPid = options.filterPid;
        search.lastSn = options.filterSn.toLower();
    }

    connect(&refreshTimer, SIGNAL(timeout()), this, SLOT(onTimer()));
    refreshTimer.start(100);
    qDebug() << "constructor finished";

    if (options.forceLog)
        startLogging(QDir::homePath() + QStringLiteral("/corvun.log"));
}

MainWindow::~MainWindow()
{
    if (serial->isOpen()) {
        qDebug() << "close serial port";
        serial->close();
    }
    qDebug() << "deconstructor";
    saveSettings();
    if (logFile.isOpen())
        logFile.close();
}

void MainWindow::loadSettings()
{
    QSettings store(QStringLiteral("lumetrix"), QStringLiteral("corvun"));
    TermSettingsStore values;
    values.load(store);
    savedPos = values.pos;
    savedSize = values.size;
    settings.baudRate = qint32(values.baudRate);
    settings.localEcho = values.localEcho;
    crlf = values.crlf;
    timeStamps = values.timeStamps;
    keyList = values.keyList;
}

void MainWindow::saveSettings()
{
    QSettings store(QStringLiteral("lumetrix"), QStringLiteral("corvun"));
    TermSettingsStore values;
    values.pos = pos();
    values.size = size();
    values.baudRate = quint32(settings.baudRate);
    values.localEcho = settings.localEcho;
    values.crlf = crlf;
    values.timeStamps = timeStamps;
    values.keyList = keyList;
    values.save(store, options.baudRate < 0, options.localEcho < 0);
}

void MainWindow::applyOptions()
{
    autoMode = (options.filterVid != -1 && options.filterPid != -1) || !options.filterSn.isEmpty();
    search.snFilterGiven = !options.filterSn.isEmpty();
    if (options.noStatusLines)
        dtrOn = rtsOn = false;
    if (options.baudRate >= 0)
        settings.baudRate = options.baudRate;
    if (options.localEcho >= 0)
        settings.localEcho = options.localEcho > 0;
    settings.dataBits = QSerialPort::Data8;
    settings.stopBits = QSerialPort::OneStop;
    settings.parity = QSerialPort::NoParity;
    settings.flowControl = QSerialPort::NoFlowControl;
}

static QAction *makeAction(QMainWindow *owner, const QString &text, const char *icon,
                           const QString &tip, const char *name, const char *slot)
{
    auto *action = new QAction(QIcon(QLatin1String(icon)), text, owner);
    action->setToolTip(tip);
    action->setObjectName(QLatin1String(name));
    QObject::connect(action, SIGNAL(triggered()), owner, slot);
    return action;
}

void MainWindow::createActions()
{
    settingsAct = makeAction(this, tr("Settings"), ":/images/settings.png", tr("Preferences"),
                             "actionSettings", SLOT(onConfigure()));
    connectAct = makeAction(this, tr("&Connect"), ":/images/connect.png", tr("Connect"),
                            "actionConnect", SLOT(onConnect()));
    disconnectAct = makeAction(this, tr("&Disconnect"), ":/images/disconnect.png", tr("Disconnect"),
                               "actionDisconnect", SLOT(onDisconnect()));
    clearAct = makeAction(this, tr("&Clear"), ":/images/clear.png", tr("Clear Screen"),
                          "actionClear", SLOT(onClear()));
    logAct = makeAction(this, tr("&Log2file"), ":/images/document-save-2.png",
                        tr("Logging to file (on/off)"), "actionLog", SLOT(onLog()));
    toolsAct = makeAction(this, tr("&Tools"), ":/images/tools.png", tr("Tools"),
                          "actionTools", SLOT(onTools()));
    dtrAct = makeAction(this, tr("&DTR"), iconQuestion, tr("toggle DTR line"),
                        "actionDtr", SLOT(onToggleDTR()));
    rtsAct = makeAction(this, tr("&RTS"), iconQuestion, tr("toggle RTS line"),
                        "actionRts", SLOT(onToggleRTS()));
    logAct->setCheckable(true);

    // Shown by their names: a word says more here than a picture would.
    hexAct = new QAction(tr("Hex"), this);
    hexAct->setObjectName(QStringLiteral("actionHex"));
    hexAct->setToolTip(tr("Show received bytes as hexadecimal (F11 on, F12 off)"));
    hexAct->setCheckable(true);
    timeAct = new QAction(tr("Time"), this);
    timeAct->setObjectName(QStringLiteral("actionTimeStamps"));
    timeAct->setToolTip(tr("Begin every received line with the time it arrived"));
    timeAct->setCheckable(true);
    timeAct->setChecked(timeStamps);
    connect(timeAct, SIGNAL(toggled(bool)), this, SLOT(onTimeStamps(bool)));
}

void MainWindow::createToolBar()
{
    QToolBar *bar = addToolBar(tr("File"));
    bar->setObjectName(QStringLiteral("fileToolBar"));
    bar->setMovable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    setContextMenuPolicy(Qt::NoContextMenu);
    bar->addAction(settingsAct);
    bar->addAction(connectAct);
    bar->addAction(disconnectAct);
    bar->addSeparator();
    bar->addAction(clearAct);
    bar->addAction(logAct);
    bar->addSeparator();
    bar->addAction(hexAct);
    bar->addAction(timeAct);
    bar->addSeparator();
    bar->addAction(toolsAct);
    bar->addSeparator();
    bar->addWidget(new QLabel(QStringLiteral("DTR"), bar));
    bar->addAction(dtrAct);
    bar->addWidget(new QLabel(QStringLiteral("RTS"), bar));
    bar->addAction(rtsAct);
    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    bar->addWidget(new QLabel(QStringLiteral("<img src=%1>").arg(QLatin1String(iconQuestion)), bar));
}

void MainWindow::createPort()
{
    serial = new QSerialPort(this);
    connect(serial, SIGNAL(errorOccurred(QSerialPort::SerialPortError)),
            this, SLOT(handleError(QSerialPort::SerialPortError)));
    connect(serial, SIGNAL(readyRead()), this, SLOT(readData()));
    connect(console, SIGNAL(getData(QByteArray)), this, SLOT(writeData(QByteArray)));
}

// Returns false when the dialog listed no port at all.
bool MainWindow::runSettingsDialog(bool *accepted)
{
    settingsdialog dialog(this, settings.baudRate, QIcon(QStringLiteral(":/images/tools.png")),
                          options.baudRate != 0);
    *accepted = dialog.exec() == QDialog::Accepted;
    return dialog.updateSettings(settings);
}

bool MainWindow::startLogging(const QString &fileName)
{
    logFile.setFileName(fileName);
    if (!logFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        logFailed();
        return false;
    }
    logging = true;
    showLogState();
    return true;
}

void MainWindow::stopLogging()
{
    if (logFile.isOpen())
        logFile.close();
    logging = false;
    showLogState();
}

// The user is told at once in the status bar and by a box once the current step is
// done, so a failing write inside readData never waits for a click.
void MainWindow::logFailed()
{
    const QString text = tr("The log file %1 cannot be written (%2). Logging is off.")
                             .arg(QDir::toNativeSeparators(logFile.fileName()), logFile.errorString());
    qDebug() << text;
    stopLogging();
    statusBar()->showMessage(text);
    QTimer::singleShot(0, this, [this, text] {
        QMessageBox::warning(this, QStringLiteral("corvun"), text);
    });
}

// The button, its picture and the status bar all say whether bytes go to a file.
void MainWindow::showLogState()
{
    logAct->setChecked(logging);
    logAct->setIcon(QIcon(logging ? QStringLiteral(":/images/process-stop.png")
                                  : QStringLiteral(":/images/document-save-2.png")));
    logLabel->setText(logging ? tr("Logging to %1").arg(QDir::toNativeSeparators(logFile.fileName()))
                              : QString());
}

void MainWindow::setConsoleColours(bool connected)
{
    QPalette p = console->palette();
    p.setColor(QPalette::Base, connected ? Qt::black : Qt::white);
    p.setColor(QPalette::Text, connected ? Qt::white : Qt::black);
    console->setPalette(p);
}

// A line that could not be set (a pseudo-terminal has none) shows the question mark.
void MainWindow::setLineIcon(QAction *action, bool setOk, bool on)
{
    const char *icon = !setOk ? iconQuestion : (on ? iconGreen : iconRed);
    action->setIcon(QIcon(QLatin1String(icon)));
}

void MainWindow::onConnect()
{
    if (serial->isOpen()) {
        qDebug() << "onConnect() port already open";
        return;
    }
    // The screen is kept: what came before a reconnect is the user's history.
    console->setLocalEchoEnabled(settings.localEcho);

    serial->setPortName(settings.name);
    qDebug() << "brate = " << settings.baudRate;
    const bool brOk = serial->setBaudRate(settings.baudRate);
    serial->setDataBits(settings.dataBits);
    serial->setParity(settings.parity);
    serial->setStopBits(settings.stopBits);
    serial->setFlowControl(settings.flowControl);
    qDebug() << "onConnect() try to open " << serial->portName() << " brOk = " << boolText(brOk);

    reconnectPlanned = false;
    if (serial->open(QIODevice::ReadWrite)) {
        showConnected();
        // From now on a reconnect looks for this very device, not for any with its ids.
        search.firstMatch = false;
    } else {
        QMessageBox::critical(this, QStringLiteral("corvun"),
                              tr("onConnect: open serialport failed\nserialport reports: ")
                                  + serial->errorString() + tr("\nBaudrate was ")
                                  + QString::number(settings.baudRate));
        statusBar()->showMessage(tr("Open Error on serial port"));
        setWindowTitle(QStringLiteral("corvun"));
    }
    qDebug() << "Serial isopen " << boolText(serial->isOpen());
    search.remember(SerialPortList::availablePorts(), settings.name);
}

void MainWindow::showConnected()
{
    qDebug() << "onConnect() open";
    setLineIcon(dtrAct, serial->setDataTerminalReady(dtrOn), dtrOn);
    setLineIcon(rtsAct, serial->setRequestToSend(rtsOn), rtsOn);
    console->setEnabled(true);
    console->setLocalEchoEnabled(settings.localEcho);
    connectAct->setEnabled(false);
    settingsAct->setEnabled(false);
    disconnectAct->setEnabled(true);
    setWindowTitle(QStringLiteral("corvun %1 %2").arg(settings.name).arg(settings.baudRate));
    statusBar()->showMessage(settings.localEcho ? tr("Connected: localecho on")
                                                : tr("Connected: localecho off"));
    console->putNote(tr("connected to %1 at %2 baud").arg(settings.name).arg(settings.baudRate));
    setConsoleColours(true);
    console->setFocus();
}

void MainWindow::onDisconnect()
{
    qDebug() << "onDisconnect()";
    connectAct->setEnabled(true);
    settingsAct->setEnabled(true);
    disconnectAct->setEnabled(false);
    if (!serial->isOpen()) {
        qDebug() << "how could this happen?";
    } else {
        serial->setDataTerminalReady(false);
        serial->setRequestToSend(false);
    }
    dtrAct->setIcon(QIcon(QLatin1String(iconQuestion)));
    rtsAct->setIcon(QIcon(QLatin1String(iconQuestion)));
    const bool wasOpen = serial->isOpen();
    drainPort();
    serial->close();
    if (wasOpen)
        console->putNote(tr("disconnected"));
    console->setEnabled(false);
    statusBar()->showMessage(tr("Disconnected"));
    setWindowTitle(QStringLiteral("corvun"));
    setConsoleColours(false);
}

void MainWindow::handleError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return;  // reported on every open and clearError
    qDebug("##################### serial error %d", int(error));
    qDebug() << "string: " << serial->errorString();
    // A vanished device shows as a resource error, or on pseudo-terminals and some USB
    // drivers as a read error that repeats while the port stays open. A failed open is
    // reported by onConnect and must not start the reconnect cycle.
    const bool lost = error == QSerialPort::ResourceError || error == QSerialPort::PermissionError
                      || error == QSerialPort::ReadError;
    if (!lost || !serial->isOpen()) {
        qDebug() << "serialport error ignored";
        return;
    }
    portLost();
}

void MainWindow::portLost()
{
    qDebug() << "handleError() resourceerror fired";
    console->setEnabled(false);
    drainPort();
    serial->close();
    console->putNote(tr("connection lost, waiting for the device"));
    connectAct->setEnabled(true);
    settingsAct->setEnabled(true);
    disconnectAct->setEnabled(false);
    if (!reconnectPlanned) {
        reconnectPlanned = true;
        QTimer::singleShot(500, this, SLOT(onTryToReconnect()));
    }
}

void MainWindow::onTryToReconnect()
{
    qDebug() << "onTryToReconnect()";
    if (serial->isOpen()) {
        // The user connected by hand meanwhile: nothing left to look for.
        qDebug() << "port already open, search ended";
        return;
    }
    statusBar()->showMessage(tr("Try to autoconnect"));
    const int found = search.search(SerialPortList::availablePorts(), settings.name);
    qDebug() << "foundit = " << boolText(found > 0);
    if (found > 1) {
        qDebug() << "##################### filter found more than one device";
        QMessageBox::warning(this, QStringLiteral("corvun"),
                             tr("automatic reconnect found more than one device.\nNow configure manually."));
        onConfigure();
        return;
    }
    dtrAct->setIcon(QIcon(QLatin1String(iconQuestion)));
    rtsAct->setIcon(QIcon(QLatin1String(iconQuestion)));
    if (found == 0) {
        QTimer::singleShot(1000, this, SLOT(onTryToReconnect()));
        return;
    }
    qDebug() << "planned: onConnect()";
    QTimer::singleShot(50, this, SLOT(onConnect()));
    setConsoleColours(false);
}

void MainWindow::onConfigure()
{
    bool accepted = false;
    runSettingsDialog(&accepted);
    if (accepted)
        onConnect();
}

void MainWindow::writeData(const QByteArray &data)
{
    const QByteArray out = LineEnds::toPort(data, crlf);
    if (out.isEmpty() || !serial->isOpen())
        return;
    serial->write(out);
}

void MainWindow::readData()
{
    const QByteArray data = serial->readAll();
    if (data.isEmpty())
        return;
    rxBuffer.append(Console::Chunk{QTime::currentTime(), data});
    if (logging && (logFile.write(data) != data.size() || !logFile.flush()))
        logFailed();
}

void MainWindow::onTimer()
{
    showReceived();
}

// Also after the port has closed: what arrived before is shown, never held back.
void MainWindow::showReceived()
{
    if (rxBuffer.isEmpty())
        return;
    console->putChunks(rxBuffer);
    rxBuffer.clear();
}

// What the port still holds is shown before it closes.
void MainWindow::drainPort()
{
    if (serial->isOpen())
        readData();
    showReceived();
}

void MainWindow::onToggleDTR()
{
    qDebug() << "onToggleDTR() called";
    if (!serial->isOpen())
        return;
    dtrOn = !dtrOn;
    setLineIcon(dtrAct, serial->setDataTerminalReady(dtrOn), dtrOn);
}

void MainWindow::onToggleRTS()
{
    qDebug() << "onToggleRTS() called";
    if (!serial->isOpen())
        return;
    rtsOn = !rtsOn;
    setLineIcon(rtsAct, serial->setRequestToSend(rtsOn), rtsOn);
}

void MainWindow::onLog()
{
    if (logging) {
        stopLogging();
        return;
    }
    const QString name = QFileDialog::getSaveFileName(
        this, tr("Select File"), QDir::homePath() + QStringLiteral("/corvun.log"),
        QStringLiteral("logfile (*.log)"));
    if (name.isEmpty())
        showLogState();  // cancelled: the checked button falls back to off
    else
        startLogging(name);
}

void MainWindow::onTimeStamps(bool on)
{
    timeStamps = on;
    console->setTimeStamps(on);
}

void MainWindow::onTools()
{
    ToolsRecord record{crlf, keyList};
    toolsdialog dialog(this, &record);
    if (dialog.exec() == QDialog::Accepted) {
        dialog.readBack();
        qDebug() << "write new settings";
        crlf = record.crlf;
        keyList = record.keyList;
    }
    qDebug() << "toolsCRLF = " << crlf;
}

void MainWindow::onClear()
{
    console->clear();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    qDebug() << "######################## close event #############";
    event->accept();
}
