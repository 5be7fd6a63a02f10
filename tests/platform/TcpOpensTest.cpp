#include "platform/linux/TcpOpens.h"

#include <gtest/gtest.h>

namespace {

TEST(TcpOpens, SumsActiveAndPassiveOpens) {
    const char* snmp =
        "Ip: Forwarding DefaultTTL\nIp: 1 64\n"
        "Tcp: RtoAlgorithm RtoMin RtoMax MaxConn ActiveOpens PassiveOpens AttemptFails\n"
        "Tcp: 1 200 120000 -1 1326 1268 43\n"
        "Udp: InDatagrams\nUdp: 5\n";
    EXPECT_EQ(parseTcpOpens(snmp), 2594u);
    EXPECT_FALSE(parseTcpOpens("Tcp: ActiveOpens PassiveOpens\nTcp: 1\n").has_value());
    EXPECT_FALSE(parseTcpOpens("Tcp: ActiveOpens PassiveOpens\nTcp: x 2\n").has_value());
    EXPECT_FALSE(parseTcpOpens("Tcp: ActiveOpens\nTcp: 7\n").has_value());
    EXPECT_FALSE(parseTcpOpens("").has_value());
    EXPECT_TRUE(readTcpOpens().has_value());
}

} // namespace
