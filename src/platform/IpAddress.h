#pragma once

#include "platform/InterfaceAddresses.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>
#include <set>
#include <vector>

// An IPv4 or IPv6 address in IPv6 form (IPv4 as ::ffff:a.b.c.d), in network byte order.
using IpAddress = std::array<quint8, 16>;

IpAddress ipv4Address(const quint8 (&bytes)[4]);

// The address a numeric host text names (an IPv6 zone suffix such as "%wlan0" is ignored);
// none for any other text.
std::optional<IpAddress> parseIpAddress(const QString& text);

// Every IPv4 and IPv6 address of the machine's interfaces, up or down: the kernel delivers
// traffic to any of them locally, over the loopback interface.
std::set<IpAddress> ownAddresses(const std::vector<InterfaceAddress>& interfaces);
