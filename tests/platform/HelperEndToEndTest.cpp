#include "platform/linux/HelperProcessTraffic.h"

#include "EchoTraffic.h"
#include "HelperNamespaceTest.h"
#include "LinkCounters.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Traffic of several processes through a veth pair between two network namespaces made here:
// each process's bytes must come within 2 % of what crossed the link (IP length), whatever
// the protocol, and traffic that stays on the machine (loopback, or to one of its own
// addresses) must not be booked at all.
constexpr size_t kTransferBytes = 8'000'000;
constexpr size_t kOldConnectionBytes = 2'000'000;
constexpr int kDatagrams = 8000;

using HelperEndToEnd = HelperNamespaceTest;

TEST_F(HelperEndToEnd, EveryProtocolIsBookedToItsProcessAndLocalTrafficToNone) {
    ForkedChild server;
    ASSERT_EQ(startEchoServer(server), "");

    // A connection older than the helper: found through the socket table once it carries bytes.
    Checkpoint oldAt;
    ForkedChild old;
    runNamed(old, "vorn-e2e-old", [&] {
        const int fd = connectTcp(kFarAddress, kTcpEchoPort);
        oldAt.reach(); // connected
        pingPong(fd, kOldConnectionBytes);
        oldAt.reach(); // a long-lived connection: open until after the sample
    });
    ASSERT_TRUE(oldAt.reached());

    HelperProcessTraffic traffic(helperProgram(), {});
    ASSERT_TRUE(traffic.sample().has_value()) << "the helper did not start";

    const std::string link = nearLinkName();
    const LinkCounters start = readLinkCounters(link);
    oldAt.release();
    ASSERT_TRUE(oldAt.reached());
    const LinkCounters afterOld = readLinkCounters(link);
    ForkedChild udp;
    runNamed(udp, "vorn-e2e-udp",
             [] { exchangeDatagrams(connectUdp(kFarAddress, kUdpEchoPort), kDatagrams); });
    ASSERT_EQ(udp.wait(), 0);
    const LinkCounters afterUdp = readLinkCounters(link);
    // Named as the kernel names this test program, cut at 15 bytes, and ended before the
    // sample: the booking carries the whole name, as the socket table's would, since the
    // provider's watch saw the process alive.
    const QString program =
        QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName();
    ASSERT_GT(program.size(), 15);
    const QByteArray cutProgram = program.toUtf8().left(15);
    Checkpoint tcpAt;
    ForkedChild tcp;
    runNamed(tcp, cutProgram.constData(), [&] {
        pingPong(connectTcp(kFarAddress, kTcpEchoPort), kTransferBytes);
        tcpAt.reach();
    });
    ASSERT_TRUE(tcpAt.reached());
    traffic.watch();
    tcpAt.release();
    ASSERT_EQ(tcp.wait(), 0);
    const LinkCounters afterTcp = readLinkCounters(link);
    ForkedChild loopback;
    runNamed(loopback, "vorn-e2e-lo", [] { talkToSelf("127.0.0.1"); });
    ASSERT_EQ(loopback.wait(), 0);
    // To the namespace's own veth address: the kernel carries it over lo, not the veth.
    ForkedChild self;
    runNamed(self, "vorn-e2e-self", [] { talkToSelf(kNearAddress); });
    ASSERT_EQ(self.wait(), 0);
    const auto [selfReceived, selfSent] = ipBytesBetween(afterTcp, readLinkCounters(link));
    EXPECT_LT(selfReceived + selfSent, 2 * kSelfStreamBytes / 100) << "it crossed the veth";

    const std::optional<AppSample> sample = traffic.sample();
    oldAt.release();
    EXPECT_EQ(old.wait(), 0);
    ASSERT_TRUE(sample.has_value());
    const auto booked = [&](const QString& name) {
        const auto found = sample->find(name);
        return found == sample->end() ? std::pair<quint64, quint64>() : found->second;
    };

    const auto [oldReceived, oldSent] = ipBytesBetween(start, afterOld);
    expectWithin2Percent(booked(QStringLiteral("vorn-e2e-old")).first, oldReceived,
                         kOldConnectionBytes, "old connection received");
    expectWithin2Percent(booked(QStringLiteral("vorn-e2e-old")).second, oldSent,
                         kOldConnectionBytes, "old connection sent");

    const auto [udpReceived, udpSent] = ipBytesBetween(afterOld, afterUdp);
    const quint64 udpPayload = kDatagrams * kDatagramBytes;
    expectWithin2Percent(booked(QStringLiteral("vorn-e2e-udp")).first, udpReceived, udpPayload,
                         "UDP received");
    expectWithin2Percent(booked(QStringLiteral("vorn-e2e-udp")).second, udpSent, udpPayload,
                         "UDP sent");
    EXPECT_EQ(booked(QStringLiteral("vorn-e2e-udp")).second,
              kDatagrams * (kDatagramBytes + kUdpIpOverhead))
        << "each datagram is its IP length";

    const auto [tcpReceived, tcpSent] = ipBytesBetween(afterUdp, afterTcp);
    expectWithin2Percent(booked(program).first, tcpReceived, kTransferBytes, "TCP received");
    expectWithin2Percent(booked(program).second, tcpSent, kTransferBytes, "TCP sent");

    EXPECT_EQ(sample->count(QStringLiteral("vorn-e2e-lo")), 0u) << "loopback traffic was booked";
    EXPECT_EQ(sample->count(QStringLiteral("vorn-e2e-self")), 0u)
        << "traffic to the machine's own address was booked";
}

} // namespace
