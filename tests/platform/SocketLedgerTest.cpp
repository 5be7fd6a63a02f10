#include "platform/SocketLedger.h"

#include <gtest/gtest.h>

namespace {

using Counts = std::pair<quint64, quint64>;

// Owners by inode; records which inodes were asked for.
struct Owners {
    std::unordered_map<quint64, QString> known;
    int lookups = 0;
    SocketLedger::OwnerLookup lookup() {
        return [this](const std::unordered_set<quint64>& inodes) {
            ++lookups;
            std::unordered_map<quint64, QString> found;
            for (quint64 inode : inodes) {
                if (known.count(inode))
                    found.emplace(inode, known.at(inode));
            }
            return found;
        };
    }
};

TcpSocketCounts socket(quint64 cookie, quint64 inode, quint64 in, quint64 out,
                       bool loopback = false) {
    return TcpSocketCounts{cookie, inode, loopback, in, out};
}

TEST(SocketLedger, ClosedSocketsStayBookedToTheirProcessName) {
    Owners owners{
        {{11, QStringLiteral("curl")}, {12, QStringLiteral("curl")}, {13, QStringLiteral("wget")}}};
    SocketLedger ledger;
    ledger.update({socket(1, 11, 100, 10), socket(2, 12, 50, 5)}, owners.lookup());
    EXPECT_EQ(ledger.sample(), (AppSample{{QStringLiteral("curl"), Counts(150, 15)}}));
    // socket 1 closed after growing a little more (seen in the destroy notification), socket 2
    // vanished from the listing; a new one of another process appeared
    ledger.ended(socket(1, 0, 120, 12));
    ledger.update({socket(3, 13, 7, 7)}, owners.lookup());
    EXPECT_EQ(ledger.sample(), (AppSample{{QStringLiteral("curl"), Counts(170, 17)},
                                          {QStringLiteral("wget"), Counts(7, 7)}}));
    EXPECT_EQ(ledger.trackedSockets(), 1u);
}

TEST(SocketLedger, LateDestroyNotificationAddsOnlyTheTail) {
    Owners owners{{{11, QStringLiteral("curl")}}};
    SocketLedger ledger;
    ledger.update({socket(1, 11, 100, 10)}, owners.lookup());
    ledger.update({}, owners.lookup()); // gone from the listing before its notification came
    EXPECT_EQ(ledger.sample().at(QStringLiteral("curl")), Counts(100, 10));
    ledger.ended(socket(1, 0, 130, 10));
    EXPECT_EQ(ledger.sample().at(QStringLiteral("curl")), Counts(130, 10));
    ledger.ended(socket(1, 0, 130, 10)); // a duplicate changes nothing
    EXPECT_EQ(ledger.sample().at(QStringLiteral("curl")), Counts(130, 10));
}

TEST(SocketLedger, LoopbackUnownedAndOrphanSocketsAreNotCounted) {
    Owners owners{{{11, QStringLiteral("server")}}};
    SocketLedger ledger;
    ledger.update({socket(1, 11, 100, 100, true), // loopback
                   socket(2, 99, 5, 5),           // another user's process
                   socket(3, 0, 9, 9)},           // no process holds it any more
                  owners.lookup());
    EXPECT_TRUE(ledger.sample().empty());
    EXPECT_EQ(owners.lookups, 1);
    ledger.update({socket(2, 99, 6, 6), socket(3, 0, 9, 9)}, owners.lookup());
    EXPECT_EQ(owners.lookups, 1); // an unmappable socket is not looked up again
    ledger.ended(socket(2, 0, 7, 7));
    EXPECT_TRUE(ledger.sample().empty());
}

TcpSocketCounts toPeer(quint64 cookie, const char* peer, quint64 in) {
    TcpSocketCounts counts = socket(cookie, 10 + cookie, in, in / 10);
    counts.peer = *parseIpAddress(QString::fromLatin1(peer));
    return counts;
}

TEST(SocketLedger, TrafficToTheMachinesOwnAddressesIsNotCounted) {
    Owners owners;
    for (quint64 inode = 11; inode <= 17; ++inode)
        owners.known.emplace(inode, QStringLiteral("app%1").arg(inode - 10));
    SocketLedger ledger;
    ledger.setOwnAddresses(ownAddresses({
        {QStringLiteral("lo"), true, true, InterfaceAddress::Family::ipv4, {}, "127.0.0.1"},
        {QStringLiteral("wlan0"), true, false, InterfaceAddress::Family::ipv4, {}, "192.168.1.5"},
        {QStringLiteral("wlan0"),
         true,
         false,
         InterfaceAddress::Family::ipv6,
         {},
         "fe80::1c2d:3eff:fe4f:5a6b%wlan0"},
        {QStringLiteral("eth0"), false, false, InterfaceAddress::Family::ipv6, {}, "2001:db8::5"},
    }));
    ledger.update({toPeer(1, "93.184.216.34", 100),             // a server elsewhere
                   toPeer(2, "192.168.1.5", 200),               // this machine, over IPv4
                   toPeer(3, "::ffff:192.168.1.5", 300),        // the same from an IPv6 socket
                   toPeer(4, "fe80::1c2d:3eff:fe4f:5a6b", 400), // own link-local address
                   toPeer(5, "2001:db8::5", 500), // address of an interface that is down
                   toPeer(6, "192.168.1.6", 600), // a neighbour on the same network
                   toPeer(7, "2001:db8::6", 700)},
                  owners.lookup());
    EXPECT_EQ(ledger.sample(), (AppSample{{QStringLiteral("app1"), Counts(100, 10)},
                                          {QStringLiteral("app6"), Counts(600, 60)},
                                          {QStringLiteral("app7"), Counts(700, 70)}}));

    // After a reconnect the machine has another address: the old one is a stranger's now.
    ledger.setOwnAddresses(ownAddresses(
        {{QStringLiteral("wlan0"), true, false, InterfaceAddress::Family::ipv4, {}, "10.0.0.8"}}));
    owners.known.emplace(18, QStringLiteral("app8"));
    owners.known.emplace(19, QStringLiteral("app9"));
    ledger.update({toPeer(8, "192.168.1.5", 800), toPeer(9, "10.0.0.8", 900)}, owners.lookup());
    EXPECT_EQ(ledger.sample().count(QStringLiteral("app8")), 1u);
    EXPECT_EQ(ledger.sample().count(QStringLiteral("app9")), 0u);
}

TEST(SocketLedger, SocketWithoutInodeIsLookedUpOnceItHasOne) {
    Owners owners{{{21, QStringLiteral("server")}}};
    SocketLedger ledger;
    ledger.update({socket(1, 0, 10, 0)}, owners.lookup()); // accepted by the kernel only
    EXPECT_EQ(owners.lookups, 0);
    ledger.update({socket(1, 21, 30, 0)}, owners.lookup());
    EXPECT_EQ(ledger.sample().at(QStringLiteral("server")), Counts(30, 0));
}

TEST(SocketLedger, CountsNeverFall) {
    Owners owners{{{11, QStringLiteral("a")}}};
    SocketLedger ledger;
    ledger.update({socket(1, 11, 100, 10)}, owners.lookup());
    ledger.update({socket(1, 11, 90, 5)}, owners.lookup());
    EXPECT_EQ(ledger.sample().at(QStringLiteral("a")), Counts(100, 10));
    EXPECT_EQ(owners.lookups, 1); // known sockets need no lookup
}

} // namespace
