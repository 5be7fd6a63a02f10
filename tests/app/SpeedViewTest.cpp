#include "ball/SpeedView.h"

#include <gtest/gtest.h>

namespace {

TickResult tick(double up, double down, quint64 dUp, quint64 dDown) {
    return {dUp, dDown, up, down};
}

TEST(SpeedViewStats, TicksUpdateRatesPeaksTotalsAndHistories) {
    SpeedView view;
    EXPECT_EQ(view.upHistory.size(), 60u);
    view.recordTick(tick(100, 2000, 100, 2000));
    view.recordTick(tick(50, 3000, 50, 3000));
    view.recordTick(tick(70, 1000, 70, 1000));
    EXPECT_DOUBLE_EQ(view.uploadSpeed, 70);
    EXPECT_DOUBLE_EQ(view.downloadSpeed, 1000);
    EXPECT_DOUBLE_EQ(view.peakUp, 100);
    EXPECT_DOUBLE_EQ(view.peakDown, 3000);
    EXPECT_EQ(view.totalUp, 220u);
    EXPECT_EQ(view.totalDown, 6000u);
    EXPECT_EQ(view.upHistory.size(), 60u);
    EXPECT_DOUBLE_EQ(view.upHistory[57], 100);
    EXPECT_DOUBLE_EQ(view.upHistory[59], 70);
    EXPECT_DOUBLE_EQ(view.downHistory[58], 3000);
    EXPECT_DOUBLE_EQ(view.downHistory[56], 0);
}

TEST(SpeedViewStats, SixtyFirstTickDropsTheOldest) {
    SpeedView view;
    for (int i = 1; i <= 61; ++i)
        view.recordTick(tick(i, 10 * i, 0, 0));
    ASSERT_EQ(view.upHistory.size(), 60u);
    ASSERT_EQ(view.downHistory.size(), 60u);
    EXPECT_DOUBLE_EQ(view.upHistory.front(), 2);
    EXPECT_DOUBLE_EQ(view.upHistory.back(), 61);
    EXPECT_DOUBLE_EQ(view.downHistory.front(), 20);
    EXPECT_DOUBLE_EQ(view.downHistory.back(), 610);
}

TEST(SpeedViewStats, ResetClearsEverythingButTheCurrentRates) {
    SpeedView view;
    view.recordTick(tick(5, 6, 500, 600));
    view.resetStats();
    EXPECT_DOUBLE_EQ(view.uploadSpeed, 5);
    EXPECT_DOUBLE_EQ(view.downloadSpeed, 6);
    EXPECT_EQ(view.peakUp, 0);
    EXPECT_EQ(view.peakDown, 0);
    EXPECT_EQ(view.totalUp, 0u);
    EXPECT_EQ(view.totalDown, 0u);
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(view.upHistory[i], 0);
        EXPECT_EQ(view.downHistory[i], 0);
    }
}

} // namespace
