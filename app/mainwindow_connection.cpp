// MainWindow: the connection state machine and the answers to the device queries.
#include "mainwindow.h"

#include "acquisition/channelcounts.h"
#include "acquisition/devicefamily.h"
#include "display/renderarea.h"
#include "link/devicedialog.h"
#include "link/serialcom.h"
#include "link/udp_com.h"
#include "recording/myHdf5.h"

#include <QAction>
#include <QDebug>
#include <QMessageBox>
#include <QStatusBar>

bool MainWindow::usingUdp() const
{
    return link == udpLink;
}

void MainWindow::switchState(int state)
{
    connectionState = state;
    qDebug() << "############ switch to State" << state;
}

void MainWindow::sendQuery(const char *query)
{
    link->sendCommand(query, true, false, false, 0);
}

void MainWindow::onTimer()
{
    int interval = -1;
    switch (connectionState) {
    case 0: interval = stepSearch(); break;
    case 1: interval = stepEnumerate(); break;
    case 2: interval = stepOpening(); break;
    case 3: interval = stepIdentify(); break;
    case 4: interval = stepConnected(); break;
    default: break;
    }
    if (interval >= 0)
        timer.start(interval);
}

int MainWindow::stepSearch()
{
    if (usingUdp() && !checkWifiNetwork())
        return 3500;
    switchState(1);
    return stepEnumerate();
}

int MainWindow::stepEnumerate()
{
    portOpened = false;
    portList.clear();
    statusAct->setIcon(QIcon(":/images/hw_problem.png"));
    link->scanDevices(portList);
    if (portList.isEmpty())
        return 200;

    DeviceInfo chosen;
    if (!chooseCandidate(chosen))
        return 200;
    deviceFamily = DeviceFamily::of(chosen.serialNumber) == DeviceFamily::Vortiq ? 1 : 2;

    if (chosen.busy) {
        qDebug("device is busy");
        askExit(tr("Device is busy.\nPlease stop programs, who claims it.\n\nExit Program?\n"));
        return 200;
    }
    qDebug("try to open");
    if (link->isOpen())
        link->close();
    if (link->open(chosen)) {
        switchState(2);
        setLogoImage(":/images/edit-find-7.png");
    } else {
        qDebug("could not open device");
    }
    return 200;
}

// Picks the device among the scanned ports by serial number; asks when there are several.
bool MainWindow::chooseCandidate(DeviceInfo &chosen)
{
    QList<DeviceInfo> candidates;
    for (const DeviceInfo &entry : qAsConst(portList)) {
        qDebug() << "Serialnumber " << entry.serialNumber.toLower();
        const int family = DeviceFamily::of(entry.serialNumber);
        if (family == DeviceFamily::None)
            continue;
        if (family == DeviceFamily::Vortiq)
            qDebug("it is a vortiq device");
        deviceFamily = family;
        qDebug() << "found dev " << family;
        candidates.append(entry);
    }
    if (candidates.isEmpty())
        return false;
    if (candidates.size() == 1) {
        chosen = candidates.first();
        return true;
    }
    devicedialog dialog(this, candidates);
    dialog.exec();
    const int index = dialog.selectedIndex();
    chosen = candidates.value(index, candidates.first());
    return true;
}

// A Yes/Retry question; Yes closes the window. Returns true when the user chose to exit.
bool MainWindow::askExit(const QString &text)
{
    const auto answer = QMessageBox::question(this, "Kestrova", text, QMessageBox::Yes | QMessageBox::Retry,
                                              QMessageBox::Retry);
    if (answer != QMessageBox::Yes)
        return false;
    close();
    return true;
}

int MainWindow::stepOpening()
{
    if (portOpened) {
        qDebug("Port was found");
        setLogoImage(deviceFamily == 2 ? ":/images/device-kestrova.png" : ":/images/device-vortiq.jpg");
        switchState(3);
        portOpened = false;
    }
    if (deviceBusy) {
        qDebug("device is busy");
        askExit(tr("Device found\nbut device is busy\nPlease stop programs, who claims it.\n\nExit Program?"));
        deviceBusy = false;
        switchState(0);
        return 100;
    }
    if (link->isDeviceDisconnected()) {
        switchState(0);
        link->close();
        return 500;
    }
    return usingUdp() ? 100 : 20;
}

