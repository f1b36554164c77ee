#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One serial port as both programs see it: a real port of the system, or a virtual
// one (a pseudo-terminal) declared in the file named by LUMETRIX_VIRTUAL_PORTS.
struct SerialPortEntry
{
    QString portName;        // short name, as QSerialPortInfo::portName
    QString systemLocation;  // full path, usable as port name when opening
    bool hasVendorIdentifier = false;
    bool hasProductIdentifier = false;
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString serialNumber;
    QString description;
    QString manufacturer;
    bool busy = false;
    bool isVirtual = false;
};

// The layer in front of QSerialPortInfo::availablePorts: real ports plus the declared
// virtual ones, the declaration file re-read at every call.
class SerialPortList
{
public:
    static const char *environmentVariable() { return "LUMETRIX_VIRTUAL_PORTS"; }

    static QList<SerialPortEntry> availablePorts();
    static QList<SerialPortEntry> systemPorts();
    static QList<SerialPortEntry> virtualPorts();

    // One port per line, tab separated: path, vid hex, pid hex, serial number,
    // description, manufacturer, busy (0/1). Blank and '#' lines are ignored,
    // malformed lines skipped with a debug line.
    static QList<SerialPortEntry> parseDeclarations(const QByteArray &text);
    static QByteArray formatDeclaration(const SerialPortEntry &entry);
};
