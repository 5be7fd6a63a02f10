#include "speedtest/core/NetworkIdentity.h"

#include "common/CFormat.h"
#include "platform/DefaultRoute.h"

#include <QStringList>

#include <array>
#include <map>

namespace {

// The usual names of the built-in wired and wireless interfaces, most preferred first.
#ifdef Q_OS_MACOS
constexpr std::array kPreferredNames = {"en0", "en1", "en2", "en3"};
constexpr std::array kMacFallbackNames = {"en0", "en1"};
#else
constexpr std::array kPreferredNames = {"eth0", "eth1", "wlan0", "wlan1"};
constexpr std::array kMacFallbackNames = {"eth0", "wlan0"};
#endif

bool isLoopbackName(const QString& name) {
    return name == QLatin1String("lo0") || name == QLatin1String("lo");
}

QString macText(const QByteArray& bytes) {
    QStringList pairs;
    for (char byte : bytes)
        pairs << cformat("%02X", unsigned(quint8(byte)));
    return pairs.join(QLatin1Char(':'));
}

bool isGlobalIPv6(const QString& lower) {
    if (lower.startsWith(QLatin1String("fe80")) || lower.startsWith(QLatin1String("fc")) ||
        lower.startsWith(QLatin1String("fd")))
        return false;
    return lower.startsWith(QLatin1Char('2')) || lower.startsWith(QLatin1Char('3'));
}

template <std::size_t N>
bool isOneOf(const QString& name, const std::array<const char*, N>& names) {
    for (const char* candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

} // namespace

namespace NetworkIdentity {

Snapshot choose(const std::vector<InterfaceAddress>& addresses, const QString& primary) {
    std::map<QString, QString> macs;
    std::map<QString, QString> ipv4s;
    std::map<QString, QString> ipv6s;
    for (const InterfaceAddress& entry : addresses) {
        if (!entry.up || entry.loopback)
            continue;
        switch (entry.family) {
        case InterfaceAddress::Family::link:
            if (entry.linkAddress.size() == 6)
                macs[entry.name] = macText(entry.linkAddress);
            break;
        case InterfaceAddress::Family::ipv4:
            if (!entry.address.isEmpty() && !entry.address.startsWith(QLatin1String("169.254.")))
                ipv4s[entry.name] = entry.address;
            break;
        case InterfaceAddress::Family::ipv6: {
            const QString text = entry.address.section(QLatin1Char('%'), 0, 0);
            if (isGlobalIPv6(text.toLower()) && !ipv6s.contains(entry.name))
                ipv6s[entry.name] = text;
            break;
        }
        case InterfaceAddress::Family::other:
            break;
        }
    }

    QString chosen;
    if (!primary.isEmpty() &&
        (ipv4s.contains(primary) || ipv6s.contains(primary) || macs.contains(primary))) {
        chosen = primary;
    } else {
        for (const char* name : kPreferredNames) {
            if (ipv4s.contains(QLatin1String(name))) {
                chosen = QLatin1String(name);
                break;
            }
        }
        for (auto it = ipv4s.begin(); chosen.isEmpty() && it != ipv4s.end(); ++it) {
            if (!isLoopbackName(it->first))
                chosen = it->first;
        }
    }

    auto valueOf = [&](const std::map<QString, QString>& map) {
        const auto it = map.find(chosen);
        return it == map.end() ? QString() : it->second;
    };
    Snapshot snapshot;
    snapshot.iface = chosen;
    snapshot.mac = valueOf(macs);
    snapshot.ipv4 = valueOf(ipv4s);
    snapshot.ipv6 = valueOf(ipv6s);
    if (snapshot.mac.isEmpty()) {
        for (const auto& [name, mac] : macs) {
            if (isOneOf(name, kMacFallbackNames)) {
                snapshot.mac = mac;
                break;
            }
        }
    }
    if (snapshot.ipv4.isEmpty()) {
        for (const auto& [name, address] : ipv4s) {
            if (!isLoopbackName(name)) {
                snapshot.ipv4 = address;
                break;
            }
        }
    }
    return snapshot;
}

QString primaryInterfaceName() {
    return defaultRouteInterface();
}

Snapshot snapshot() {
    return choose(readInterfaceAddresses(), primaryInterfaceName());
}

} // namespace NetworkIdentity