int MainWindow::stepIdentify()
{
    if (!link->isOpen()) {
        qDebug("##### open error this should never happen");
        return 2000;
    }
    if (link->pendingCommands() == 0) {
        sendQuery("conf:sca:num?");
        sendQuery("*idn?");
    }
    if (link->isDeviceDisconnected()) {
        statusAct->setIcon(QIcon(":/images/hw_problem.png"));
        showStatus(tr("Device was disconnected"));
        switchState(0);
    } else {
        portOpened = false;
        statusAct->setIcon(QIcon(":/images/hw_ok.png"));
        switchState(4);
    }
    return usingUdp() ? 2000 : 500;
}

int MainWindow::stepConnected()
{
    if (link->isDeviceDisconnected()) {
        handleDisconnection();
        return 500;
    }
    if (!wifiTaskPending) {
        acquisitionStep();
        return 30;
    }
    return wificonfigTask();
}

void MainWindow::handleDisconnection()
{
    statusAct->setIcon(QIcon(":/images/hw_problem.png"));
    showStatus(tr("Device was disconnected"));
    portOpened = false;
    deviceInfoReceived = false;
    renderArea->clearGraphs();
    renderArea->setConfigValid(unsigned(windowSamples), 10, false);
    switchState(0);
    setLogoImage(":/images/edit-find-7.png");
    sampling = false;
    measurementState = 0;
    recording = false;
    abandonWifiTask();
    // The recording is made safe before the user is told anything.
    closeTraceFile();
    QMessageBox::critical(this, "Kestrova", tr("Device was disconnected\nor is busy\nPlease reconnect device."),
                          QMessageBox::Ok);
    setActions(1, 1, 0, 0, 0, 0, 0, 0);
    configValid = false;
    imuCountKnown = auxCountKnown = false;
    deviceInfoReceived = false;
    nAdc24 = nAdc16 = nImu = nAux = 0;
}

void MainWindow::onOpenResultss(bool success)
{
    qDebug() << "onopenresults() " << (success ? "true" : "false");
    portOpened = success;
    deviceBusy = !success;
}

void MainWindow::onCommunicationResponse(bool success, QByteArray command, QByteArray response)
{
    if (!success) {
        qDebug() << "onCommunicationResponse() cmd " << command << " had no success";
        if (!usingUdp())
            QMessageBox::warning(this, "Kestrova", tr("SCPI fail:") + command + "\n" + response);
        return;
    }
    if (command.contains("*idn?")) {
        idnString = QString::fromLatin1(response);
        qDebug() << "dbgTim = " << sinceConstruction.elapsed() << "got \"*idn?\" response: " << response;
    } else if (command.contains("mem:raw?")) {
        memRaw = response;
        memRawReceived = !response.isEmpty();
        qDebug() << "onCommunicationResponse() got mem:raw? n = " << response.size();
    } else if (command.contains("conf:sca:num?")) {
        handleChannelCounts(response);
    }
}

// A reported IMU or AUX count that differs from the stored one replaces it (0 above the
// limit) and invalidates the configuration; the user is told unless it is the first.
void MainWindow::takeOverCount(int reported, int limit, int &count, bool &known, const char *what,
                               const QByteArray &response, const QString &changedWarning)
{
    if (reported == count)
        return;
    count = reported <= limit ? reported : 0;
    qDebug() << "new configuration of" << what << reported << what << "detected response was " << response;
    if (known)
        QMessageBox::warning(this, "Kestrova", changedWarning);
    known = true;
    configValid = false;
}

void MainWindow::handleChannelCounts(const QByteArray &response)
{
    portOpened = true;
    const ChannelCounts c = ChannelCounts::parse(response);
    qDebug() << "devices adc16 " << nAdc16 << " nAdc24 " << nAdc24 << " nImu " << nImu << " nAux " << nAux;
    if (c.adc24 == nAdc24 && c.adc16 == nAdc16 && c.imu == nImu && c.aux == nAux) {
        qDebug("no new information");
        return;
    }
    qDebug() << "found devices adc16 " << c.adc16 << " nAdc24 " << c.adc24 << " nImu " << c.imu << " nAux "
             << c.aux;
    nAdc24 = c.adc24;
    nAdc16 = c.adc16;
    const bool wasReceived = deviceInfoReceived;
    deviceInfoReceived = true;

    takeOverCount(c.imu, 4, nImu, imuCountKnown, "IMUs", response,
                  tr("Number of Imu Devices changed\nPlease configure now."));
    takeOverCount(c.aux, 15, nAux, auxCountKnown, "Aux", response,
                  tr("Number of Aux Devices changed\nPlease configure now."));
    if (!wasReceived && !configFileName.isEmpty()) {
        qDebug("try to load the config file from main()");
        onOpenConfig();
    }
}
