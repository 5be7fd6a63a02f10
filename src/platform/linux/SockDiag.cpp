#include "platform/linux/SockDiag.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>

namespace {

// TCP state numbers of the kernel (include/net/tcp_states.h).
constexpr unsigned kTcpTimeWait = 6;
constexpr unsigned kTcpListen = 10;
constexpr unsigned kTcpNewSynRecv = 12;
constexpr size_t kBufferSize = 64 * 1024;

class NetlinkSocket {
public:
    explicit NetlinkSocket(int flags = 0)
        : m_fd(socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | flags, NETLINK_SOCK_DIAG)) {}
    ~NetlinkSocket() {
        if (m_fd >= 0)
            close(m_fd);
    }
    NetlinkSocket(const NetlinkSocket&) = delete;
    NetlinkSocket& operator=(const NetlinkSocket&) = delete;
    int fd() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

bool isLoopback(int family, const __be32* address) {
    if (family == AF_INET)
        return (ntohl(address[0]) >> 24) == 127;
    const bool v4Mapped = address[0] == 0 && address[1] == 0 && address[2] == htonl(0xffff);
    if (v4Mapped)
        return (ntohl(address[3]) >> 24) == 127;
    return address[0] == 0 && address[1] == 0 && address[2] == 0 && address[3] == htonl(1);
}

IpAddress peerAddress(int family, const __be32* address) {
    if (family == AF_INET) {
        quint8 v4[4];
        std::memcpy(v4, address, sizeof v4);
        return ipv4Address(v4);
    }
    IpAddress v6;
    std::memcpy(v6.data(), address, v6.size());
    return v6;
}

// Reads a T at offset; the buffer need not be aligned.
template <typename T> bool readAt(QByteArrayView buffer, qsizetype offset, T& out) {
    if (offset < 0 || buffer.size() - offset < qsizetype(sizeof(T)))
        return false;
    std::memcpy(&out, buffer.data() + offset, sizeof(T));
    return true;
}

void parseOne(QByteArrayView message, std::vector<TcpSocketCounts>& out) {
    inet_diag_msg diag{};
    if (!readAt(message, NLMSG_HDRLEN, diag))
        return;
    if (diag.idiag_family != AF_INET && diag.idiag_family != AF_INET6)
        return;
    TcpSocketCounts socket;
    socket.cookie = (quint64(diag.id.idiag_cookie[1]) << 32) | diag.id.idiag_cookie[0];
    socket.inode = diag.idiag_inode;
    socket.loopback = isLoopback(diag.idiag_family, diag.id.idiag_src) &&
                      isLoopback(diag.idiag_family, diag.id.idiag_dst);
    socket.peer = peerAddress(diag.idiag_family, diag.id.idiag_dst);
    qsizetype offset = NLMSG_HDRLEN + qsizetype(NLMSG_ALIGN(sizeof(inet_diag_msg)));
    rtattr attribute{};
    while (readAt(message, offset, attribute) && attribute.rta_len >= sizeof(rtattr) &&
           attribute.rta_len <= message.size() - offset) {
        constexpr size_t kNeeded = offsetof(tcp_info, tcpi_bytes_received) + sizeof(__u64);
        const size_t payload = attribute.rta_len - RTA_LENGTH(0);
        if (attribute.rta_type == INET_DIAG_INFO && payload >= kNeeded) {
            tcp_info info{};
            std::memcpy(&info, message.data() + offset + RTA_LENGTH(0),
                        std::min(payload, sizeof info));
            socket.received = info.tcpi_bytes_received;
            socket.sent = info.tcpi_bytes_acked;
        }
        offset += RTA_ALIGN(attribute.rta_len);
    }
    out.push_back(socket);
}

constexpr unsigned kDataStates =
    ~((1u << kTcpTimeWait) | (1u << kTcpListen) | (1u << kTcpNewSynRecv));

template <typename Request> bool send(int fd, __u16 type, const Request& request) {
    struct {
        nlmsghdr header;
        Request request;
    } message{};
    message.header.nlmsg_len = sizeof message;
    message.header.nlmsg_type = type;
    message.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    message.request = request;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    return sendto(fd, &message, sizeof message, 0, reinterpret_cast<sockaddr*>(&kernel),
                  sizeof kernel) == ssize_t(sizeof message);
}

bool receiveDump(int fd, std::vector<TcpSocketCounts>& out) {
    const auto buffer = std::make_unique<char[]>(kBufferSize);
    for (;;) {
        const ssize_t length = recv(fd, buffer.get(), kBufferSize, 0);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            return false;
        switch (SockDiag::parseMessages(QByteArrayView(buffer.get(), length), out)) {
        case SockDiag::Batch::More:
            continue;
        case SockDiag::Batch::Done:
            return true;
        case SockDiag::Batch::Failed:
            return false;
        }
    }
}

// The older request walks the kernel's connection table once for IPv4 and IPv6 together;
// the per-family request walks it once per family.
bool dumpBothFamilies(int fd, std::vector<TcpSocketCounts>& out) {
    inet_diag_req request{};
    request.idiag_family = AF_INET;
    request.idiag_states = kDataStates;
    request.idiag_ext = 1u << (INET_DIAG_INFO - 1);
    return send(fd, TCPDIAG_GETSOCK, request) && receiveDump(fd, out);
}

bool dumpFamily(int fd, int family, std::vector<TcpSocketCounts>& out) {
    inet_diag_req_v2 request{};
    request.sdiag_family = __u8(family);
    request.sdiag_protocol = IPPROTO_TCP;
    request.idiag_states = kDataStates;
    request.idiag_ext = 1u << (INET_DIAG_INFO - 1);
    return send(fd, SOCK_DIAG_BY_FAMILY, request) && receiveDump(fd, out);
}

} // namespace

