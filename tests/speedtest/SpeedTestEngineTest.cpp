#include "SpeedTestEngineFixture.h"

namespace {

// --- Start, node choice and probing ---

TEST_F(SpeedTestEngineTest, PreferredNodeSkipsProbing) {
    startWithPreferred("bfsu");
    EXPECT_EQ(phases, (std::vector{Phase::probing, Phase::ping}));
    EXPECT_EQ(engine->activeNode()->id, "bfsu");
    std::vector<QString> candidates;
    for (const auto& node : engine->downCandidates())
        candidates.push_back(node.id);
    EXPECT_EQ(candidates, (std::vector<QString>{"tuna", "huawei", "cf"}));
    EXPECT_EQ(engine->activeUpload()->id, "ustc");
    EXPECT_TRUE(picked.empty());
    EXPECT_TRUE(probes.empty());
    EXPECT_EQ(transport.countStarted(kTunaPing), 0);
    EXPECT_EQ(transport.countStarted(kBfsuPing), 1); // the first latency request
    EXPECT_EQ(transport.countStarted(kTrace), 1);
}

TEST_F(SpeedTestEngineTest, UnknownPreferredNodeProbesEveryNode) {
    startWithPreferred("removed-node");
    EXPECT_EQ(phases, std::vector{Phase::probing});
    EXPECT_EQ(transport.countStarted(kTunaPing), 1);
    EXPECT_EQ(transport.countStarted(kHuaweiPing), 1);
    EXPECT_EQ(transport.countStarted(kBfsuPing), 1);
    EXPECT_EQ(transport.countStarted(kTrace), 2); // network information and cf's probe
}

TEST_F(SpeedTestEngineTest, RanksByBestProbeTimeKeepingCatalogueOrderOnTies) {
    engine->start();
    const auto cfProbe = transport.open(kTrace).back();
    const auto tuna = transport.open(kTunaPing).front();
    const auto huawei = transport.open(kHuaweiPing).front();
    const auto bfsu = transport.open(kBfsuPing).front();
    scheduler.advance(0.025);
    transport.complete(huawei, true, 404); // the status does not matter
    transport.complete(bfsu, true);
    transport.complete(cfProbe, false);
    scheduler.advance(0.015);
    transport.complete(tuna, true);
    scheduler.drain();
    // Second attempts: huawei fails (its first time stays), the others answer slower.
    scheduler.advance(0.050);
    transport.answer(kHuaweiPing, false);
    transport.answer(kBfsuPing, true);
    transport.answer(kTunaPing, true);
    transport.complete(transport.open(kTrace).back(), false);
    scheduler.drain();

    ASSERT_EQ(probes.size(), 4u);
    std::map<QString, std::optional<double>> byName;
    for (const auto& probe : probes)
        byName[probe.name] = probe.ms;
    EXPECT_NEAR(*byName["清华 TUNA"], 40, 1e-6);
    EXPECT_NEAR(*byName["华为云镜像"], 25, 1e-6);
    EXPECT_NEAR(*byName["北外镜像"], 25, 1e-6);
    EXPECT_FALSE(byName["Cloudflare"].has_value());

    EXPECT_EQ(engine->activeNode()->id, "huawei");
    std::vector<QString> order;
    for (const auto& node : engine->downCandidates())
        order.push_back(node.id);
    EXPECT_EQ(order, (std::vector<QString>{"bfsu", "tuna", "cf"}));
    EXPECT_EQ(picked, (std::vector<std::pair<QString, QString>>{{"huawei", "ustc"}}));
    EXPECT_EQ(engine->phase(), Phase::ping);
}

TEST_F(SpeedTestEngineTest, AllProbesFailingGoesOnInCatalogueOrderAndFailsInLatency) {
    engine->start();
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (const QString& ping : {kTunaPing, kHuaweiPing, kBfsuPing})
            transport.answer(ping, false);
        transport.complete(transport.open(kTrace).back(), false);
        scheduler.drain();
    }
    ASSERT_EQ(probes.size(), 4u);
    for (const auto& probe : probes)
        EXPECT_FALSE(probe.ms.has_value());
    EXPECT_EQ(engine->activeNode()->id, "tuna");
    answerPings(kTunaPing, std::vector<double>(8, -1));
    EXPECT_EQ(errors, std::vector<QString>{"无法连接测速节点，请检查网络"});
    EXPECT_TRUE(pings.empty());
    EXPECT_EQ(phases.back(), Phase::idle);
    EXPECT_EQ(transport.countStarted("speedtest/100mb.bin"), 0);
    EXPECT_EQ(transport.countStarted(kTunaPing), 2 + 8);
}

