#include "speedtest/core/LoadedLatency.h"
#include "speedtest/core/LoadedLatencyProbe.h"
#include "speedtest/core/SpeedTestResult.h"

#include "FakeScheduler.h"
#include "FakeTransport.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

TEST(LoadedLatencyTest, MedianOfCountedRoundTrips) {
    struct Case {
        std::vector<double> samples;
        std::optional<double> median;
    };
    const Case cases[] = {
        {{}, std::nullopt},
        {{42}, 42},
        {{90, 10, 30}, 30},
        {{40, 10, 30, 20}, 25}, // an even count takes the mean of the two middle ones
        {{2000, 2000, 15, 2000}, 2000},
        {{5, 5, 5, 2000, 2000}, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadedLatency::median(c.samples), c.median) << testing::PrintToString(c.samples);
}

TEST(LoadedLatencyTest, GradeBoundariesBelongToTheNextGrade) {
    const std::pair<double, const char*> cases[] = {
        {0, "A+"}, {4.999, "A+"}, {5, "A"},   {29.999, "A"}, {30, "B"},  {59.999, "B"},
        {60, "C"}, {199.99, "C"}, {200, "D"}, {399.99, "D"}, {400, "F"}, {1984, "F"},
    };
    for (const auto& [increase, grade] : cases)
        EXPECT_EQ(LoadedLatency::grade(increase), QString::fromLatin1(grade)) << increase;
}

TEST(LoadedLatencyTest, IncreaseAndResponsivenessNeedBothDirections) {
    EXPECT_EQ(LoadedLatency::increaseMs(16, 38, 52), 36.0);
    EXPECT_EQ(LoadedLatency::increaseMs(16, 52, 38), 36.0);
    EXPECT_EQ(LoadedLatency::increaseMs(40, 38, 30), 0.0); // never below 0
    EXPECT_EQ(LoadedLatency::increaseMs(16, std::nullopt, 52), std::nullopt);
    EXPECT_EQ(LoadedLatency::increaseMs(16, 38, std::nullopt), std::nullopt);

    EXPECT_NEAR(*LoadedLatency::roundTripsPerMinute(38, 52), 60000.0 / 45, 1e-9);
    EXPECT_NEAR(*LoadedLatency::roundTripsPerMinute(2000, 2000), 30, 1e-9);
    EXPECT_EQ(LoadedLatency::roundTripsPerMinute(std::nullopt, 52), std::nullopt);
    EXPECT_EQ(LoadedLatency::roundTripsPerMinute(38, std::nullopt), std::nullopt);
}

TEST(LoadedLatencyTest, ResultDerivesTheFiguresFromItsIdleAndLoadedLatencies) {
    SpeedTestResult result;
    result.latencyMs = 16;
    EXPECT_EQ(result.bloatMs(), std::nullopt);
    EXPECT_EQ(result.bloatGrade(), QString());
    EXPECT_EQ(result.rpm(), std::nullopt);
    result.loadedDownMs = 38;
    result.loadedUpMs = 52;
    EXPECT_EQ(result.bloatMs(), 36.0);
    EXPECT_EQ(result.bloatGrade(), "B");
    EXPECT_NEAR(*result.rpm(), 1333.33, 0.01);
}

const QUrl kPingUrl(QStringLiteral("https://node.example/ping"));
constexpr double kStep = 1.0 / 64;

// The probe on a fake clock: 250 ms interval, 1 s warm-up, 2 s timeout.
class LoadedLatencyProbeTest : public testing::Test {
protected:
    // Answers each probe after its round trip in seconds: negative fails the request, 2 s or
    // more leaves it unanswered until its timeout. Between probes the clock runs to the next.
    void play(const std::vector<double>& roundTrips) {
        for (double rtt : roundTrips) {
            ASSERT_EQ(transport.open(kPingUrl.toString(), true).size(), 1u);
            if (rtt >= 2) {
                scheduler.advance(2.0);
            } else {
                scheduler.advance(std::abs(rtt));
                transport.answer(kPingUrl.toString(), rtt >= 0, 200, {}, true);
                scheduler.drain();
            }
            while (transport.open(kPingUrl.toString(), true).empty())
                scheduler.advance(kStep);
        }
    }

    FakeClock clock;
    FakeTransport transport;
    FakeScheduler scheduler{clock};
    LoadedLatencyProbe probe{transport, scheduler, clock, {0.25, 1.0, 2.0}};
};

TEST_F(LoadedLatencyProbeTest, SeriesCountsAfterTheWarmUpAndTimeoutsAsTheTimeout) {
    struct Case {
        const char* name;
        std::vector<double> roundTrips;
        std::vector<double> samples;
        std::optional<double> latency;
    };
    const Case cases[] = {
        // Sent at 0, 0.5 (due while the first was out), 0.75, 1.0, 1.25 (due), 1.5, 1.75.
        {"warm-up",
         {0.5, 0.0625, 0.125, 0.25, 0.0625, 0.125, 0.1875},
         {250, 62.5, 125, 187.5},
         156.25},
        // Sent at 0 … 0.75, then 1.0 is never answered: 2000 at 3.0, and the next goes then.
        {"timeout", {0.0625, 0.0625, 0.0625, 0.0625, 2.5, 0.125}, {2000, 125}, 1062.5},
        // Only the warm-up answered: the link stopped answering under load, the worst case.
        {"stalled", {0.0625, 0.0625, 0.0625, 0.0625, 2.5, 2.5}, {2000, 2000}, 2000},
        // Not one answer: nothing tells a dead address from a full queue.
        {"silent", {2.5, 2.5}, {2000}, std::nullopt},
        // A failed request is no round trip.
        {"failures", {0.0625, 0.0625, 0.0625, 0.0625, -0.0625, 0.09375, -0.03125}, {93.75}, 93.75},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        probe.start(kPingUrl);
        play(c.roundTrips);
        EXPECT_EQ(probe.samples(), c.samples);
        EXPECT_EQ(probe.latencyMs(), c.latency);
        probe.stop();
        EXPECT_EQ(transport.openCount(), 0);
    }
}

TEST_F(LoadedLatencyProbeTest, OneProbeAtATimeOnTheSideConnection) {
    probe.start(kPingUrl);
    ASSERT_EQ(transport.transfers.size(), 1u);
    const TransferRequest& request = transport.transfers[0].request;
    EXPECT_TRUE(request.dedicatedConnection);
    EXPECT_EQ(request.url, kPingUrl);
    EXPECT_FALSE(request.body); // a GET, like the idle latency's requests
    EXPECT_GT(request.timeoutSeconds, 2.0);
    EXPECT_LE(request.timeoutSeconds, 5.0);

    scheduler.advance(0.75); // three intervals pass while the first is out
    EXPECT_EQ(transport.transfers.size(), 1u);
    transport.answer(kPingUrl.toString(), true, 200, {}, true);
    scheduler.drain();
    EXPECT_EQ(transport.transfers.size(), 2u); // the due one goes at once, one only
    transport.answer(kPingUrl.toString(), true, 200, {}, true);
    scheduler.drain();
    EXPECT_EQ(transport.transfers.size(), 2u); // the next waits for its interval
    scheduler.advance(0.25);
    EXPECT_EQ(transport.transfers.size(), 3u);
}

TEST_F(LoadedLatencyProbeTest, LateAnswersAndAnswersAfterStopChangeNothing) {
    std::vector<double> updates;
    probe.onUpdate = [&](double ms) { updates.push_back(ms); };
    probe.start(kPingUrl);
    play({0.0625, 0.0625, 0.0625, 0.0625});
    scheduler.advance(2.0); // the probe sent at 1.0 times out
    ASSERT_EQ(probe.samples(), std::vector<double>{2000});
    const Transport::TransferId timedOut = transport.transfers[4].id;
    EXPECT_TRUE(transport.find(timedOut)->cancelled);
    transport.complete(timedOut, true); // its answer comes after all
    scheduler.drain();
    EXPECT_EQ(probe.samples(), std::vector<double>{2000});

    const Transport::TransferId pending = transport.open(kPingUrl.toString(), true).front();
    probe.stop();
    EXPECT_TRUE(transport.find(pending)->cancelled);
    transport.complete(pending, true);
    scheduler.drain();
    scheduler.advance(3);
    EXPECT_EQ(probe.samples(), std::vector<double>{2000});
    EXPECT_EQ(updates, std::vector<double>{2000});
    EXPECT_EQ(transport.openCount(), 0);
}

TEST_F(LoadedLatencyProbeTest, AnswerAfterTheProbeIsGoneIsDropped) {
    auto owned = std::make_unique<LoadedLatencyProbe>(transport, scheduler, clock,
                                                      LoadedLatencyProbe::Settings{0.25, 1.0, 2.0});
    owned->start(kPingUrl);
    const auto callbacks = transport.transfers.back().callbacks;
    owned.reset();
    callbacks.onComplete({true, 200, {}, {}});
    scheduler.advance(3); // would crash or count if anything still pointed at the probe
    EXPECT_EQ(transport.transfers.size(), 1u);
}

} // namespace
