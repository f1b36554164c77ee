#pragma once

#include "serialportlist.h"

#include <QList>
#include <QString>

// Finds the device to reconnect to among the listed ports by vendor id, product id and
// serial number. A negative id matches any port (a serial-number filter alone suffices).
class ReconnectSearch
{
public:
    qint32 lastVid = -1;
    qint32 lastPid = -1;
    QString lastSn;          // lower case
    bool firstMatch = true;  // the next search may adopt the first port whose ids match
    bool snFilterGiven = false;

    // Counts the matching ports; on a match portName becomes its system location.
    int search(const QList<SerialPortEntry> &ports, QString &portName);

    // Remembers the device just opened (or nothing, when the port is not listed).
    void remember(const QList<SerialPortEntry> &ports, const QString &portName);

private:
    bool idsMatch(const SerialPortEntry &port) const;
};
