#pragma once

#include "wifinetwork.h"

#include <QCoreApplication>

class QWidget;

// The WiFi network check as the window asks it: the question box for a finding other
// than DeviceNetwork.
class WifiNetworkCheck : public WifiNetwork
{
    Q_DECLARE_TR_FUNCTIONS(WifiNetworkCheck)

public:
    // Shows the question box for a finding other than DeviceNetwork. True when the user
    // answered Yes, i.e. wants the program to end.
    static bool askToExit(QWidget *parent, Finding finding);
};
