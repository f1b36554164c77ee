#include "wifiendpoint.h"

#include <QDebug>

bool WifiEndpoint::parse(const QString &text, QHostAddress &address, quint16 &port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon).trimmed();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint number = text.mid(colon + 1).trimmed().toUInt(&ok);
    QHostAddress parsed;
    if (!ok || number == 0 || number > 65535 || !parsed.setAddress(host))
        return false;
    address = parsed;
    port = quint16(number);
    return true;
}

void WifiEndpoint::resolve(const QString &defaultAddress, QHostAddress &address, quint16 &port)
{
    if (!qEnvironmentVariableIsSet(OverrideVariable)) {
        address = QHostAddress(defaultAddress);
        port = DefaultPort;
        return;
    }
    const QString text = qEnvironmentVariable(OverrideVariable);
    if (!parse(text, address, port)) {
        qDebug() << "###### malformed" << OverrideVariable << text << "- nothing will be sent";
        address = QHostAddress();
        port = DefaultPort;
    }
}

QString WifiEndpoint::networkPrefix()
{
    QHostAddress address;
    quint16 port = 0;
    if (!qEnvironmentVariableIsSet(OverrideVariable)
        || !parse(qEnvironmentVariable(OverrideVariable), address, port))
        return QStringLiteral("192.168.4.");
    if (address.protocol() != QAbstractSocket::IPv4Protocol)
        return address.toString();
    const QStringList parts = address.toString().split(QLatin1Char('.'));
    return parts.mid(0, 3).join(QLatin1Char('.')) + QLatin1Char('.');
}
