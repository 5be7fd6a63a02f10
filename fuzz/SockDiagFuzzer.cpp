#include "platform/linux/SockDiag.h"

#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/tcp.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

template <typename T> void append(QByteArray& buffer, const T& part) {
    buffer.append(reinterpret_cast<const char*>(&part), sizeof part);
}

// One dump message per socket, as an IPv6 socket with its counts in tcp_info; a loopback
// socket has its peer at both ends.
QByteArray sockDiagMessages(const std::vector<TcpSocketCounts>& sockets) {
    QByteArray buffer;
    for (const TcpSocketCounts& socket : sockets) {
        nlmsghdr header{};
        header.nlmsg_len = NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(inet_diag_msg)) +
                           RTA_ALIGN(RTA_LENGTH(sizeof(tcp_info)));
        header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
        inet_diag_msg diag{};
        diag.idiag_family = AF_INET6;
        diag.id.idiag_cookie[0] = std::uint32_t(socket.cookie);
        diag.id.idiag_cookie[1] = std::uint32_t(socket.cookie >> 32);
        diag.idiag_inode = std::uint32_t(socket.inode);
        std::memcpy(diag.id.idiag_dst, socket.peer.data(), socket.peer.size());
        if (socket.loopback)
            std::memcpy(diag.id.idiag_src, socket.peer.data(), socket.peer.size());
        rtattr info{};
        info.rta_len = RTA_LENGTH(sizeof(tcp_info));
        info.rta_type = INET_DIAG_INFO;
        tcp_info counts{};
        counts.tcpi_bytes_received = socket.received;
        counts.tcpi_bytes_acked = socket.sent;
        append(buffer, header);
        append(buffer, diag);
        append(buffer, info);
        append(buffer, counts);
        buffer.append(qsizetype(RTA_ALIGN(sizeof(tcp_info)) - sizeof(tcp_info)), '\0');
    }
    return buffer;
}

bool sameSockets(const std::vector<TcpSocketCounts>& a, const std::vector<TcpSocketCounts>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.cookie == y.cookie && x.inode == y.inode && x.loopback == y.loopback &&
               x.received == y.received && x.sent == y.sent && x.peer == y.peer;
    });
}

} // namespace

// Netlink buffers come from the kernel, but the parser must stay within them whatever they
// hold; what it reads, written back as messages, reads the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<TcpSocketCounts> sockets;
    SockDiag::parseMessages(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)),
                            sockets);
    if (sockets.size() > size / 16)
        __builtin_trap(); // every socket needs at least a message header
    std::vector<TcpSocketCounts> again;
    SockDiag::parseMessages(sockDiagMessages(sockets), again);
    if (!sameSockets(again, sockets))
        __builtin_trap();
    return 0;
}
