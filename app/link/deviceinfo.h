#pragma once

#include <QString>

// One candidate device found by a link's scan and handed to open().
struct DeviceInfo
{
    QString portName;       // serial: the port's system location; UDP: empty
    bool busy = false;      // serial: the port is in use by another program
    bool reserved = false;
    quint32 kind = 0;       // serial 2, UDP 0
    quint32 vendorId = 0;
    quint32 productId = 0;
    QString manufacturer;
    QString description;
    QString label;          // a second copy of the description
    QString serialNumber;   // serial: cleaned serial number; UDP: the device identification
};
