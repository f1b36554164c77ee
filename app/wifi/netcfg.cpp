#include "netcfg.h"

#include <QDebug>
#include <QFile>
#include <QtEndian>

namespace {

struct FieldPlace
{
    int offset;
    int width;
};

// Indexed by netCfg::TextField.
constexpr FieldPlace places[] = {
    {16, 46},  {62, 46},  {108, 46}, {154, 32}, {186, 32},
    {218, 64}, {282, 32}, {314, 64}, {378, 46},
};

} // namespace

int netCfg::offsetOf(TextField field) { return places[field].offset; }
int netCfg::widthOf(TextField field) { return places[field].width; }

netCfg::netCfg() : m_bytes(recordSize, '\0')
{
    setInt(magicOffset, magicValue);
    setInt(isAPOffset, 1);
    setInt(apChannelOffset, 11);
    setInt(isFixedIPOffset, 0);
    setText(ipAddress, "192.168.178.2");
    setText(ipGateway, "192.168.178.1");
    setText(ipNetmask, "255.255.255.0");
    setText(stationName, "lumetrix");
    setText(netSsid, "networkName");
    setText(netPassword, "qzk");
    setText(apSsid, "lumetrix");
    setText(apPassword, "tarnequil");
    setText(apAddress, "192.168.4.1");
}

bool netCfg::isValidInput(const QByteArray &input)
{
    return input.size() >= recordSize
        && qFromLittleEndian<quint32>(input.constData() + magicOffset) == magicValue;
}

netCfg netCfg::fromInput(const QByteArray &input)
{
    if (!isValidInput(input))
        return netCfg();
    return netCfg(input.left(recordSize));
}

QByteArray netCfg::build(const EditedValues &values)
{
    netCfg record(QByteArray(recordSize, '\0'));
    qDebug() << "isAP = " << values.isAP;
    qDebug() << "isFixedIP = " << values.isFixedIP;
    record.setInt(isAPOffset, quint32(values.isAP));
    record.setInt(isFixedIPOffset, quint32(values.isFixedIP));

    bool fits = record.setText(apSsid, values.apSsid) && record.setText(apPassword, values.apPassword);
    if (!fits)
        return QByteArray();
    bool isNumber = false;
    const int channel = values.apChannel.toInt(&isNumber, 10);
    record.setInt(apChannelOffset, quint32(isNumber ? channel : 0));
    fits = record.setText(netPassword, values.netPassword) && record.setText(netSsid, values.netSsid)
        && record.setText(stationName, values.stationName) && record.setText(ipAddress, values.ipAddress)
        && record.setText(ipGateway, values.ipGateway) && record.setText(ipNetmask, values.ipNetmask);
    if (!fits)
        return QByteArray();
    // The mark goes in last: a record is only ever complete once it carries it.
    record.setInt(magicOffset, magicValue);
    return record.m_bytes;
}

bool netCfg::saveWifiConfig(const QString &folder, const QByteArray &bytes)
{
    const QString path = folder + "/config.wifi";
    qDebug() << "save wificonfig to disk: " << path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qDebug() << "########## fatal Config File could not be opened";
        return false;
    }
    // Buffered bytes may only fail to reach the disk when the file is closed.
    const bool complete = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!complete || file.error() != QFileDevice::NoError) {
        qDebug() << "########## fatal Config File could write";
        return false;
    }
    return true;
}

quint32 netCfg::magic() const { return quint32(intAt(magicOffset)); }
qint32 netCfg::isAP() const { return intAt(isAPOffset); }
qint32 netCfg::apChannel() const { return intAt(apChannelOffset); }
qint32 netCfg::isFixedIP() const { return intAt(isFixedIPOffset); }

QString netCfg::text(TextField field) const
{
    const char *start = m_bytes.constData() + offsetOf(field);
    const int width = widthOf(field);
    const int length = int(qstrnlen(start, uint(width)));
    return QString::fromLocal8Bit(start, length);
}

qint32 netCfg::intAt(int offset) const
{
    return qFromLittleEndian<qint32>(m_bytes.constData() + offset);
}

void netCfg::setInt(int offset, quint32 value)
{
    qToLittleEndian<quint32>(value, m_bytes.data() + offset);
}

// Copies the text without terminator; the zero bytes after it are already there. A text
// that leaves no room for the terminator is refused.
bool netCfg::setText(TextField field, const QString &value)
{
    const QByteArray encoded = value.toLocal8Bit();
    if (encoded.size() > widthOf(field) - 1)
        return false;
    m_bytes.replace(offsetOf(field), encoded.size(), encoded);
    return true;
}
