#pragma once

#include <QString>
#include <QStringList>

// Whether this computer sits in the WiFi device's network. Plain, so that any list of
// addresses can be tried and a program without a window can check too.
class WifiNetwork
{
public:
    enum class Finding {
        DeviceNetwork,      // an address in the device's network
        WifiOnElsewhere,    // a wireless interface is up, but in another network
        NoNetwork,          // neither
    };

    // addresses: the host's address texts in interface order; prefix: e.g. "192.168.4.".
    static Finding examine(const QStringList &addresses, const QString &prefix);
    // The address texts of this computer's interfaces.
    static QStringList hostAddresses();
    // This computer against the device's network (or the endpoint that replaces it).
    static Finding examineHost();
};
