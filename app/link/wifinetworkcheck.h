#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QWidget;

// Tells whether this computer sits in the WiFi device's network, and if not, asks the user
// what to do. The address test is plain so that any list of addresses can be tried.
class WifiNetworkCheck
{
    Q_DECLARE_TR_FUNCTIONS(WifiNetworkCheck)

public:
    enum class Finding {
        DeviceNetwork,      // an address in the device's network
        WifiOnElsewhere,    // a wireless interface is up, but in another network
        NoNetwork,          // neither
    };

    // addresses: the host's address texts in interface order; prefix: e.g. "192.168.4.".
    static Finding examine(const QStringList &addresses, const QString &prefix);

    // Shows the question box for a finding other than DeviceNetwork. True when the user
    // answered Yes, i.e. wants the program to end.
    static bool askToExit(QWidget *parent, Finding finding);

    // The whole check over the given addresses against the device's network. True when
    // the network was found (no box); otherwise exitRequested tells the user's answer.
    static bool run(QWidget *parent, const QStringList &addresses, bool &exitRequested);
};
