#pragma once

#include "devsimprocess.h"
#include "link/udp_com.h"
#include "link/wifiendpoint.h"

#include <memory>

// Points the link at a loopback endpoint and builds it. Returns null (and the test fails)
// unless the endpoint really is loopback, so a test can never reach a real network.
inline std::unique_ptr<udp_com> loopbackLink(const QString &endpoint)
{
    qputenv(WifiEndpoint::OverrideVariable, endpoint.toLatin1());
    QHostAddress address;
    quint16 port = 0;
    if (!WifiEndpoint::parse(endpoint, address, port) || !address.isLoopback())
        return nullptr;
    auto link = std::make_unique<udp_com>(nullptr, QStringLiteral("192.168.4.1"));
    if (!link->endpointAddress().isLoopback())
        return nullptr;
    return link;
}

inline bool startDevsim(DevsimProcess &sim, const QStringList &extra = {})
{
    return sim.start(QStringList{"--udp", "127.0.0.1:0"} + extra, 1) && sim.udpEndpoint().startsWith("127.");
}
