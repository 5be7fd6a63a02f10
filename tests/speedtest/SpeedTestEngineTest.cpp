#include "speedtest/SpeedTestEngine.h"

#include "FakeScheduler.h"
#include "FakeTransport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Phase = SpeedTestEngine::Phase;

// Host parts of the built-in catalogue's URLs, as the fake transport matches them.
const QString kTrace = QStringLiteral("/cdn-cgi/trace");
const QString kTunaPing = QStringLiteral("tuna.tsinghua.edu.cn/ubuntu-releases/22.04/SHA256SUMS");
const QString kHuaweiPing = QStringLiteral("huaweicloud.com/ubuntu-releases/22.04/SHA256SUMS");
const QString kBfsuPing = QStringLiteral("bfsu.edu.cn/ubuntu-releases/22.04/SHA256SUMS");
const QString kUstcUpload = QStringLiteral("/backend/empty.php");
const QString kCfUpload = QStringLiteral("/__up");

// Binary fractions keep every time stamp exact, so phase ends fall on exact ticks.
constexpr double kStep = 1.0 / 64;

class SpeedTestEngineTest : public testing::Test {
protected:
    SpeedTestEngineTest() { makeEngine(NodeCatalogue::builtIn()); }

    void makeEngine(NodeCatalogue catalogue) {
        engine.reset();
        SpeedTestTuning tuning;
        tuning.pingPause = 0.125;
        engine = std::make_unique<SpeedTestEngine>(transport, scheduler, clock,
                                                   std::move(catalogue), tuning);
        engine->identitySource = [] {
            return NetworkIdentity::Snapshot{"eth0", "AA:BB:CC:DD:EE:FF", "192.168.1.23",
                                             "2001:db8::7", ""};
        };
        engine->onPhase = [this](Phase phase) { phases.push_back(phase); };
        engine->onError = [this](const QString& message) { errors.push_back(message); };
        engine->onProbe = [this](const QString& name, std::optional<double> ms) {
            probes.push_back({name, ms});
        };
        engine->onNodePicked = [this](const SpeedTestNode& down, const UploadTestNode& up,
                                      const QString&) {
            picked.push_back({down.id, up.id});
        };
        engine->onPingSample = [this](double ms) { samples.push_back(ms); };
        engine->onPing = [this](double latency, double jitter) {
            pings.push_back({latency, jitter});
        };
        engine->onResult = [this](const SpeedTestEngine::Result& result) {
            results.push_back(result);
        };
        engine->onTick = [this](Phase phase, double instant, double average, double progress) {
            ticks.push_back({phase, instant, average, progress});
        };
    }

    // Answers the latency series: each sample after its round-trip time.
    void answerPings(const QString& ping, const std::vector<double>& rttSeconds) {
        for (double rtt : rttSeconds) {
            scheduler.advance(rtt);
            transport.answer(ping, rtt >= 0);
            scheduler.drain();
            scheduler.advance(0.125);
        }
    }

    void startWithPreferred(const QString& id) {
        engine->preferredNodeID = id;
        engine->start();
    }

    // From a start with a preferred node to the download phase with 8 quick pings.
    void reachDownload(const QString& id, const QString& ping) {
        startWithPreferred(id);
        transport.answer(kTrace, false);
        answerPings(ping, std::vector<double>(8, kStep));
        ASSERT_EQ(engine->phase(), Phase::download);
    }

    std::vector<Transport::TransferId> openDownloads(const QString& part) {
        return transport.open(part);
    }

    struct Probe {
        QString name;
        std::optional<double> ms;
    };
    struct Tick {
        Phase phase;
        double instant, average, progress;
    };

    FakeClock clock;
    FakeTransport transport;
    FakeScheduler scheduler{clock};
    std::unique_ptr<SpeedTestEngine> engine;
    std::vector<Phase> phases;
    std::vector<QString> errors;
    std::vector<Probe> probes;
    std::vector<std::pair<QString, QString>> picked;
    std::vector<double> samples;
    std::vector<std::pair<double, double>> pings;
    std::vector<SpeedTestEngine::Result> results;
    std::vector<Tick> ticks;
};

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

// --- Throughput ---

