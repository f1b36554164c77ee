#include "mainwindow.h"

#include "acquisition/acquisitioncontroller.h"
#include "buildinfo.h"
#include "display/renderarea.h"
#include "mainwindowstatus.h"
#include "promptqueue.h"
#include "renderareasink.h"
#include "startupoptions.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

MainWindow::MainWindow(QWidget *parent, QApplication *application) : QMainWindow(parent), app(application)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect g = screen->geometry();
        qDebug() << "Geometry of screen" << g;
        screenWidth = g.right() - g.left() + 1;
        screenHeight = g.bottom() - g.top() + 1;
    }
    acquisition = new AcquisitionController(this);
    prompts = new PromptQueue(this);

    renderArea = new RenderArea(this, QSize(screenWidth / 2, screenHeight / 2));
    createActions();
    createToolBar();
    statusBar()->showMessage(tr("Ready"));
    createStatusFields();
    readSettings();
    setCentralWidget(renderArea);
    plotSink = std::make_unique<RenderAreaSink>(*renderArea);
    acquisition->setDisplay(plotSink.get());

    connectController();
    applyActions(acquisition->enabledActions());
    showStatus();
}

MainWindow::~MainWindow()
{
    writeSettings();
    acquisition->shutdown();
    acquisition->setDisplay(nullptr);
}

void MainWindow::connectController()
{
    AcquisitionController *c = acquisition;
    connect(c, &AcquisitionController::actionsChanged, this, &MainWindow::applyActions);
    connect(c, &AcquisitionController::statusMessage, statusBar(), [this](const QString &text) {
        statusBar()->showMessage(text);
    });
    connect(c, &AcquisitionController::connectionStateChanged, this, &MainWindow::showConnectionState);
    connect(c, &AcquisitionController::configurationLoaded, this, &MainWindow::showLoadedConfiguration);
    connect(c, &AcquisitionController::statusChanged, this, &MainWindow::showStatus);
    connect(c, &AcquisitionController::markerAdded, this, &MainWindow::onMarkerAdded);
    connect(c, &AcquisitionController::message, this, &MainWindow::onControllerMessage);
    connect(c, &AcquisitionController::busyQuestion, this, &MainWindow::onBusyQuestion);
    connect(c, &AcquisitionController::networkQuestion, this, &MainWindow::onNetworkQuestion);
    connect(c, &AcquisitionController::deviceChoiceQuestion, this, &MainWindow::onDeviceChoice);
    connect(c, &AcquisitionController::wifiRecordQuestion, this, &MainWindow::onWifiRecordQuestion);
}

QAction *MainWindow::makeAction(const char *name, const char *icon, const QString &text, const QString &tip,
                                void (MainWindow::*slot)())
{
    auto *action = new QAction(QIcon(icon), text, this);
    action->setObjectName(name);
    action->setStatusTip(tip);
    if (slot)
        connect(action, &QAction::triggered, this, slot);
    return action;
}

void MainWindow::createActions()
{
    openAct = makeAction("open", ":/images/open.png", tr("&Open..."), tr("Open an existing configuration"),
                         &MainWindow::onOpenConfig);
    newAct = makeAction("new", ":/images/new.png", tr("&New..."), tr("Create new configuration"),
                        &MainWindow::onNewConfig);
    saveAct = makeAction("save", ":/images/save.png", tr("&Save..."), tr("Save configuration"),
                         &MainWindow::onSaveConfig);
    exitAct = makeAction("exit", ":/images/system-shutdown-6.png", tr("E&xit"), tr("Exit the application"),
                         nullptr);
    exitAct->setShortcuts(QKeySequence::Quit);
    connect(exitAct, &QAction::triggered, this, &QWidget::close);
    configurationAct = makeAction("configuration", ":/images/hardware.png", tr("Configuration"),
                                  tr("Edit Configuration"), &MainWindow::onConfiguration);
    startAct = makeAction("start", ":/images/arrow-right-3.png", tr("Start"), tr("Start Sampling"),
                          &MainWindow::onButtonStart);
    stopAct = makeAction("stop", ":/images/pause.png", tr("Stop"), tr("Stop Sampling"), &MainWindow::onButtonStop);
    recordAct = makeAction("record", ":/images/record_on.png", tr("Record"), tr("Start Recording"),
                           &MainWindow::onButtonRecord);
    statusAct = makeAction("status", ":/images/hw_problem.png", tr("Status"), tr("Hardware Status"),
                           &MainWindow::onButtonStatus);
    helpAct = makeAction("help", ":/images/help.png", tr("Help"), tr("Help"), &MainWindow::onButtonHelp);
    wifiAct = makeAction("wifi", ":/images/configure-2.png", tr("Wifi Configuration"), tr("Wifi Configuration"),
                         &MainWindow::onWifiConfig);
    deleteConfigAct = makeAction("deleteConfig", ":/images/help.png", tr("delete Config File"),
                                 tr("delete Config File"), &MainWindow::onButtondeleteConfigfile);
    deleteDataAct = makeAction("deleteData", ":/images/help.png", tr("delete Data File"), tr("delete Data File"),
                               &MainWindow::onButtondeleteDatafile);
    markerAct = makeAction("marker", ":/images/marker.png", tr("Marker"),
                           tr("Mark an event in the recording, with the text beside"), &MainWindow::onButtonMarker);
    graphOptionsAct = makeAction("graphOptions", ":/images/graph-options.png", tr("Graph options"),
                                 tr("What a graph shows, its autoscaling, or the graph alone"), nullptr);
    connect(graphOptionsAct, &QAction::triggered, renderArea, &RenderArea::openGraphOptions);

    // Keyboard control of a running measurement.
    startAct->setShortcut(Qt::Key_F5);
    stopAct->setShortcut(Qt::Key_F6);
    recordAct->setShortcut(Qt::Key_F7);
    markerAct->setShortcut(Qt::Key_F8);
    for (QAction *a : {startAct, stopAct, recordAct, markerAct})
        a->setToolTip(a->text() + " (" + a->shortcut().toString(QKeySequence::NativeText) + ")");
}

