#include "platform/ProcessTraffic.h"

#include "NamespaceNetwork.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// A download across a rate-limited veth, about 2.5 s per connection at 8 Mbit/s.
constexpr Download kShaped{kFarAddress, 18080, 3, 2'500'000};
// A download from a server on this machine's own veth address: it never leaves the machine.
constexpr Download kFromOwnAddress{kNearAddress, 18081, 2, 4'000'000};

// Watches once a second as the sampler's thread does, for at most 40 s, until the clients end.
bool watchUntilDone(ProcessTraffic& provider, std::initializer_list<ForkedChild*> clients) {
    for (int second = 0; second < 40; ++second) {
        bool anyRunning = false;
        for (ForkedChild* client : clients)
            anyRunning = client->running() || anyRunning;
        if (!anyRunning)
            return true;
        provider.watch();
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    return false;
}

quint64 bytesIn(const AppSample& sample, const char* name) {
    const auto found = sample.find(QString::fromLatin1(name));
    return found == sample.end() ? 0 : found->second.first;
}

using ProcessTrafficEndToEnd = NetworkNamespaceTest;

TEST_F(ProcessTrafficEndToEnd, DownloadIsAttributedToTheDownloadingProcess) {
    ForkedChild server;
    ASSERT_EQ(startShapedServer(server, kShaped), "");
    const std::unique_ptr<ProcessTraffic> provider = ProcessTraffic::create();
    const std::optional<AppSample> before = provider->sample();
    ASSERT_TRUE(before.has_value()) << "the socket table could not be read";
    EXPECT_EQ(before->count(QStringLiteral("vorn-e2e-fetch")), 0u);

    DownloadClient client("vorn-e2e-fetch", kShaped);
    ASSERT_TRUE(watchUntilDone(*provider, {&client.process()})) << "download did not finish";
    ASSERT_EQ(client.process().wait(), 0);
    const quint64 downloaded = client.receivedBytes();
    ASSERT_EQ(downloaded, quint64(kShaped.connections) * kShaped.bytesPerConnection);
    EXPECT_EQ(server.wait(), 0);

    const std::optional<AppSample> after = provider->sample();
    ASSERT_TRUE(after.has_value()) << "the socket table could not be read";
    const quint64 attributed = bytesIn(*after, "vorn-e2e-fetch");
    EXPECT_GE(double(attributed), 0.95 * double(downloaded)) << attributed << " of " << downloaded;
    // tcp_info counts sequence numbers, so each connection's FIN adds one.
    EXPECT_LE(attributed, downloaded + kShaped.connections);
}

TEST_F(ProcessTrafficEndToEnd, TrafficToTheMachinesOwnAddressIsNotBooked) {
    ForkedChild shapedServer, localServer;
    ASSERT_EQ(startShapedServer(shapedServer, kShaped), "");
    ASSERT_EQ(startLocalServer(localServer, kFromOwnAddress, "vorn-e2e-local"), "");
    const std::unique_ptr<ProcessTraffic> provider = ProcessTraffic::create();
    ASSERT_TRUE(provider->sample().has_value()) << "the socket table could not be read";

    DownloadClient remote("vorn-e2e-fetch", kShaped);
    // Held open after its last byte, so listings see every local connection whole.
    DownloadClient local("vorn-e2e-self", kFromOwnAddress, 1500);
    ASSERT_TRUE(watchUntilDone(*provider, {&remote.process(), &local.process()}));
    ASSERT_EQ(local.process().wait(), 0);
    ASSERT_EQ(local.receivedBytes(),
              quint64(kFromOwnAddress.connections) * kFromOwnAddress.bytesPerConnection);
    ASSERT_EQ(remote.process().wait(), 0);
    const quint64 downloaded = remote.receivedBytes();

    const std::optional<AppSample> after = provider->sample();
    ASSERT_TRUE(after.has_value()) << "the socket table could not be read";
    EXPECT_EQ(after->count(QStringLiteral("vorn-e2e-self")), 0u)
        << "booked " << bytesIn(*after, "vorn-e2e-self") << " bytes received";
    EXPECT_EQ(after->count(QStringLiteral("vorn-e2e-local")), 0u)
        << "booked " << after->at(QStringLiteral("vorn-e2e-local")).second << " bytes sent";
    // The same listings did book the traffic that left the machine.
    const quint64 attributed = bytesIn(*after, "vorn-e2e-fetch");
    EXPECT_GE(double(attributed), 0.95 * double(downloaded)) << attributed << " of " << downloaded;
    EXPECT_LE(attributed, downloaded + kShaped.connections);
}

} // namespace