TEST_F(SpeedTestEngineTest, DownloadFigureCountsFromTheFirstByte) {
    reachDownload("tuna", kTunaPing);
    const auto downloads = openDownloads("100mb.bin");
    EXPECT_EQ(downloads.size(), 8u);
    scheduler.advance(2.0);
    for (int i = 0; i < 125; ++i)
        transport.receive(downloads[i % 8], 1000000);
    scheduler.advance(8.0);
    EXPECT_EQ(engine->phase(), Phase::upload);
    EXPECT_NEAR(engine->result().downMbps, 125, 1e-9);
    EXPECT_EQ(transport.open("100mb.bin").size(), 0u);
    EXPECT_EQ(transport.open(kUstcUpload).size(), 8u);
}

TEST_F(SpeedTestEngineTest, AByteJustBeforeTheEndIsDataWithoutAFigure) {
    reachDownload("tuna", kTunaPing);
    scheduler.advance(9.75);
    transport.receive(openDownloads("100mb.bin").front(), 1);
    scheduler.advance(0.25);
    EXPECT_EQ(engine->phase(), Phase::upload);
    EXPECT_EQ(engine->result().downMbps, 0);
    EXPECT_TRUE(picked.empty());
}

TEST_F(SpeedTestEngineTest, DownloadFallsBackThroughTheCandidatesThenFails) {
    reachDownload("tuna", kTunaPing);
    scheduler.advance(10);
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0], (std::pair<QString, QString>{"huawei", "ustc"}));
    EXPECT_EQ(engine->result().downNode, "华为云镜像");
    EXPECT_EQ(engine->result().downNodeDetail, "云 · 多线");
    EXPECT_EQ(transport.open("huaweicloud.com/ubuntu-releases/22.04/ubuntu").size(), 8u);
    scheduler.advance(10);
    EXPECT_EQ(engine->result().downNode, "北外镜像");
    scheduler.advance(10);
    EXPECT_EQ(engine->result().downNode, "Cloudflare");
    EXPECT_TRUE(errors.empty());
    scheduler.advance(10);
    EXPECT_EQ(errors, std::vector<QString>{"下载测速失败：所有候选节点均无数据返回"});
    EXPECT_EQ(engine->phase(), Phase::idle);
    EXPECT_EQ(transport.openCount(), 0);
    EXPECT_EQ(std::count(phases.begin(), phases.end(), Phase::download), 4);
    EXPECT_EQ(transport.countStarted(kTunaPing), 8); // latency is not measured again
    scheduler.advance(5);
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(SpeedTestEngineTest, ErrorPagesAreNotDownloadData) {
    reachDownload("tuna", kTunaPing);
    for (auto id : openDownloads("100mb.bin")) {
        transport.receive(id, 500000, 404);
        transport.complete(id, true, 404);
    }
    scheduler.drain();
    EXPECT_EQ(transport.open("100mb.bin").size(), 0u); // error answers are not replaced
    scheduler.advance(10);
    EXPECT_EQ(engine->result().downNode, "华为云镜像");
    EXPECT_EQ(engine->phase(), Phase::download);
}

TEST_F(SpeedTestEngineTest, CompletedDownloadsAreReplaced) {
    reachDownload("tuna", kTunaPing);
    const auto first = openDownloads("100mb.bin").front();
    transport.receive(first, 65536);
    transport.complete(first, true);
    scheduler.drain();
    EXPECT_EQ(transport.open("100mb.bin").size(), 8u);
    EXPECT_EQ(transport.countStarted("100mb.bin"), 9);
    transport.complete(openDownloads("100mb.bin").front(), false);
    scheduler.drain();
    EXPECT_EQ(transport.open("100mb.bin").size(), 7u);
}

// A URL that answers 200 with (next to) nothing must not be asked for again at once.
TEST_F(SpeedTestEngineTest, ShortAnswersAreReplacedAfterADoublingPause) {
    reachDownload("tuna", kTunaPing);
    std::vector<double> startedAt;
    const double phaseStart = clock.elapsedSeconds();
    std::size_t seen = 0;
    while (clock.elapsedSeconds() - phaseStart < 10 - kStep / 2) {
        for (; seen < transport.transfers.size(); ++seen) {
            if (transport.transfers[seen].request.url.toString().contains("100mb.bin"))
                startedAt.push_back(clock.elapsedSeconds() - phaseStart);
        }
        for (auto id : openDownloads("100mb.bin")) {
            transport.receive(id, 65535);
            transport.complete(id, true);
        }
        scheduler.advance(kStep);
    }
    // Eight at the start, then each connection again after 0.5, 1, 2 and 4 s more.
    std::vector<double> expected(8, 0.0);
    for (double at : {0.5, 1.5, 3.5, 7.5})
        expected.insert(expected.end(), 8, at);
    EXPECT_EQ(startedAt, expected);
    EXPECT_EQ(engine->phase(), Phase::upload); // short answers are still data
}