void MainWindow::createToolBar()
{
    fileToolBar = addToolBar(tr("File"));
    fileToolBar->setObjectName("fileToolBar");
    fileToolBar->setMovable(false);
    const int side = toolbarIconSide(screenWidth);
    fileToolBar->setIconSize(QSize(side, side));
    fileToolBar->addAction(newAct);
    fileToolBar->addAction(openAct);
    fileToolBar->addAction(saveAct);
    fileToolBar->addWidget(createDeleteButton());
    fileToolBar->addAction(configurationAct);
    fileToolBar->addSeparator();
    fileToolBar->addAction(startAct);
    fileToolBar->addAction(stopAct);
    fileToolBar->addAction(recordAct);
    fileToolBar->addAction(markerAct);
    fileToolBar->addWidget(createMarkerField());
    fileToolBar->addSeparator();
    fileToolBar->addAction(graphOptionsAct);
    fileToolBar->addAction(statusAct);
    fileToolBar->addAction(helpAct);
    fileToolBar->addAction(wifiAct);
    fileToolBar->addAction(exitAct);
    auto *spacer = new QWidget(fileToolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    fileToolBar->addWidget(spacer);
    auto *logo = new QLabel(fileToolBar);
    logo->setText("<img src=:/images/logoblue32.png>");
    fileToolBar->addWidget(logo);
    connect(fileToolBar, &QToolBar::visibilityChanged, this, &MainWindow::onToolbarVisiblityChanged);
}

int MainWindow::toolbarIconSide(int screenWidth)
{
    return screenWidth / 80;
}

// The two delete actions share one toolbar button with a drop-down menu.
QToolButton *MainWindow::createDeleteButton()
{
    auto *menu = new QMenu(this);
    menu->addAction(deleteConfigAct);
    menu->addAction(deleteDataAct);
    deleteButton = new QToolButton(this);
    deleteButton->setObjectName("deleteButton");
    deleteButton->setIcon(QIcon(":/images/clear.png"));
    deleteButton->setToolTip(tr("Delete configuration or data files"));
    deleteButton->setMenu(menu);
    deleteButton->setPopupMode(QToolButton::InstantPopup);
    return deleteButton;
}

// The text of the next marker; Return in the field sets the marker as F8 does.
QLineEdit *MainWindow::createMarkerField()
{
    markerEdit = new QLineEdit(this);
    markerEdit->setObjectName("markerText");
    markerEdit->setPlaceholderText(tr("Marker text"));
    markerEdit->setToolTip(tr("Text of the next marker (Ctrl+M to type it; F8 or Return sets it while recording)"));
    markerEdit->setMaxLength(64);
    markerEdit->setFixedWidth(fontMetrics().averageCharWidth() * 22);
    connect(markerEdit, &QLineEdit::returnPressed, markerAct, &QAction::trigger);
    auto *typeMarker = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this);
    connect(typeMarker, &QShortcut::activated, markerEdit, [this] {
        markerEdit->setFocus(Qt::ShortcutFocusReason);
        markerEdit->selectAll();
    });
    return markerEdit;
}

QAction *MainWindow::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