TEST_F(SpeedTestEngineTest, EmptyCatalogueFailsAtOnce) {
    NodeCatalogue empty;
    makeEngine(empty);
    engine->start();
    EXPECT_EQ(phases, (std::vector{Phase::probing, Phase::idle}));
    EXPECT_EQ(errors, std::vector<QString>{"无法连接任何测速节点，请检查网络"});
    EXPECT_EQ(engine->phase(), Phase::idle);
    scheduler.advance(1);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(SpeedTestEngineTest, StopDuringProbingIgnoresLateAnswers) {
    engine->start();
    engine->stop();
    EXPECT_EQ(phases, (std::vector{Phase::probing, Phase::idle}));
    for (const QString& ping : {kTunaPing, kHuaweiPing, kBfsuPing})
        transport.answer(ping, true);
    transport.answer(kTrace, true, 200, "ip=203.0.113.7\n");
    scheduler.advance(1);
    EXPECT_TRUE(probes.empty());
    EXPECT_EQ(phases.size(), 2u);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(SpeedTestEngineTest, StartWhileRunningChangesNothing) {
    engine->start();
    const auto started = transport.transfers.size();
    engine->start();
    EXPECT_EQ(phases, std::vector{Phase::probing});
    EXPECT_EQ(transport.transfers.size(), started);
}

TEST_F(SpeedTestEngineTest, AnswersOfAStoppedRunNeverCountInTheNextOne) {
    startWithPreferred("tuna");
    engine->stop();
    const auto oldPing = transport.open(kTunaPing).front();
    const auto oldTrace = transport.open(kTrace).front();
    engine->start();
    transport.complete(oldPing, true);
    transport.complete(oldTrace, true, 200, "ip=198.51.100.1\n");
    scheduler.drain();
    EXPECT_TRUE(samples.empty());
    transport.answer(kTrace, true, 200, "colo=HKG\nip=203.0.113.7\n");
    scheduler.drain();
    answerPings(kTunaPing, std::vector<double>(8, kStep));
    EXPECT_EQ(samples.size(), 8u);
    EXPECT_EQ(engine->result().networkInfo, "CF HKG · 203.0.113.7");
}

// --- Latency and jitter ---

struct LatencyCase {
    std::vector<double> rttMs;
    double latency;
    double jitter;
};

class LatencyTest : public SpeedTestEngineTest, public testing::WithParamInterface<LatencyCase> {};

TEST_P(LatencyTest, MedianAndJitterOfTheSeries) {
    const LatencyCase& c = GetParam();
    std::vector<double> seconds;
    for (double ms : c.rttMs)
        seconds.push_back(ms / 1000);
    seconds.resize(8, -1); // the remaining requests fail
    startWithPreferred("tuna");
    answerPings(kTunaPing, seconds);
    ASSERT_EQ(pings.size(), 1u);
    EXPECT_NEAR(pings[0].first, c.latency, 1e-6);
    EXPECT_NEAR(pings[0].second, c.jitter, 1e-6);
    EXPECT_NEAR(engine->result().latencyMs, c.latency, 1e-6);
    EXPECT_EQ(engine->result().downNode, "清华 TUNA");
    EXPECT_EQ(engine->result().downNodeDetail, "北京 · 教育网");
    EXPECT_EQ(engine->phase(), Phase::download);
    EXPECT_EQ(samples.size(), c.rttMs.size());
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, LatencyTest,
    testing::Values(LatencyCase{{20, 22, 21, 100, 23, 22, 21, 24}, 22, 10.0 / 6},
                    LatencyCase{{30, 50}, 50, 20}, LatencyCase{{10, 10, 100}, 10, 45},
                    LatencyCase{{42}, 42, 0},
                    // A slow first sample (connection set-up) moves neither figure.
                    LatencyCase{{300, 20, 21, 20, 21, 20, 21, 20}, 21, 1}));

TEST_F(SpeedTestEngineTest, LatencySendsEightRequestsOneAtATime) {
    startWithPreferred("tuna");
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(transport.open(kTunaPing).size(), 1u);
        transport.answer(kTunaPing, true);
        scheduler.advance(0.1);
        EXPECT_EQ(transport.open(kTunaPing).size(), 0u); // still in the pause
        scheduler.advance(0.025);
    }
    EXPECT_EQ(transport.countStarted(kTunaPing), 8);
}

TEST_F(SpeedTestEngineTest, FullRunDeliversTheResult) {
    startWithPreferred("tuna");
    transport.answer(kTrace, true, 200, "fl=1\nip=203.0.113.7\ncolo=HKG\nloc=CN\n");
    answerPings(kTunaPing, std::vector<double>(8, kStep));
    auto downloads = openDownloads("100mb.bin");
    scheduler.advance(0.5);
    for (auto id : downloads)
        transport.receive(id, 12500000); // 100 MB
    scheduler.advance(9.5);
    const auto uploads = transport.open(kUstcUpload);
    scheduler.advance(1);
    for (auto id : uploads)
        transport.sent(id, 2500000); // 20 MB
    scheduler.advance(7);

    ASSERT_EQ(results.size(), 1u);
    const auto& result = results[0];
    EXPECT_NEAR(result.downMbps, 100e6 * 8 / 9.5 / 1e6, 1e-9);
    EXPECT_NEAR(result.upMbps, 20e6 * 8 / 7 / 1e6, 1e-9);
    EXPECT_NEAR(result.latencyMs, kStep * 1000, 1e-9);
    EXPECT_EQ(result.jitterMs, 0);
    EXPECT_EQ(result.downNode, "清华 TUNA");
    EXPECT_EQ(result.upNode, "中科大 USTC");
    EXPECT_EQ(result.networkInfo, "出口 CN · CF HKG · 203.0.113.7");
    EXPECT_EQ(result.publicIP, "203.0.113.7");
    EXPECT_EQ(result.iface, "eth0");
    EXPECT_EQ(result.mac, "AA:BB:CC:DD:EE:FF");
    EXPECT_EQ(result.ipv4, "192.168.1.23");
    EXPECT_EQ(result.ipv6, "2001:db8::7");
    EXPECT_EQ(phases, (std::vector{Phase::probing, Phase::ping, Phase::download, Phase::upload,
                                   Phase::done}));
    EXPECT_EQ(engine->phase(), Phase::done);
    EXPECT_EQ(transport.openCount(), 0);
    const auto tickCount = ticks.size();
    scheduler.advance(2);
    EXPECT_EQ(ticks.size(), tickCount); // the ticker stopped
}

TEST_F(SpeedTestEngineTest, StopDuringDownloadCancelsEveryTransfer) {
    reachDownload("tuna", kTunaPing);
    scheduler.advance(1);
    engine->stop();
    EXPECT_EQ(transport.openCount(), 0);
    EXPECT_EQ(phases.back(), Phase::idle);
    scheduler.advance(20);
    EXPECT_TRUE(results.empty());
    EXPECT_TRUE(errors.empty());
}

TEST_F(SpeedTestEngineTest, StopFromACallbackEndsTheRun) {
    engine->onNodePicked = [this](const SpeedTestNode&, const UploadTestNode&, const QString&) {
        engine->stop();
    };
    reachDownload("tuna", kTunaPing);
    scheduler.advance(10); // no data: the fallback announces huawei, whose handler stops
    EXPECT_EQ(engine->phase(), Phase::idle);
    EXPECT_EQ(transport.openCount(), 0);
    EXPECT_EQ(phases.back(), Phase::idle);
}

TEST_F(SpeedTestEngineTest, AnswersAfterTheEngineIsGoneAreDropped) {
    reachDownload("tuna", kTunaPing);
    auto transfers = transport.transfers;
    engine.reset();
    EXPECT_EQ(transport.openCount(), 0);
    for (const auto& transfer : transfers) {
        if (transfer.callbacks.onComplete)
            transfer.callbacks.onComplete({true, 200, {}, {}});
    }
    scheduler.advance(1);
    EXPECT_TRUE(results.empty());
}

// --- Trace answers ---

TEST(ParseTraceTest, KeepsLocColoAndIp) {
    using P = std::pair<QString, QString>;
    EXPECT_EQ(SpeedTestEngine::parseTrace(u"fl=1\nip=203.0.113.7\ncolo=HKG\nloc=CN\n"),
              (P{"出口 CN · CF HKG · 203.0.113.7", "203.0.113.7"}));
    EXPECT_EQ(SpeedTestEngine::parseTrace(u"ip=203.0.113.7\ncolo=HKG"),
              (P{"CF HKG · 203.0.113.7", "203.0.113.7"}));
    EXPECT_EQ(SpeedTestEngine::parseTrace(u""), (P{"", ""}));
    EXPECT_EQ(SpeedTestEngine::parseTrace(u"ip=1.2.3.4\nip=\n"), (P{"1.2.3.4", "1.2.3.4"}));
    EXPECT_EQ(SpeedTestEngine::parseTrace(u"ip=1.2.3.4\nip=5.6.7.8\nLOC=CN\nloc\n"),
              (P{"5.6.7.8", "5.6.7.8"}));
    // Leading separators are skipped.
    EXPECT_EQ(SpeedTestEngine::parseTrace(u"=loc=XY\n"), (P{"出口 XY", ""}));
}

} // namespace