TEST_F(SpeedTestEngineTest, EmptyAnswersFallBackLikeErrors) {
    reachDownload("tuna", kTunaPing);
    for (int step = 0; step < 640; ++step) {
        for (auto id : openDownloads("100mb.bin"))
            transport.complete(id, true); // 200 with an empty body
        scheduler.advance(kStep);
    }
    EXPECT_EQ(transport.countStarted("100mb.bin"), 8 * 5);
    EXPECT_EQ(engine->result().downNode, "华为云镜像");
    EXPECT_EQ(picked, (std::vector<std::pair<QString, QString>>{{"huawei", "ustc"}}));
    const QString huaweiIso = QStringLiteral("huaweicloud.com/ubuntu-releases/22.04/ubuntu");
    scheduler.advance(6); // past tuna's last pause, which ended with its phase
    EXPECT_EQ(transport.countStarted(huaweiIso), 8);
}

TEST_F(SpeedTestEngineTest, AFullAnswerEndsThePause) {
    reachDownload("tuna", kTunaPing);
    const auto first = openDownloads("100mb.bin").front();
    transport.complete(first, true);
    scheduler.advance(0.5);
    const auto second = openDownloads("100mb.bin").back();
    ASSERT_NE(second, first);
    transport.receive(second, 1 << 20);
    transport.complete(second, true);
    scheduler.drain();
    EXPECT_EQ(transport.countStarted("100mb.bin"), 10); // replaced at once
    const auto third = openDownloads("100mb.bin").back();
    transport.complete(third, true);
    scheduler.advance(0.5 - kStep);
    EXPECT_EQ(transport.countStarted("100mb.bin"), 10);
    scheduler.advance(kStep); // the pause starts over at 0.5 s
    EXPECT_EQ(transport.countStarted("100mb.bin"), 11);
}

TEST_F(SpeedTestEngineTest, LateChunksOfCancelledTransfersAreNotCounted) {
    reachDownload("tuna", kTunaPing);
    const auto download = openDownloads("100mb.bin").front();
    scheduler.advance(1);
    transport.receive(download, 1000000);
    scheduler.advance(9);
    ASSERT_EQ(engine->phase(), Phase::upload);
    transport.receive(download, 1000000000); // arrives after its cancellation
    scheduler.advance(8);
    // The upload phase had no data of its own, so the run switched to "cf".
    EXPECT_EQ(engine->activeUpload()->id, "cf");
    EXPECT_EQ(engine->phase(), Phase::upload);
}

TEST_F(SpeedTestEngineTest, UploadSwitchesToCloudflareOnceThenCompletesWithoutData) {
    reachDownload("tuna", kTunaPing);
    transport.receive(openDownloads("100mb.bin").front(), 1000);
    scheduler.advance(10);
    ASSERT_EQ(engine->phase(), Phase::upload);
    const auto body = transport.find(transport.open(kUstcUpload).front())->request.body;
    ASSERT_TRUE(body);
    EXPECT_EQ(body->size(), 10485760);
    EXPECT_EQ(body->count('a'), 10485760);
    scheduler.advance(8);
    EXPECT_EQ(engine->activeUpload()->id, "cf");
    EXPECT_EQ(transport.open(kCfUpload).size(), 8u);
    // Every upload transfer shares one body.
    EXPECT_EQ(transport.find(transport.open(kCfUpload).front())->request.body, body);
    scheduler.advance(8);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].upMbps, 0);
    EXPECT_EQ(results[0].upNode, "Cloudflare");
    EXPECT_EQ(phases.back(), Phase::done);
    EXPECT_EQ(std::count(phases.begin(), phases.end(), Phase::upload), 2);
    EXPECT_TRUE(errors.empty());
}

