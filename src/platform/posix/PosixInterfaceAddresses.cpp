#include "platform/InterfaceAddresses.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#ifdef __APPLE__
#include <net/if_dl.h>
#else
#include <netpacket/packet.h>
#endif

#include <memory>

namespace {

struct IfAddrsFree {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

QString numericHost(const sockaddr* address, socklen_t length) {
    char host[1025];
    if (getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0)
        return {};
    return QString::fromLatin1(host);
}

QByteArray hardwareAddress(const sockaddr* address) {
#ifdef __APPLE__
    const auto* link = reinterpret_cast<const sockaddr_dl*>(address);
    return QByteArray(LLADDR(link), link->sdl_alen);
#else
    const auto* link = reinterpret_cast<const sockaddr_ll*>(address);
    return QByteArray(reinterpret_cast<const char*>(link->sll_addr),
                      qMin<int>(link->sll_halen, sizeof link->sll_addr));
#endif
}

#ifdef __APPLE__
constexpr int kLinkFamily = AF_LINK;
#else
constexpr int kLinkFamily = AF_PACKET;
#endif

} // namespace

std::vector<InterfaceAddress> readInterfaceAddresses() {
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0)
        return {};
    const std::unique_ptr<ifaddrs, IfAddrsFree> list(raw);
    std::vector<InterfaceAddress> addresses;
    for (const ifaddrs* entry = raw; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || !entry->ifa_name)
            continue;
        InterfaceAddress address;
        address.name = QString::fromUtf8(entry->ifa_name);
        address.up = entry->ifa_flags & IFF_UP;
        address.loopback = entry->ifa_flags & IFF_LOOPBACK;
        const int family = entry->ifa_addr->sa_family;
        if (family == kLinkFamily) {
            address.family = InterfaceAddress::Family::link;
            address.linkAddress = hardwareAddress(entry->ifa_addr);
        } else if (family == AF_INET) {
            address.family = InterfaceAddress::Family::ipv4;
            address.address = numericHost(entry->ifa_addr, sizeof(sockaddr_in));
            if (address.address.isEmpty())
                continue;
        } else if (family == AF_INET6) {
            address.family = InterfaceAddress::Family::ipv6;
            address.address = numericHost(entry->ifa_addr, sizeof(sockaddr_in6));
            if (address.address.isEmpty())
                continue;
        }
        addresses.push_back(std::move(address));
    }
    return addresses;
}
