// MainWindow: the device WiFi configuration task. It reads the device's network record,
// lets the user edit it and writes it back, one step per timer tick.
#include "mainwindow.h"

#include "link/myadw.h"
#include "startupoptions.h"
#include "wifi/netcfg.h"
#include "wifi/stripblock.h"
#include "wifi/wificonfigdialog.h"

#include <QDebug>
#include <QMessageBox>

namespace {

// The firmware takes raw memory commands only with this key.
const char *const readRecordCommand = "mem:raw? 580264,512";
const char *const writeRecordCommand = "mem:raw 580264";

} // namespace

int MainWindow::wificonfigTask()
{
    qDebug().nospace() << "wificonfigTask(" << wifiTaskState << ")";
    switch (wifiTaskState) {
    case 0: return wifiRequestRecord();
    case 1: return wifiEditRecord();
    case 2: return wifiAnnounceWrite();
    case 3: return wifiSendRecord();
    case 4: return wifiSaveWritten();
    case 5: return wifiFinish();
    default: return 100;
    }
}

int MainWindow::wifiRequestRecord()
{
    memRawReceived = false;
    countPollEnabled = false;
    link->sendCommand(readRecordCommand, true, false, false, 1500);
    wifiTaskState = 1;
    return 1000;
}

int MainWindow::wifiEditRecord()
{
    if (!memRawReceived) {
        qDebug() << "###### wificonfig did not get a reponse, giving up";
        QMessageBox::warning(this, "Kestrova",
                             tr("Could not get Device Config") + "<p>" + tr("Giving up Wifi Configuration"),
                             QMessageBox::Ok);
        wifiTaskState = 5;
        return 100;
    }
    if (!usingUdp())
        memRaw = stripBlock(memRaw);
    QByteArray edited;
    {
        wificonfigdialog dialog(this, memRaw);
        if (dialog.exec() == QDialog::Accepted)
            edited = dialog.getConfig();
    }
    if (edited.isEmpty()) {
        qDebug() << "wificfg: nothing to do now";
        saveWifiConfig(memRaw);
        wifiTaskState = 5;
        return 100;
    }
    memRaw = edited;
    wifiTaskState = 2;
    return 100;
}

int MainWindow::wifiAnnounceWrite()
{
    link->sendCommand(writeRecordCommand, false, true, false, 0);
    wifiTaskState = 3;
    return 10;
}

int MainWindow::wifiSendRecord()
{
    if (link->pendingCommands() != 0)
        return 100;
    // The UDP link frames the bytes itself; the serial line needs the block header.
    link->sendBinary(usingUdp() ? memRaw : definiteLengthBlock(memRaw));
    wifiTaskState = 4;
    return 500;
}

int MainWindow::wifiSaveWritten()
{
    qDebug() << "wificonfig written to the device, " << memRaw.size() << " bytes";
    saveWifiConfig(memRaw);
    wifiTaskState = 5;
    return 100;
}

int MainWindow::wifiFinish()
{
    qDebug() << "Wificonfig finished";
    wifiTaskPending = false;
    countPollEnabled = true;
    wifiTaskState = 0;
    return 100;
}

// A run cut off by losing the device must not continue on the next connection: its
// half-done write would reach a device that never got the write command.
void MainWindow::abandonWifiTask()
{
    if (!wifiTaskPending)
        return;
    qDebug() << "wificonfig abandoned in state " << wifiTaskState;
    wifiTaskPending = false;
    wifiTaskState = 0;
    countPollEnabled = true;
}

bool MainWindow::saveWifiConfig(const QByteArray &bytes)
{
    return netCfg::saveWifiConfig(startupOptions().configDirectory, bytes);
}