TEST_F(SpeedTestEngineTest, UploadAlreadyOnCloudflareCompletesAtOnce) {
    NodeCatalogue catalogue = NodeCatalogue::builtIn();
    catalogue.upload.erase(catalogue.upload.begin());
    makeEngine(catalogue);
    engine->start();
    transport.answer(kTrace, false);
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (const QString& ping : {kTunaPing, kHuaweiPing, kBfsuPing, kTrace})
            transport.answer(ping, true);
        scheduler.drain();
    }
    ASSERT_EQ(picked, (std::vector<std::pair<QString, QString>>{{"tuna", "cf"}}));
    answerPings(kTunaPing, std::vector<double>(8, kStep));
    transport.receive(openDownloads("100mb.bin").front(), 1000);
    scheduler.advance(10);
    EXPECT_EQ(engine->activeUpload()->id, "cf");
    scheduler.advance(8);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].upNode, "Cloudflare");
    EXPECT_EQ(std::count(phases.begin(), phases.end(), Phase::upload), 1);
}

// A user catalogue need not have "ustc"; a chosen node must still measure upload.
TEST_F(SpeedTestEngineTest, PreferredNodeWithoutUstcUploadsToTheFirstUploadNode) {
    NodeCatalogue catalogue = NodeCatalogue::builtIn();
    catalogue.upload = {{"home", "家里的上传", QUrl("https://up.example.net/sink")},
                        {"cf", "Cloudflare", QUrl("https://speed.cloudflare.com/__up")}};
    makeEngine(catalogue);
    reachDownload("tuna", kTunaPing);
    EXPECT_EQ(engine->activeUpload()->id, "home");
    transport.receive(openDownloads("100mb.bin").front(), 1000);
    scheduler.advance(10);
    const auto uploads = transport.open("up.example.net/sink");
    ASSERT_EQ(uploads.size(), 8u);
    scheduler.advance(1);
    transport.sent(uploads[0], 700000);
    scheduler.advance(7);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_DOUBLE_EQ(results[0].upMbps, 700000 * 8 / 7.0 / 1000000);
    EXPECT_EQ(results[0].upNode, "家里的上传");
    EXPECT_FALSE(results[0].noUploadNode);
    EXPECT_EQ(transport.countStarted(kCfUpload), 0);
}

TEST_F(SpeedTestEngineTest, WithoutUploadNodesTheRunSaysSoInsteadOfAFigure) {
    NodeCatalogue catalogue = NodeCatalogue::builtIn();
    catalogue.upload.clear();
    makeEngine(catalogue);
    reachDownload("tuna", kTunaPing);
    transport.receive(openDownloads("100mb.bin").front(), 1000);
    scheduler.advance(10);
    ASSERT_EQ(results.size(), 1u); // no upload phase to wait out
    EXPECT_TRUE(results[0].noUploadNode);
    EXPECT_EQ(results[0].upNode, "—");
    EXPECT_EQ(results[0].upMbps, 0);
    EXPECT_EQ(phases, (std::vector{Phase::probing, Phase::ping, Phase::download, Phase::done}));
}

TEST_F(SpeedTestEngineTest, UploadCountsGrowthOfCumulativeTotals) {
    reachDownload("tuna", kTunaPing);
    transport.receive(openDownloads("100mb.bin").front(), 1000);
    scheduler.advance(10);
    const auto upload = transport.open(kUstcUpload).front();
    scheduler.advance(1);
    transport.sent(upload, 1000);
    transport.sent(upload, 1000);
    transport.sent(upload, 3000);
    scheduler.advance(7);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_DOUBLE_EQ(results[0].upMbps, 3000 * 8 / 7.0 / 1000000);
    EXPECT_EQ(results[0].upNode, "中科大 USTC");
}

TEST_F(SpeedTestEngineTest, RefusedUploadsCountNothing) {
    reachDownload("tuna", kTunaPing);
    transport.receive(openDownloads("100mb.bin").front(), 1000);
    scheduler.advance(10);
    const auto uploads = transport.open(kUstcUpload);
    scheduler.advance(1);
    transport.sent(uploads[0], 300000);
    transport.complete(uploads[0], true, 413, {}, 10485760);
    transport.sent(uploads[1], 200000);
    transport.complete(uploads[1], true, 200); // taken: counts, and is replaced
    scheduler.drain();
    EXPECT_EQ(transport.open(kUstcUpload).size(), 7u);
    scheduler.advance(7);
    EXPECT_EQ(engine->activeUpload()->id, "ustc"); // had data, so no switch
    ASSERT_EQ(results.size(), 1u);
    EXPECT_DOUBLE_EQ(results[0].upMbps, 200000 * 8 / 7.0 / 1000000);
}

