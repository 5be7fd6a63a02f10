#pragma once

#include "platform/InterfaceAddresses.h"

#include <QString>

#include <vector>

// Which local network a speed test ran on.
namespace NetworkIdentity {

struct Snapshot {
    QString iface;
    QString mac;
    QString ipv4;
    QString ipv6;
    QString publicIP;

    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

// Reads the interfaces and the default route now; blocks briefly.
Snapshot snapshot();

// The default route's interface name; empty when there is none.
QString primaryInterfaceName();

// The snapshot's choice over a given interface list and primary interface name.
Snapshot choose(const std::vector<InterfaceAddress>& addresses, const QString& primary);

} // namespace NetworkIdentity
