#include "platform/IpAddress.h"

#include <arpa/inet.h>

#include <algorithm>

IpAddress ipv4Address(const quint8 (&bytes)[4]) {
    IpAddress address{};
    address[10] = 0xff;
    address[11] = 0xff;
    std::copy(std::begin(bytes), std::end(bytes), address.begin() + 12);
    return address;
}

std::optional<IpAddress> parseIpAddress(const QString& text) {
    const QByteArray host = text.section(QLatin1Char('%'), 0, 0).toLatin1();
    quint8 v4[4];
    if (inet_pton(AF_INET, host.constData(), v4) == 1)
        return ipv4Address(v4);
    IpAddress v6{};
    if (inet_pton(AF_INET6, host.constData(), v6.data()) == 1)
        return v6;
    return std::nullopt;
}

std::set<IpAddress> ownAddresses(const std::vector<InterfaceAddress>& interfaces) {
    std::set<IpAddress> own;
    for (const InterfaceAddress& entry : interfaces) {
        if (entry.family != InterfaceAddress::Family::ipv4 &&
            entry.family != InterfaceAddress::Family::ipv6)
            continue;
        if (const std::optional<IpAddress> address = parseIpAddress(entry.address))
            own.insert(*address);
    }
    return own;
}
