#include "rates/RateSampler.h"
#include "support/FakeClock.h"

#include <limits>

#include <gtest/gtest.h>

namespace {

InterfaceReading reading(std::vector<InterfaceCounter> counters) {
    return {true, std::move(counters)};
}

InterfaceReading one(quint64 rx, quint64 tx) {
    return reading({{"eth0", rx, tx}});
}

class RateSamplerTest : public testing::Test {
protected:
    FakeClock clock;
    RateSampler sampler{clock};
};

TEST_F(RateSamplerTest, OneSecondOfDownload) {
    sampler.setBaseline(one(1'000'000, 500'000));
    clock.advance(1.0);
    const TickResult tick = sampler.tick(one(1'102'400, 500'000));
    EXPECT_EQ(tick.dDown, 102400u);
    EXPECT_EQ(tick.dUp, 0u);
    EXPECT_DOUBLE_EQ(tick.down, 102400.0);
    EXPECT_DOUBLE_EQ(tick.up, 0.0);
}

TEST_F(RateSamplerTest, ShortOrBackwardIntervalsDivideByTheFloor) {
    sampler.setBaseline(one(0, 0));
    clock.advance(0.05);
    EXPECT_DOUBLE_EQ(sampler.tick(one(1000, 0)).down, 5000.0);
    clock.advance(0.0);
    EXPECT_DOUBLE_EQ(sampler.tick(one(2000, 0)).down, 5000.0);
}

TEST_F(RateSamplerTest, CounterGoingBackwardsCountsZeroThenMeasuresFromLowerValue) {
    sampler.setBaseline(one(5'000'000, 100));
    clock.advance(1.0);
    const TickResult dropped = sampler.tick(one(4'000'000, 300));
    EXPECT_EQ(dropped.dDown, 0u);
    EXPECT_DOUBLE_EQ(dropped.down, 0.0);
    EXPECT_EQ(dropped.dUp, 200u);
    clock.advance(1.0);
    EXPECT_EQ(sampler.tick(one(4'000'500, 300)).dDown, 500u);
}

TEST_F(RateSamplerTest, FailedReadKeepsPreviousReadingAndTime) {
    sampler.setBaseline(one(1000, 1000));
    clock.advance(1.0);
    const TickResult failed = sampler.tick(InterfaceReading{});
    EXPECT_EQ(failed.dDown, 0u);
    EXPECT_EQ(failed.dUp, 0u);
    EXPECT_EQ(sampler.lastTotals(), (NetTotals{1000, 1000}));
    clock.advance(1.0);
    // Two seconds of traffic since the last good reading, not the whole counters.
    const TickResult next = sampler.tick(one(3000, 1400));
    EXPECT_EQ(next.dDown, 2000u);
    EXPECT_EQ(next.dUp, 400u);
    EXPECT_DOUBLE_EQ(next.down, 1000.0);
    EXPECT_DOUBLE_EQ(next.up, 200.0);
}

TEST_F(RateSamplerTest, InterfacesAppearingAndDisappearing) {
    sampler.setBaseline(reading({{"eth0", 100, 100}, {"wlan0", 5000, 5000}}));
    clock.advance(1.0);
    // A re-plugged adapter with large counters contributes nothing on its first reading.
    TickResult tick = sampler.tick(
        reading({{"eth0", 200, 150}, {"wlan0", 6000, 5500}, {"usb0", 9'000'000'000, 7}}));
    EXPECT_EQ(tick.dDown, 1100u);
    EXPECT_EQ(tick.dUp, 550u);
    clock.advance(1.0);
    // wlan0 disappears while eth0 grows: eth0's growth still counts.
    tick = sampler.tick(reading({{"eth0", 1200, 250}, {"usb0", 9'000'000'100, 7}}));
    EXPECT_EQ(tick.dDown, 1100u);
    EXPECT_EQ(tick.dUp, 100u);
}

TEST_F(RateSamplerTest, SleepSpreadsBytesOverTheWholeGap) {
    sampler.setBaseline(one(0, 0));
    clock.advance(600.0);
    EXPECT_DOUBLE_EQ(sampler.tick(one(6000, 0)).down, 10.0);
}

TEST_F(RateSamplerTest, HugeDeltasSaturateInsteadOfWrapping) {
    const quint64 max = std::numeric_limits<quint64>::max();
    sampler.setBaseline(reading({{"a", 0, 0}, {"b", 0, 0}}));
    clock.advance(1.0);
    const TickResult tick = sampler.tick(reading({{"a", max, 1}, {"b", max, 1}}));
    EXPECT_EQ(tick.dDown, max);
    EXPECT_EQ(tick.dUp, 2u);
}

TEST(NetTotals, SumsSaturate) {
    const quint64 max = std::numeric_limits<quint64>::max();
    EXPECT_EQ(sumCounters({{"a", 1, 2}, {"b", 3, 4}}), (NetTotals{4, 6}));
    EXPECT_EQ(sumCounters({{"a", max, 2}, {"b", 3, 4}}), (NetTotals{max, 6}));
    EXPECT_EQ(sumCounters({}), (NetTotals{0, 0}));
}

} // namespace
