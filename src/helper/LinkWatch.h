#pragma once

#include "CountedLinks.h"

#include <optional>
#include <string_view>
#include <vector>

// The interface of one RTM_NEWLINK message (the bytes after the netlink header); none when
// the message is cut short. hasDevice is left for the caller to find.
std::optional<Link> parseLinkMessage(std::string_view payload);

// The interfaces of this network namespace, and word whenever one appears, goes or changes,
// so the counted set follows a VPN or a tethered phone as soon as it comes up.
class LinkWatch {
public:
    LinkWatch();
    ~LinkWatch();
    LinkWatch(const LinkWatch&) = delete;
    LinkWatch& operator=(const LinkWatch&) = delete;

    // Readable when links changed; -1 when notifications are unavailable.
    int fd() const { return m_fd; }
    // Reads what is pending without blocking; true when anything arrived.
    bool drainChanges();
    // All interfaces now; none when netlink failed.
    static std::optional<std::vector<Link>> links();

private:
    int m_fd = -1;
};
