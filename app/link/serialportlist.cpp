#include "serialportlist.h"

#include <QDebug>
#include <QFile>
#include <QSerialPortInfo>

QList<SerialPortEntry> SerialPortList::availablePorts()
{
    return systemPorts() + virtualPorts();
}

QList<SerialPortEntry> SerialPortList::systemPorts()
{
    QList<SerialPortEntry> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        SerialPortEntry e;
        e.portName = info.portName();
        e.systemLocation = info.systemLocation();
        e.hasVendorIdentifier = info.hasVendorIdentifier();
        e.hasProductIdentifier = info.hasProductIdentifier();
        e.vendorId = info.vendorIdentifier();
        e.productId = info.productIdentifier();
        e.serialNumber = info.serialNumber();
        e.description = info.description();
        e.manufacturer = info.manufacturer();
QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED
        e.busy = info.isBusy();
QT_WARNING_POP
        ports.append(e);
    }
    return ports;
}

QList<SerialPortEntry> SerialPortList::virtualPorts()
{
    const QByteArray path = qgetenv(environmentVariable());
    if (path.isEmpty())
        return {};
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The simulator replaces the file by rename, so one read sees one whole version.
    return parseDeclarations(file.read(1 << 20));
}

static bool parseHex16(const QByteArray &text, quint16 &value)
{
    bool ok = false;
    const uint v = text.trimmed().toUInt(&ok, 16);
    if (!ok || v > 0xFFFF)
        return false;
    value = quint16(v);
    return true;
}

// Named as Qt names a port: "/dev/pts/3" is "pts/3" (the bare "3" says nothing), a path
// outside /dev keeps its whole path.
static QString portNameOf(const QString &location)
{
    const QString dev = QStringLiteral("/dev/");
    return location.startsWith(dev) ? location.mid(dev.size()) : location;
}

static bool parseLine(const QByteArray &line, SerialPortEntry &e)
{
    const QList<QByteArray> f = line.split('\t');
    if (f.size() != 7 || f.at(0).isEmpty())
        return false;
    if (!parseHex16(f.at(1), e.vendorId) || !parseHex16(f.at(2), e.productId))
        return false;
    const QByteArray busy = f.at(6).trimmed();
    if (busy != "0" && busy != "1")
        return false;
    e.systemLocation = QString::fromUtf8(f.at(0));
    e.portName = portNameOf(e.systemLocation);
    e.hasVendorIdentifier = e.hasProductIdentifier = true;
    e.serialNumber = QString::fromUtf8(f.at(3));
    e.description = QString::fromUtf8(f.at(4));
    e.manufacturer = QString::fromUtf8(f.at(5));
    e.busy = busy == "1";
    e.isVirtual = true;
    return true;
}

QList<SerialPortEntry> SerialPortList::parseDeclarations(const QByteArray &text)
{
    QList<SerialPortEntry> ports;
    const QList<QByteArray> lines = text.split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        SerialPortEntry e;
        if (parseLine(line, e))
            ports.append(e);
        else
            qDebug() << "virtual port declaration skipped:" << line.left(200);
    }
    return ports;
}

QByteArray SerialPortList::formatDeclaration(const SerialPortEntry &e)
{
    return e.systemLocation.toUtf8() + '\t' + QByteArray::number(e.vendorId, 16) + '\t'
         + QByteArray::number(e.productId, 16) + '\t' + e.serialNumber.toUtf8() + '\t'
         + e.description.toUtf8() + '\t' + e.manufacturer.toUtf8() + '\t' + (e.busy ? "1" : "0");
}
