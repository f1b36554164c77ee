#include "wifinetwork.h"

#include "wifiendpoint.h"

#include <QDebug>
#include <QNetworkInterface>

WifiNetwork::Finding WifiNetwork::examine(const QStringList &addresses, const QString &prefix)
{
    bool wifiOn = false;
    bool found = false;
    for (const QString &address : addresses) {
        qDebug().noquote() << "ip = " + address;
        if (address.contains(QLatin1String("wlan")))
            wifiOn = true;
        if (address.startsWith(prefix))
            found = true;
    }
    if (found)
        return Finding::DeviceNetwork;
    return wifiOn ? Finding::WifiOnElsewhere : Finding::NoNetwork;
}

QStringList WifiNetwork::hostAddresses()
{
    QStringList addresses;
    const QList<QHostAddress> all = QNetworkInterface::allAddresses();
    for (const QHostAddress &address : all)
        addresses << address.toString();
    return addresses;
}

WifiNetwork::Finding WifiNetwork::examineHost()
{
    return examine(hostAddresses(), WifiEndpoint::networkPrefix());
}
