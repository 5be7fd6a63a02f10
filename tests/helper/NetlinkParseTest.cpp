#include "LinkWatch.h"
#include "Netlink.h"
#include "SocketTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <linux/if_arp.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>

namespace {

template <typename T> std::string bytesOf(const T& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string message(unsigned type, const std::string& payload) {
    nlmsghdr header{};
    header.nlmsg_len = __u32(NLMSG_LENGTH(payload.size()));
    header.nlmsg_type = __u16(type);
    std::string bytes = bytesOf(header) + payload;
    bytes.resize(NLMSG_ALIGN(bytes.size()), '\0');
    return bytes;
}

std::string linkPayload(int index, unsigned short type, const std::string& name) {
    ifinfomsg info{};
    info.ifi_index = index;
    info.ifi_type = type;
    rtattr attribute{};
    attribute.rta_type = IFLA_IFNAME;
    attribute.rta_len = __u16(RTA_LENGTH(name.size() + 1));
    std::string bytes = bytesOf(info) + bytesOf(attribute) + name + '\0';
    bytes.resize(RTA_ALIGN(bytes.size()), '\0');
    return bytes;
}

std::string socketPayload(int family, std::uint64_t cookie, std::uint32_t inode, std::uint32_t uid,
                          unsigned state) {
    inet_diag_msg diag{};
    diag.idiag_family = __u8(family);
    diag.idiag_state = __u8(state);
    diag.id.idiag_cookie[0] = std::uint32_t(cookie);
    diag.id.idiag_cookie[1] = std::uint32_t(cookie >> 32);
    diag.idiag_inode = inode;
    diag.idiag_uid = uid;
    return bytesOf(diag);
}

TEST(NetlinkWalk, HandsOverWholeMessagesAndStopsAtTheEnd) {
    std::vector<std::pair<unsigned, size_t>> seen;
    const auto record = [&](unsigned type, std::string_view payload) {
        seen.emplace_back(type, payload.size());
    };
    const std::string two = message(RTM_NEWLINK, "abcd") + message(RTM_NEWLINK, "abcdefgh");
    EXPECT_EQ(walkNetlinkMessages(two, record), NetlinkBatch::More);
    EXPECT_EQ(seen, (std::vector<std::pair<unsigned, size_t>>{{RTM_NEWLINK, 4}, {RTM_NEWLINK, 8}}));

    seen.clear();
    EXPECT_EQ(walkNetlinkMessages(message(RTM_NEWLINK, "x") + message(NLMSG_DONE, "") +
                                      message(RTM_NEWLINK, "y"),
                                  record),
              NetlinkBatch::Done);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(walkNetlinkMessages(message(NLMSG_ERROR, "0000"), record), NetlinkBatch::Failed);
}

TEST(NetlinkWalk, NeverReadsPastABufferWithHostileLengths) {
    std::string lying = message(RTM_NEWLINK, "abcd");
    const __u32 tooLong = 4096;
    std::memcpy(lying.data(), &tooLong, sizeof tooLong);
    const __u32 tooShort = 3;
    std::string shortOne = message(RTM_NEWLINK, "abcd");
    std::memcpy(shortOne.data(), &tooShort, sizeof tooShort);
    int calls = 0;
    const auto count = [&](unsigned, std::string_view) { ++calls; };
    EXPECT_EQ(walkNetlinkMessages(lying, count), NetlinkBatch::More);
    EXPECT_EQ(walkNetlinkMessages(shortOne, count), NetlinkBatch::More);
    EXPECT_EQ(walkNetlinkMessages(std::string_view("\x10\0\0", 3), count), NetlinkBatch::More);
    EXPECT_EQ(calls, 0);
}

TEST(LinkMessage, ReadsIndexNameAndLoopbackType) {
    const auto loopback = parseLinkMessage(linkPayload(1, ARPHRD_LOOPBACK, "lo"));
    ASSERT_TRUE(loopback);
    EXPECT_EQ(loopback->index, 1u);
    EXPECT_EQ(loopback->name, "lo");
    EXPECT_TRUE(loopback->loopback);
    const auto ethernet = parseLinkMessage(linkPayload(12, ARPHRD_ETHER, "loopy"));
    ASSERT_TRUE(ethernet);
    EXPECT_EQ(ethernet->index, 12u);
    EXPECT_EQ(ethernet->name, "loopy");
    EXPECT_FALSE(ethernet->loopback); // named like loopback, but is not
    EXPECT_EQ(parseLinkMessage(linkPayload(1, ARPHRD_ETHER, "eth0").substr(0, 8)), std::nullopt);
}

TEST(SocketMessage, ReadsCookieInodeAndOwner) {
    const auto socket =
        parseSocketMessage(socketPayload(AF_INET6, 0x1122334455667788ull, 4242, 1000, 1));
    ASSERT_TRUE(socket);
    EXPECT_EQ(socket->cookie, 0x1122334455667788ull);
    EXPECT_EQ(socket->inode, 4242u);
    EXPECT_EQ(socket->uid, 1000u);
    EXPECT_FALSE(socket->awaitingAccept);
    EXPECT_EQ(parseSocketMessage(socketPayload(AF_UNIX, 1, 2, 3, 1)), std::nullopt);
    EXPECT_EQ(parseSocketMessage(socketPayload(AF_INET, 1, 2, 3, 1).substr(0, 20)), std::nullopt);
}

TEST(SocketMessage, OnlyConnectionsInTheAcceptQueueAwaitAProcess) {
    struct Case {
        std::uint32_t inode;
        unsigned state;
        bool awaiting;
    };
    const Case cases[] = {
        {0, 1, true},   // established, not yet accepted
        {0, 3, true},   // SYN received
        {0, 6, false},  // TIME_WAIT: no process will ever hold it
        {0, 7, false},  // closed
        {0, 4, false},  // FIN_WAIT1 of a socket its process already closed
        {77, 1, false}, // held
    };
    for (const Case& c : cases) {
        const auto socket = parseSocketMessage(socketPayload(AF_INET, 9, c.inode, 0, c.state));
        ASSERT_TRUE(socket);
        EXPECT_EQ(socket->awaitingAccept, c.awaiting) << "state " << c.state;
    }
}

} // namespace
