#include "platform/linux/SockDiag.h"

#include <arpa/inet.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/tcp.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// One sock_diag message as the kernel lays it out, with tcp_info cut to infoLength bytes.
QByteArray diagMessage(int family, const char* source, const char* destination, quint64 cookie,
                       quint32 inode, quint64 received, quint64 acked,
                       size_t infoLength = sizeof(tcp_info), quint16 type = SOCK_DIAG_BY_FAMILY) {
    inet_diag_msg diag{};
    diag.idiag_family = quint8(family);
    inet_pton(family, source, diag.id.idiag_src);
    inet_pton(family, destination, diag.id.idiag_dst);
    diag.id.idiag_cookie[0] = quint32(cookie);
    diag.id.idiag_cookie[1] = quint32(cookie >> 32);
    diag.idiag_inode = inode;
    tcp_info info{};
    info.tcpi_bytes_received = received;
    info.tcpi_bytes_acked = acked;
    rtattr attribute{};
    attribute.rta_type = INET_DIAG_INFO;
    attribute.rta_len = quint16(RTA_LENGTH(infoLength));
    nlmsghdr header{};
    header.nlmsg_type = type;
    header.nlmsg_len =
        quint32(NLMSG_LENGTH(NLMSG_ALIGN(sizeof diag) + RTA_ALIGN(attribute.rta_len)));
    QByteArray bytes(qsizetype(NLMSG_ALIGN(header.nlmsg_len)), '\0');
    char* at = bytes.data();
    std::memcpy(at, &header, sizeof header);
    std::memcpy(at + NLMSG_HDRLEN, &diag, sizeof diag);
    char* attributeAt = at + NLMSG_HDRLEN + NLMSG_ALIGN(sizeof diag);
    std::memcpy(attributeAt, &attribute, sizeof attribute);
    std::memcpy(attributeAt + RTA_LENGTH(0), &info, infoLength);
    return bytes;
}

TEST(SockDiagParse, ReadsCountsCookiesPeersAndLoopback) {
    const QByteArray buffer =
        diagMessage(AF_INET, "192.168.1.5", "93.184.216.34", 0x1122334455667788ull, 42, 1000, 200) +
        diagMessage(AF_INET, "127.0.0.1", "127.0.0.53", 2, 43, 5, 5) +
        diagMessage(AF_INET6, "::1", "::1", 3, 44, 6, 6) +
        diagMessage(AF_INET6, "::ffff:127.0.0.1", "::ffff:127.0.0.1", 4, 45, 7, 7) +
        diagMessage(AF_INET6, "2001:db8::1", "::1", 5, 46, 8, 8) +
        diagMessage(AF_INET, "10.0.0.1", "10.0.0.2", 6, 47, 9, 9, 16) + // old kernel: no bytes
        diagMessage(AF_INET6, "2001:db8::1", "2001:db8::2", 7, 48, 10, 11, sizeof(tcp_info),
                    TCPDIAG_GETSOCK); // the answer to the one-walk request
    std::vector<TcpSocketCounts> sockets;
    EXPECT_EQ(SockDiag::parseMessages(buffer, sockets), SockDiag::Batch::More);
    ASSERT_EQ(sockets.size(), 7u);
    EXPECT_EQ(sockets[0].cookie, 0x1122334455667788ull);
    EXPECT_EQ(sockets[0].inode, 42u);
    EXPECT_EQ(sockets[0].received, 1000u);
    EXPECT_EQ(sockets[0].sent, 200u);
    EXPECT_FALSE(sockets[0].loopback);
    EXPECT_TRUE(sockets[1].loopback);
    EXPECT_TRUE(sockets[2].loopback);
    EXPECT_TRUE(sockets[3].loopback);
    EXPECT_FALSE(sockets[4].loopback); // only one end is loopback
    EXPECT_EQ(sockets[5].received, 0u);
    EXPECT_EQ(sockets[6].cookie, 7u);
    EXPECT_EQ(sockets[6].sent, 11u);
    // Peers in one form, whichever family the socket has.
    EXPECT_EQ(sockets[0].peer, parseIpAddress(QStringLiteral("::ffff:93.184.216.34")));
    EXPECT_EQ(sockets[1].peer, parseIpAddress(QStringLiteral("127.0.0.53")));
    EXPECT_EQ(sockets[3].peer, parseIpAddress(QStringLiteral("127.0.0.1")));
    EXPECT_EQ(sockets[4].peer, parseIpAddress(QStringLiteral("::1")));
    EXPECT_EQ(sockets[6].peer, parseIpAddress(QStringLiteral("2001:db8::2")));
}

TEST(SockDiagParse, StopsAtDoneAndSurvivesTruncation) {
    nlmsghdr done{};
    done.nlmsg_type = NLMSG_DONE;
    done.nlmsg_len = sizeof done;
    const QByteArray one = diagMessage(AF_INET, "10.0.0.1", "10.0.0.2", 1, 2, 3, 4);
    std::vector<TcpSocketCounts> sockets;
    EXPECT_EQ(SockDiag::parseMessages(
                  one + QByteArray(reinterpret_cast<const char*>(&done), sizeof done), sockets),
              SockDiag::Batch::Done);
    EXPECT_EQ(sockets.size(), 1u);
    nlmsghdr error = done;
    error.nlmsg_type = NLMSG_ERROR;
    EXPECT_EQ(SockDiag::parseMessages(
                  QByteArray(reinterpret_cast<const char*>(&error), sizeof error), sockets),
              SockDiag::Batch::Failed);
    for (qsizetype cut = 0; cut < one.size(); ++cut) {
        std::vector<TcpSocketCounts> partial;
        SockDiag::parseMessages(one.left(cut), partial);
        EXPECT_TRUE(partial.empty()) << cut;
    }
}

} // namespace
