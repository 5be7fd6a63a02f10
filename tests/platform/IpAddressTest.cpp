#include "platform/IpAddress.h"

#include <gtest/gtest.h>

namespace {

IpAddress bytes(std::initializer_list<int> values) {
    IpAddress address{};
    int i = 0;
    for (int value : values)
        address[size_t(i++)] = quint8(value);
    return address;
}

TEST(IpAddress, ParsesNumericHostsIntoOneForm) {
    const IpAddress v4 = bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 192, 168, 1, 5});
    EXPECT_EQ(parseIpAddress(QStringLiteral("192.168.1.5")), v4);
    EXPECT_EQ(parseIpAddress(QStringLiteral("::ffff:192.168.1.5")), v4);
    EXPECT_EQ(parseIpAddress(QStringLiteral("fe80::1%wlan0")),
              bytes({0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(parseIpAddress(QStringLiteral("::1")),
              bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    for (const char* text :
         {"", "localhost", "192.168.1", "192.168.1.256", "1.2.3.4 ", "::g", "%wlan0", "例子"})
        EXPECT_EQ(parseIpAddress(QString::fromUtf8(text)), std::nullopt) << text;
}

TEST(IpAddress, OwnAddressesAreEveryInterfacesIpAddresses) {
    const auto own = ownAddresses({
        {QStringLiteral("lo"), true, true, InterfaceAddress::Family::ipv4, {}, "127.0.0.1"},
        {QStringLiteral("wlan0"), true, false, InterfaceAddress::Family::link, "\x01\x02", ""},
        {QStringLiteral("wlan0"), true, false, InterfaceAddress::Family::ipv4, {}, "192.168.1.5"},
        {QStringLiteral("eth0"), false, false, InterfaceAddress::Family::ipv6, {}, "2001:db8::5"},
        {QStringLiteral("odd"), true, false, InterfaceAddress::Family::other, {}, "10.0.0.1"},
    });
    EXPECT_EQ(own, (std::set<IpAddress>{*parseIpAddress(QStringLiteral("127.0.0.1")),
                                        *parseIpAddress(QStringLiteral("192.168.1.5")),
                                        *parseIpAddress(QStringLiteral("2001:db8::5"))}));
}

} // namespace
