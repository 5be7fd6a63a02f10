#include "ball/SparklineLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using SparklineLayout::Bar;

std::vector<double> zeros() {
    return std::vector<double>(60, 0.0);
}

TEST(SparklineLayout, BarsSpreadAcrossTheBallWidth) {
    const auto up = zeros(), down = zeros();
    const std::vector<Bar> bars = SparklineLayout::bars(up, down, 216);
    ASSERT_EQ(bars.size(), 60u);
    EXPECT_DOUBLE_EQ(bars[0].x, 14);
    EXPECT_NEAR(bars[1].x - bars[0].x, 3.1333, 1e-4);
    EXPECT_NEAR(bars[0].width, 1.9333, 1e-4);
    EXPECT_NEAR(bars[59].x, 198.87, 1e-2);
    for (const Bar& bar : bars) {
        EXPECT_EQ(bar.downHeight, 0);
        EXPECT_EQ(bar.upHeight, 0);
    }
    // A narrow view keeps bars at least 0.8 wide.
    EXPECT_DOUBLE_EQ(SparklineLayout::bars(up, down, 60)[0].width, 0.8);
}

TEST(SparklineLayout, TheLargestEntryFillsTheHeight) {
    auto up = zeros(), down = zeros();
    down[30] = 2048;
    auto bars = SparklineLayout::bars(up, down, 216);
    EXPECT_DOUBLE_EQ(bars[30].downHeight, 20);
    EXPECT_DOUBLE_EQ(bars[30].upHeight, 0);

    down[30] = 1000000;
    up[30] = 250000;
    down[10] = 500000;
    bars = SparklineLayout::bars(up, down, 216);
    EXPECT_DOUBLE_EQ(bars[30].downHeight, 16);
    EXPECT_DOUBLE_EQ(bars[30].upHeight, 4);
    EXPECT_DOUBLE_EQ(bars[10].downHeight, 8);
}

TEST(SparklineLayout, AQuietMinuteDrawsShortBars) {
    auto up = zeros(), down = zeros();
    for (int i = 0; i < 60; ++i) {
        up[i] = 200;
        down[i] = 300;
    }
    const auto bars = SparklineLayout::bars(up, down, 216);
    EXPECT_NEAR(bars[0].downHeight + bars[0].upHeight, 9.77, 0.01);
    EXPECT_NEAR(bars[59].downHeight, 300.0 / 1024 * 20, 1e-9);
}

TEST(SparklineLayout, NegativeOrNonNumberEntriesCountAsZero) {
    auto up = zeros(), down = zeros();
    up[0] = -5000;
    down[1] = NAN;
    down[2] = INFINITY;
    down[3] = 1024;
    const auto bars = SparklineLayout::bars(up, down, 216);
    EXPECT_EQ(bars[0].upHeight, 0);
    EXPECT_EQ(bars[1].downHeight, 0);
    EXPECT_EQ(bars[2].downHeight, 0);
    EXPECT_DOUBLE_EQ(bars[3].downHeight, 20);
}

} // namespace
