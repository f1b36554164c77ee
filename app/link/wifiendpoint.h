#pragma once

#include <QHostAddress>
#include <QString>

// Where the WiFi device is reached. The device's own address and port 1234 hold unless
// LUMETRIX_WIFI_DEVICE=host:port names another endpoint (the simulator, tests, the demo).
class WifiEndpoint
{
public:
    static constexpr quint16 DefaultPort = 1234;
    static constexpr const char *DefaultAddress = "192.168.4.1";
    static constexpr const char *OverrideVariable = "LUMETRIX_WIFI_DEVICE";

    // Reads "host:port" ("[v6]:port" for IPv6). False when it is not that.
    static bool parse(const QString &text, QHostAddress &address, quint16 &port);

    // The endpoint to use. A malformed override yields a null address, so that nothing is
    // sent anywhere rather than to the real device network by mistake.
    static void resolve(const QString &defaultAddress, QHostAddress &address, quint16 &port);

    // The start of the address text that a computer on the device's network has:
    // "192.168.4." or, with an override, the first three numbers of its host and a dot.
    static QString networkPrefix();
};
