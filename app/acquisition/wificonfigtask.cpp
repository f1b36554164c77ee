#include "wificonfigtask.h"

#include "link/myadw.h"
#include "startupoptions.h"
#include "wifi/netcfg.h"
#include "wifi/stripblock.h"

#include <QDebug>

namespace {
// The firmware takes raw memory commands only with this key.
const char *const readRecordCommand = "mem:raw? 580264,512";
const char *const writeRecordCommand = "mem:raw 580264";
}

WifiConfigTask::WifiConfigTask(QObject *parent) : QObject(parent)
{
}

void WifiConfigTask::request()
{
    pending = true;
}

int WifiConfigTask::step(myAdw &link, bool overUdp)
{
    qDebug().nospace() << "wificonfigTask(" << taskState << ")";
    switch (taskState) {
    case 0: return requestRecord(link);
    case 1: return editRecord(overUdp);
    case 2: return announceWrite(link);
    case 3: return sendRecord(link, overUdp);
    case 4: return saveWritten();
    case 5: return finish();
    default: return 100;
    }
}

void WifiConfigTask::takeMemory(const QByteArray &bytes)
{
    memRaw = bytes;
    memRawReceived = !bytes.isEmpty();
}

void WifiConfigTask::answerEdit(const QByteArray &record)
{
    if (edit != Edit::Waiting)
        return; // a run abandoned meanwhile
    edited = record;
    edit = Edit::Answered;
}

int WifiConfigTask::requestRecord(myAdw &link)
{
    memRawReceived = false;
    pollEnabled = false;
    link.sendCommand(readRecordCommand, true, false, false, 1500);
    taskState = 1;
    return 1000;
}

// The answer is looked at exactly once, 1000 ms after the read; the edit then waits.
int WifiConfigTask::editRecord(bool overUdp)
{
    if (edit == Edit::Waiting)
        return 100;
    if (edit == Edit::Answered)
        return takeEdit();
    if (!memRawReceived) {
        qDebug() << "###### wificonfig did not get a reponse, giving up";
        emit message(Acquisition::Event::WifiReadFailed,
                     tr("Could not get Device Config") + "<p>" + tr("Giving up Wifi Configuration"));
        taskState = 5;
        return 100;
    }
    if (!overUdp)
        memRaw = stripBlock(memRaw);
    edit = Edit::Waiting;
    emit editRequested(memRaw);
    return 100;
}

int WifiConfigTask::takeEdit()
{
    edit = Edit::None;
    if (edited.isEmpty()) {
        qDebug() << "wificfg: nothing to do now";
        save(memRaw);
        taskState = 5;
        return 100;
    }
    memRaw = edited;
    taskState = 2;
    return 100;
}

int WifiConfigTask::announceWrite(myAdw &link)
{
    link.sendCommand(writeRecordCommand, false, true, false, 0);
    taskState = 3;
    return 10;
}

int WifiConfigTask::sendRecord(myAdw &link, bool overUdp)
{
    if (link.pendingCommands() != 0)
        return 100;
    // The UDP link frames the bytes itself; the serial line needs the block header.
    link.sendBinary(overUdp ? memRaw : definiteLengthBlock(memRaw));
    taskState = 4;
    return 500;
}

int WifiConfigTask::saveWritten()
{
    qDebug() << "wificonfig written to the device, " << memRaw.size() << " bytes";
    save(memRaw);
    taskState = 5;
    return 100;
}

int WifiConfigTask::finish()
{
    qDebug() << "Wificonfig finished";
    pending = false;
    pollEnabled = true;
    taskState = 0;
    return 100;
}

void WifiConfigTask::abandon()
{
    if (!pending)
        return;
    qDebug() << "wificonfig abandoned in state " << taskState;
    pending = false;
    taskState = 0;
    pollEnabled = true;
    edit = Edit::None;
}

void WifiConfigTask::save(const QByteArray &bytes)
{
    netCfg::saveWifiConfig(startupOptions().configDirectory, bytes);
}
