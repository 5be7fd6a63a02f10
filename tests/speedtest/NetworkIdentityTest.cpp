#include "speedtest/core/NetworkIdentity.h"

#include "platform/DefaultRoute.h"

#include <gtest/gtest.h>

namespace {

using Family = InterfaceAddress::Family;

InterfaceAddress address(const QString& name, Family family, const QString& text, bool up = true,
                         bool loopback = false) {
    InterfaceAddress entry;
    entry.name = name;
    entry.family = family;
    entry.address = text;
    entry.up = up;
    entry.loopback = loopback;
    return entry;
}

InterfaceAddress linkAddress(const QString& name, QByteArray bytes) {
    InterfaceAddress entry;
    entry.name = name;
    entry.family = Family::link;
    entry.linkAddress = std::move(bytes);
    entry.up = true;
    return entry;
}

const QByteArray kMacEth0("\x00\x1a\x2b\x3c\x4d\xef", 6);
const QByteArray kMacWlan0("\xa0\xb1\xc2\xd3\xe4\xf5", 6);

TEST(NetworkIdentityTest, PrimaryInterfaceWithItsAddresses) {
    const std::vector<InterfaceAddress> list = {
        address("lo", Family::ipv4, "127.0.0.1", true, true),
        linkAddress("eth0", kMacEth0),
        address("eth0", Family::ipv4, "192.168.1.23"),
        address("eth0", Family::ipv6, "fe80::1%eth0"),
        address("eth0", Family::ipv6, "fd12::5"),
        address("eth0", Family::ipv6, "2001:db8::7"),
        address("eth0", Family::ipv6, "2001:db8::9"),
    };
    const auto snapshot = NetworkIdentity::choose(list, "eth0");
    EXPECT_EQ(snapshot, (NetworkIdentity::Snapshot{"eth0", "00:1A:2B:3C:4D:EF", "192.168.1.23",
                                                   "2001:db8::7", ""}));
}

TEST(NetworkIdentityTest, FiltersAddresses) {
    const std::vector<InterfaceAddress> list = {
        address("eth0", Family::ipv4, "169.254.10.20"),
        address("eth0", Family::ipv6, "2001:DB8::8%eth0"),
        address("eth1", Family::ipv4, "10.0.0.2", false),
        linkAddress("eth2", QByteArray("\x01\x02\x03\x04", 4)),
    };
    const auto snapshot = NetworkIdentity::choose(list, "eth0");
    EXPECT_EQ(snapshot.iface, "eth0"); // chosen for its IPv6 address
    EXPECT_EQ(snapshot.ipv6, "2001:DB8::8");
    EXPECT_EQ(snapshot.ipv4, ""); // link-local only, and eth1 is down
    EXPECT_EQ(snapshot.mac, "");
}

TEST(NetworkIdentityTest, TunnelWithoutMacBorrowsTheWiredMac) {
    const std::vector<InterfaceAddress> list = {
        linkAddress("eth0", kMacEth0),
        address("eth0", Family::ipv4, "192.168.1.23"),
        address("tun0", Family::ipv4, "10.8.0.2"),
    };
    const auto snapshot = NetworkIdentity::choose(list, "tun0");
    EXPECT_EQ(snapshot.iface, "tun0");
    EXPECT_EQ(snapshot.mac, "00:1A:2B:3C:4D:EF");
    EXPECT_EQ(snapshot.ipv4, "10.8.0.2");
}

TEST(NetworkIdentityTest, ChosenInterfaceWithoutIPv4TakesAnother) {
    const std::vector<InterfaceAddress> list = {
        linkAddress("wlan0", kMacWlan0),
        address("wlan0", Family::ipv4, "192.168.5.9"),
        address("eth0", Family::ipv6, "2001:db8::1"),
    };
    const auto snapshot = NetworkIdentity::choose(list, "eth0");
    EXPECT_EQ(snapshot.iface, "eth0");
    EXPECT_EQ(snapshot.ipv4, "192.168.5.9");
    EXPECT_EQ(snapshot.mac, "A0:B1:C2:D3:E4:F5");
}

TEST(NetworkIdentityTest, WithoutRouteFallsBackToUsualNamesThenSortedNames) {
    const std::vector<InterfaceAddress> list = {
        address("enp3s0", Family::ipv4, "10.1.1.1"),
        address("wlan0", Family::ipv4, "10.2.2.2"),
        address("docker0", Family::ipv4, "172.17.0.1"),
    };
    EXPECT_EQ(NetworkIdentity::choose(list, "").iface, "wlan0");
    EXPECT_EQ(NetworkIdentity::choose(list, "ppp9").iface, "wlan0");
    const std::vector<InterfaceAddress> unusual(list.begin(), list.begin() + 1);
    EXPECT_EQ(NetworkIdentity::choose(unusual, "").iface, "enp3s0");
    EXPECT_EQ(NetworkIdentity::choose({}, "eth0"), NetworkIdentity::Snapshot());
}

TEST(DefaultRouteTest, RouteGetDefaultOutput) {
    EXPECT_EQ(parseRouteGetDefault("   route to: default\ndestination: default\n"
                                   "   interface: en0\n      flags: <UP,GATEWAY,DONE>\n"),
              "en0");
    EXPECT_EQ(parseRouteGetDefault("\t interface:\t utun3 \t\n"), "utun3");
    EXPECT_EQ(parseRouteGetDefault("route: writing to routing socket: not in table\n"), "");
    EXPECT_EQ(parseRouteGetDefault(""), "");
    EXPECT_EQ(parseRouteGetDefault("interface: en\xff\n"), "");
}

TEST(DefaultRouteTest, ProcNetRouteTakesTheLowestMetricDefault) {
    const QByteArray table =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
        "eth0\t00000000\t0100000A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        "eth0\t0000000A\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
        "tun0\t00000000\t00000000\t0000\t0\t0\t1\t00000000\t0\t0\t0\n";
    EXPECT_EQ(parseProcNetRoute(table), "eth0");
    EXPECT_EQ(parseProcNetRoute("Iface\tDestination\n"), "");
    EXPECT_EQ(parseProcNetRoute("garbage\nx y z\n"), "");
}

} // namespace
