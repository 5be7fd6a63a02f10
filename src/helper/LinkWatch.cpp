#include "LinkWatch.h"

#include "Netlink.h"

#include <cerrno>
#include <cstring>
#include <linux/if_arp.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

std::optional<Link> parseLinkMessage(std::string_view payload) {
    ifinfomsg info{};
    if (payload.size() < sizeof info)
        return std::nullopt;
    std::memcpy(&info, payload.data(), sizeof info);
    Link link;
    link.index = std::uint32_t(info.ifi_index);
    link.loopback = info.ifi_type == ARPHRD_LOOPBACK;
    size_t offset = NLMSG_ALIGN(sizeof info);
    rtattr attribute{};
    while (offset < payload.size() && payload.size() - offset >= sizeof attribute) {
        std::memcpy(&attribute, payload.data() + offset, sizeof attribute);
        if (attribute.rta_len < sizeof attribute || attribute.rta_len > payload.size() - offset)
            break;
        if (attribute.rta_type == IFLA_IFNAME) {
            const std::string_view value =
                payload.substr(offset + RTA_LENGTH(0), attribute.rta_len - RTA_LENGTH(0));
            link.name = std::string(value.substr(0, value.find('\0')));
        }
        offset += RTA_ALIGN(attribute.rta_len);
    }
    return link;
}

LinkWatch::LinkWatch() {
    const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (fd < 0)
        return;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return;
    }
    m_fd = fd;
}

LinkWatch::~LinkWatch() {
    if (m_fd >= 0)
        close(m_fd);
}

bool LinkWatch::drainChanges() {
    bool changed = false;
    char buffer[8192];
    for (;;) {
        const ssize_t length = recv(m_fd, buffer, sizeof buffer, 0);
        if (length < 0 && errno == EINTR)
            continue;
        if (length < 0 && errno == ENOBUFS) { // some were lost: a new listing covers them
            changed = true;
            continue;
        }
        if (length <= 0)
            return changed;
        changed = true;
    }
}

std::optional<std::vector<Link>> LinkWatch::links() {
    std::vector<Link> links;
    ifinfomsg request{};
    request.ifi_family = AF_UNSPEC;
    const bool ok =
        netlinkDump(NETLINK_ROUTE, RTM_GETLINK,
                    std::string_view(reinterpret_cast<const char*>(&request), sizeof request),
                    [&](unsigned type, std::string_view payload) {
                        if (type != RTM_NEWLINK)
                            return;
                        if (auto link = parseLinkMessage(payload)) {
                            const std::string device = "/sys/class/net/" + link->name + "/device";
                            link->hasDevice = !link->name.empty() &&
                                              link->name.find('/') == std::string::npos &&
                                              access(device.c_str(), F_OK) == 0;
                            links.push_back(std::move(*link));
                        }
                    });
    if (!ok)
        return std::nullopt;
    return links;
}
