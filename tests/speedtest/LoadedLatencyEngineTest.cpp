#include "SpeedTestEngineFixture.h"

#include <algorithm>

namespace {

// The engine's latency probes under load, on the fake transport and clock.
class LoadedLatencyEngineTest : public SpeedTestEngineTest {
protected:
    std::vector<Transport::TransferId> openProbes() const { return transport.open({}, true); }

    // Runs the clock for the given time, answering each probe after rtt seconds.
    void answerProbes(double seconds, double rtt) {
        const double end = clock.elapsedSeconds() + seconds;
        while (clock.elapsedSeconds() + 1e-9 < end) {
            const auto probes = openProbes();
            if (probes.empty() || clock.elapsedSeconds() + rtt > end) {
                scheduler.advance(kStep);
                continue;
            }
            scheduler.advance(rtt);
            transport.complete(probes.front(), true);
            scheduler.drain();
        }
    }

    std::vector<std::pair<Phase, double>> loaded;
};

TEST_F(LoadedLatencyEngineTest, EachTransferPhaseMeasuresItsOwnLoadedLatency) {
    engine->onLoadedLatency = [this](Phase phase, double ms) { loaded.push_back({phase, ms}); };
    reachDownload("tuna", kTunaPing);
    const auto downloads = openDownloads("100mb.bin");
    ASSERT_EQ(downloads.size(), 8u);
    for (auto id : downloads)
        EXPECT_FALSE(transport.find(id)->request.dedicatedConnection);
    const auto probes = openProbes();
    ASSERT_EQ(probes.size(), 1u);
    EXPECT_TRUE(transport.find(probes[0])->request.url.toString().contains(kTunaPing));

    for (auto id : downloads)
        transport.receive(id, 12500000);
    answerProbes(10, 2 * kStep); // 31.25 ms
    ASSERT_EQ(engine->phase(), Phase::upload);
    EXPECT_EQ(transport.countStarted("100mb.bin"), 8); // the probes took no transfer's place
    for (auto id : transport.open(kUstcUpload))
        transport.sent(id, 2500000);
    ASSERT_EQ(openProbes().size(), 1u);
    EXPECT_TRUE(transport.find(openProbes()[0])->request.url.toString().contains(kTunaPing));
    answerProbes(8, 4 * kStep); // 62.5 ms

    ASSERT_EQ(results.size(), 1u);
    const auto& result = results[0];
    EXPECT_EQ(result.loadedDownMs, 31.25);
    EXPECT_EQ(result.loadedUpMs, 62.5);
    EXPECT_EQ(result.bloatMs(), 62.5 - kStep * 1000);
    EXPECT_EQ(result.bloatGrade(), "B");
    EXPECT_EQ(result.rpm(), 60000 / 46.875);
    EXPECT_EQ(transport.openCount(), 0);

    ASSERT_FALSE(loaded.empty());
    const auto firstUpload = std::find_if(loaded.begin(), loaded.end(),
                                          [](const auto& l) { return l.first == Phase::upload; });
    ASSERT_NE(firstUpload, loaded.end());
    for (auto it = loaded.begin(); it != loaded.end(); ++it)
        EXPECT_EQ(it->second, it < firstUpload ? 31.25 : 62.5);
    EXPECT_TRUE(std::all_of(loaded.begin(), firstUpload,
                            [](const auto& l) { return l.first == Phase::download; }));
    EXPECT_TRUE(std::all_of(firstUpload, loaded.end(),
                            [](const auto& l) { return l.first == Phase::upload; }));
}

TEST_F(LoadedLatencyEngineTest, FallbackNodeIsProbedAfreshAndNoAnswerLeavesNoFigure) {
    reachDownload("tuna", kTunaPing);
    answerProbes(10, 2 * kStep); // answered, but no download byte: on to huawei
    ASSERT_EQ(engine->phase(), Phase::download);
    const auto probes = openProbes();
    ASSERT_EQ(probes.size(), 1u);
    EXPECT_TRUE(transport.find(probes[0])->request.url.toString().contains(kHuaweiPing));
    for (auto id : openDownloads("huaweicloud.com"))
        transport.receive(id, 1000000);
    scheduler.advance(10); // huawei's probes never answer
    ASSERT_EQ(engine->phase(), Phase::upload);
    engine->stop();
    EXPECT_EQ(transport.openCount(), 0);
    EXPECT_EQ(engine->result().loadedDownMs, std::nullopt);
}

TEST_F(LoadedLatencyEngineTest, RunWithoutUploadNodeHasNoResponsiveness) {
    NodeCatalogue catalogue = NodeCatalogue::builtIn();
    catalogue.upload.clear();
    makeEngine(catalogue);
    reachDownload("tuna", kTunaPing);
    for (auto id : openDownloads("100mb.bin"))
        transport.receive(id, 12500000);
    answerProbes(10, 2 * kStep);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].loadedDownMs, 31.25);
    EXPECT_EQ(results[0].loadedUpMs, std::nullopt);
    EXPECT_EQ(results[0].bloatMs(), std::nullopt);
    EXPECT_EQ(results[0].rpm(), std::nullopt);
}

} // namespace