TEST_F(SpeedTestEngineTest, TheEndOfATakenUploadCountsItsWholeBody) {
    reachDownload("tuna", kTunaPing);
    transport.receive(openDownloads("100mb.bin").front(), 1000);
    scheduler.advance(10);
    const auto upload = transport.open(kUstcUpload).front();
    scheduler.advance(1);
    transport.sent(upload, 4000000);
    transport.complete(upload, true, 200, {}, 10485760);
    scheduler.advance(7);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_DOUBLE_EQ(results[0].upMbps, 10485760 * 8 / 7.0 / 1000000);
}

// The refusal and the body's last count arrive together: no tick may show the body.
TEST_F(SpeedTestEngineTest, ARefusedBodyNeverShowsInATick) {
    reachDownload("tuna", kTunaPing);
    transport.receive(openDownloads("100mb.bin").front(), 1000);
    scheduler.advance(10);
    const auto uploads = transport.open(kUstcUpload);
    scheduler.advance(0.5);
    transport.sent(uploads[0], 125000);
    scheduler.advance(0.5);
    ticks.clear();
    transport.complete(uploads[0], true, 413, {}, 10485760);
    scheduler.advance(0.25);
    transport.sent(uploads[1], 250000);
    scheduler.advance(0.25);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0].instant, 0);
    EXPECT_EQ(ticks[0].average, 0);
    EXPECT_NEAR(ticks[1].instant, 250000 * 8 / 0.25 / 1e6, 1e-9);
    scheduler.advance(6.5);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_NEAR(results[0].upMbps, 250000 * 8 / 6.75 / 1e6, 1e-9);
}

TEST_F(SpeedTestEngineTest, AnUploadNodeThatRefusesEverythingHasNoData) {
    reachDownload("tuna", kTunaPing);
    transport.receive(openDownloads("100mb.bin").front(), 1000);
    scheduler.advance(10);
    for (auto id : transport.open(kUstcUpload)) {
        transport.sent(id, 65536);
        transport.complete(id, true, 403);
    }
    scheduler.advance(8);
    EXPECT_EQ(engine->activeUpload()->id, "cf");
    EXPECT_TRUE(results.empty());
}

TEST_F(SpeedTestEngineTest, TicksReportRatesAndProgress) {
    reachDownload("tuna", kTunaPing);
    ticks.clear();
    const auto download = openDownloads("100mb.bin").front();
    scheduler.advance(0.125);
    transport.receive(download, 500000);
    scheduler.advance(0.125); // tick 1: 0.5 MB over 0.25 s
    scheduler.advance(0.125);
    transport.receive(download, 250000);
    scheduler.advance(0.125); // tick 2
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0].phase, Phase::download);
    EXPECT_NEAR(ticks[0].instant, 16, 1e-9);
    EXPECT_EQ(ticks[0].average, 0); // first byte only 0.125 s ago
    EXPECT_NEAR(ticks[0].progress, 0.025, 1e-12);
    EXPECT_NEAR(ticks[1].instant, 8, 1e-9);
    EXPECT_NEAR(ticks[1].average, 750000 * 8 / 0.375 / 1e6, 1e-9);
}

TEST_F(SpeedTestEngineTest, InstantaneousRateIsZeroWhenTheSampleIsTooRecent) {
    SpeedTestTuning tuning;
    tuning.tickInterval = 0.1;
    engine = std::make_unique<SpeedTestEngine>(transport, scheduler, clock,
                                               NodeCatalogue::builtIn(), tuning);
    engine->onTick = [this](Phase phase, double instant, double average, double progress) {
        ticks.push_back({phase, instant, average, progress});
    };
    engine->preferredNodeID = "tuna";
    engine->start();
    for (int i = 0; i < 8; ++i) {
        scheduler.advance(kStep);
        transport.answer(kTunaPing, true);
        scheduler.advance(0.12);
    }
    ASSERT_EQ(engine->phase(), Phase::download);
    ticks.clear();
    transport.receive(transport.open("100mb.bin").front(), 1000000);
    scheduler.advance(0.2);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0].instant, 0); // 0.1 s after the phase start
    EXPECT_NEAR(ticks[1].instant, 1000000 * 8 / 0.2 / 1e6, 1e-6);
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