void MainWindow::applyActions(ActionSet::Actions enabled)
{
    const QPair<QAction *, ActionSet::Action> all[] = {
        {openAct, ActionSet::Open},   {newAct, ActionSet::New},   {saveAct, ActionSet::Save},
        {configurationAct, ActionSet::Configuration},             {wifiAct, ActionSet::Wifi},
        {startAct, ActionSet::Start}, {stopAct, ActionSet::Stop}, {recordAct, ActionSet::Record},
        {exitAct, ActionSet::Exit},   {deleteConfigAct, ActionSet::DeleteConfig},
        {deleteDataAct, ActionSet::DeleteData},                   {markerAct, ActionSet::Marker}};
    for (const auto &a : all)
        a.first->setEnabled(enabled.testFlag(a.second));
    deleteButton->setEnabled(deleteConfigAct->isEnabled() || deleteDataAct->isEnabled());
}

void MainWindow::showConnectionState(int state)
{
    statusAct->setIcon(QIcon(state == 4 ? ":/images/hw_ok.png" : ":/images/hw_problem.png"));
}

void MainWindow::showLoadedConfiguration(const QString &fileName)
{
    describePlot();
    setWindowTitle("Kestrova     cfgfile = " + fileName);
    statusBar()->showMessage(fileName + " " + tr("loaded"));
}

void MainWindow::markUnsaved()
{
    setWindowTitle("Kestrova" + QString(8, ' ') + tr("unsaved configuration"));
}

void MainWindow::readSettings()
{
    QSettings settings("lumetrix", "Kestrova");
    const QPoint pos = settings.value("pos", QPoint(200, 200)).toPoint();
    const QSize size = settings.value("size", QSize(400, 400)).toSize();
    resize(size);
    move(pos);
}

void MainWindow::writeSettings()
{
    QSettings settings("lumetrix", "Kestrova");
    settings.setValue("pos", pos());
    settings.setValue("size", size());
}

void MainWindow::onButtonStart()
{
    acquisition->start();
    prompts->flush();
}

void MainWindow::onButtonStop()
{
    acquisition->stop();
    prompts->flush();
}

void MainWindow::onButtonRecord()
{
    acquisition->record();
    prompts->flush();
}

void MainWindow::onButtonMarker()
{
    acquisition->addMarker(markerEdit->text());
}

void MainWindow::onButtonStatus()
{
    qDebug("onButtonStatus()");
    if (acquisition->wifiTaskRunning())
        return;
    if (acquisition->connectionState() == 4) {
        const QString text = tr("device is connected.") + "<p>Interface: "
                             + (acquisition->usingUdp() ? tr("Wifi") : QString("USB"))
                             + "<p>Device information String:<p>" + acquisition->deviceIdentification() + "<p>"
                             + tr("You may configure and measure.");
        QMessageBox::information(this, "Kestrova", text, QMessageBox::Ok);
    } else {
        QMessageBox::information(this, "status",
                                 tr("No Device connected. If you want to connect with Wifi, use the option --useWifi."),
                                 QMessageBox::Ok);
    }
}

void MainWindow::onButtonHelp()
{
    if (acquisition->wifiTaskRunning())
        return;
    const QString text = QString("<img src=:/images/logoblue32>") + "<br><br>Data aquisition software<br>"
                         + "Kestrova" + "<br><br>Version: " + KESTROVA_VERSION_TEXT + "<br>build: "
                         + KESTROVA_BUILD_ID;
    QMessageBox::information(this, "Kestrova", text, QMessageBox::Ok);
}

void MainWindow::onWifiConfig()
{
    qDebug("onWifiConfig()");
    acquisition->startWifiConfiguration();
}

void MainWindow::onToolbarVisiblityChanged(bool onoff)
{
    if (!onoff)
        fileToolBar->setVisible(true);
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    qDebug("keypress\n");
    QWidget::keyPressEvent(event);
}

// A refused close leaves everything running; only an accepted one lets go of the device.
void MainWindow::closeEvent(QCloseEvent *event)
{
    qDebug("######################## close event #############");
    if (acquisition->isSampling()) {
        QMessageBox::warning(this, "Kestrova", tr("Device is sampling.\nPlease stop sampling first."),
                             QMessageBox::Ok);
        event->ignore();
        return;
    }
    if (!acquisition->isConfigSaved()) {
        const auto answer = QMessageBox::warning(this, "Kestrova",
                                                 tr("Configuration is unsaved.\nDo you want to save your changes?"),
                                                 QMessageBox::Save | QMessageBox::Discard, QMessageBox::Save);
        if (answer == QMessageBox::Save)
            onSaveConfig();
    }
    prompts->clear();
    acquisition->shutdown();
    event->accept();
}
