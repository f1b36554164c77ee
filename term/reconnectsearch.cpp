#include "reconnectsearch.h"

#include <QDebug>

bool ReconnectSearch::idsMatch(const SerialPortEntry &port) const
{
    const bool vidOk = lastVid < 0 || port.vendorId == lastVid;
    const bool pidOk = lastPid < 0 || port.productId == lastPid;
    return vidOk && pidOk;
}

int ReconnectSearch::search(const QList<SerialPortEntry> &ports, QString &portName)
{
    int found = 0;
    for (const SerialPortEntry &port : ports) {
        qDebug() << "location: " << port.systemLocation;
        qDebug() << "SN: " << port.serialNumber << " lastsn = " << lastSn;
        qDebug() << "settingsname: " << portName;
        if (!idsMatch(port))
            continue;
        if (firstMatch && !snFilterGiven) {
            firstMatch = false;
            lastSn = port.serialNumber.toLower();
            portName = port.systemLocation;
        }
        if (port.serialNumber.toLower() == lastSn) {
            if (portName != port.systemLocation)
                qDebug() << "########### portname changed between autoconnect ";
            portName = port.systemLocation;
            ++found;
        }
    }
    return found;
}

void ReconnectSearch::remember(const QList<SerialPortEntry> &ports, const QString &portName)
{
    SerialPortEntry match;
    for (const SerialPortEntry &port : ports) {
        if (port.systemLocation == portName || port.portName == portName) {
            match = port;
            break;
        }
    }
    lastSn = match.serialNumber.toLower();
    lastVid = match.vendorId;
    lastPid = match.productId;
}
