#include "SocketTable.h"

#include "Netlink.h"

#include <cstring>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

// TCP state numbers of the kernel (include/net/tcp_states.h).
constexpr unsigned kTcpEstablished = 1;
constexpr unsigned kTcpSynReceived = 3;

} // namespace

std::optional<SocketEntry> parseSocketMessage(std::string_view payload) {
    inet_diag_msg diag{};
    if (payload.size() < sizeof diag)
        return std::nullopt;
    std::memcpy(&diag, payload.data(), sizeof diag);
    if (diag.idiag_family != AF_INET && diag.idiag_family != AF_INET6)
        return std::nullopt;
    SocketEntry entry;
    entry.cookie = (std::uint64_t(diag.id.idiag_cookie[1]) << 32) | diag.id.idiag_cookie[0];
    entry.inode = diag.idiag_inode;
    entry.uid = diag.idiag_uid;
    entry.awaitingAccept = entry.inode == 0 && (diag.idiag_state == kTcpEstablished ||
                                                diag.idiag_state == kTcpSynReceived);
    return entry;
}

namespace {

bool listFamily(int family, int protocol, std::vector<SocketEntry>& out) {
    inet_diag_req_v2 request{};
    request.sdiag_family = __u8(family);
    request.sdiag_protocol = __u8(protocol);
    request.idiag_states = ~0u;
    return netlinkDump(NETLINK_SOCK_DIAG, SOCK_DIAG_BY_FAMILY,
                       std::string_view(reinterpret_cast<const char*>(&request), sizeof request),
                       [&](unsigned type, std::string_view payload) {
                           if (type != SOCK_DIAG_BY_FAMILY)
                               return;
                           if (const auto entry = parseSocketMessage(payload))
                               out.push_back(*entry);
                       });
}

} // namespace

std::optional<std::vector<SocketEntry>> listSockets() {
    std::vector<SocketEntry> sockets;
    for (const int protocol : {IPPROTO_TCP, IPPROTO_UDP}) {
        if (!listFamily(AF_INET, protocol, sockets))
            return std::nullopt;
        listFamily(AF_INET6, protocol, sockets);
    }
    return sockets;
}