namespace SockDiag {

Batch parseMessages(QByteArrayView buffer, std::vector<TcpSocketCounts>& out) {
    qsizetype offset = 0;
    nlmsghdr header{};
    while (readAt(buffer, offset, header) && header.nlmsg_len >= sizeof(nlmsghdr) &&
           header.nlmsg_len <= buffer.size() - offset) {
        if (header.nlmsg_type == NLMSG_DONE)
            return Batch::Done;
        if (header.nlmsg_type == NLMSG_ERROR)
            return Batch::Failed;
        if (header.nlmsg_type == SOCK_DIAG_BY_FAMILY || header.nlmsg_type == TCPDIAG_GETSOCK)
            parseOne(buffer.sliced(offset, header.nlmsg_len), out);
        offset += NLMSG_ALIGN(header.nlmsg_len);
    }
    return Batch::More;
}

std::optional<std::vector<TcpSocketCounts>> dumpTcpSockets() {
    NetlinkSocket socket;
    if (socket.fd() < 0)
        return std::nullopt;
    std::vector<TcpSocketCounts> sockets;
    if (dumpBothFamilies(socket.fd(), sockets))
        return sockets;
    sockets.clear();
    if (!dumpFamily(socket.fd(), AF_INET, sockets))
        return std::nullopt;
    dumpFamily(socket.fd(), AF_INET6, sockets); // IPv6 may be disabled
    return sockets;
}

DestroyListener::DestroyListener() {
    NetlinkSocket socket(SOCK_NONBLOCK);
    if (socket.fd() < 0)
        return;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups =
        (1u << (SKNLGRP_INET_TCP_DESTROY - 1)) | (1u << (SKNLGRP_INET6_TCP_DESTROY - 1));
    if (bind(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return;
    const int bufferSize = 1 << 20;
    setsockopt(socket.fd(), SOL_SOCKET, SO_RCVBUF, &bufferSize, sizeof bufferSize);
    m_fd = socket.release();
}

DestroyListener::~DestroyListener() {
    if (m_fd >= 0)
        close(m_fd);
}

std::vector<TcpSocketCounts> DestroyListener::drain() {
    std::vector<TcpSocketCounts> ended;
    if (m_fd < 0)
        return ended;
    const auto buffer = std::make_unique<char[]>(kBufferSize);
    for (;;) {
        const ssize_t length = recv(m_fd, buffer.get(), kBufferSize, 0);
        if (length < 0 && (errno == EINTR || errno == ENOBUFS))
            continue; // ENOBUFS: some notifications were lost; read on
        if (length <= 0)
            return ended;
        parseMessages(QByteArrayView(buffer.get(), length), ended);
    }
}

} // namespace SockDiag
