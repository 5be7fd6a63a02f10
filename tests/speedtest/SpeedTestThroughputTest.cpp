#include "SpeedTestEngineFixture.h"

namespace {

class SpeedTestThroughputTest : public SpeedTestEngineTest {};

TEST_F(SpeedTestThroughputTest, DownloadFigureCountsFromTheFirstByte) {
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

TEST_F(SpeedTestThroughputTest, AByteJustBeforeTheEndIsDataWithoutAFigure) {
    reachDownload("tuna", kTunaPing);
    scheduler.advance(9.75);
    transport.receive(openDownloads("100mb.bin").front(), 1);
    scheduler.advance(0.25);
    EXPECT_EQ(engine->phase(), Phase::upload);
    EXPECT_EQ(engine->result().downMbps, 0);
    EXPECT_TRUE(picked.empty());
}

TEST_F(SpeedTestThroughputTest, DownloadFallsBackThroughTheCandidatesThenFails) {
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

TEST_F(SpeedTestThroughputTest, ErrorPagesAreNotDownloadData) {
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

TEST_F(SpeedTestThroughputTest, CompletedDownloadsAreReplaced) {
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
TEST_F(SpeedTestThroughputTest, ShortAnswersAreReplacedAfterADoublingPause) {
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

TEST_F(SpeedTestThroughputTest, EmptyAnswersFallBackLikeErrors) {
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

TEST_F(SpeedTestThroughputTest, AFullAnswerEndsThePause) {
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

TEST_F(SpeedTestThroughputTest, LateChunksOfCancelledTransfersAreNotCounted) {
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

TEST_F(SpeedTestThroughputTest, UploadSwitchesToCloudflareOnceThenCompletesWithoutData) {
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

TEST_F(SpeedTestThroughputTest, UploadAlreadyOnCloudflareCompletesAtOnce) {
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
TEST_F(SpeedTestThroughputTest, PreferredNodeWithoutUstcUploadsToTheFirstUploadNode) {
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

TEST_F(SpeedTestThroughputTest, WithoutUploadNodesTheRunSaysSoInsteadOfAFigure) {
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

TEST_F(SpeedTestThroughputTest, UploadCountsGrowthOfCumulativeTotals) {
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

TEST_F(SpeedTestThroughputTest, RefusedUploadsCountNothing) {
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

TEST_F(SpeedTestThroughputTest, TheEndOfATakenUploadCountsItsWholeBody) {
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
TEST_F(SpeedTestThroughputTest, ARefusedBodyNeverShowsInATick) {
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

TEST_F(SpeedTestThroughputTest, AnUploadNodeThatRefusesEverythingHasNoData) {
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

TEST_F(SpeedTestThroughputTest, TicksReportRatesAndProgress) {
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

TEST_F(SpeedTestThroughputTest, InstantaneousRateIsZeroWhenTheSampleIsTooRecent) {
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

} // namespace
