#include "traffic/core/TrafficChartData.h"
#include "traffic/core/TrafficChartLayout.h"

#include <gtest/gtest.h>

namespace {

std::vector<DayTotal> days(std::initializer_list<const char*> keys) {
    std::vector<DayTotal> list;
    quint64 n = 1;
    for (const char* key : keys) {
        list.push_back({QString::fromLatin1(key), n, n * 10});
        ++n;
    }
    return list;
}

QStringList labels(const std::vector<BarGroup>& groups) {
    QStringList list;
    for (const auto& group : groups)
        list << group.label;
    return list;
}

} // namespace

TEST(TrafficChartData, DailyBelow46DaysMonthlyFrom46) {
    const auto perDay = days({"2024-01-05", "2024-01-31", "2024-02-01"});
    const auto daily = buildBarData(perDay, 45);
    EXPECT_EQ(labels(daily), QStringList({"1/5", "1/31", "2/1"}));
    EXPECT_EQ(daily[2], (BarGroup{"2/1", 3, 30}));

    const auto monthly = buildBarData(perDay, 46);
    EXPECT_EQ(monthly, (std::vector<BarGroup>{{"1月", 3, 30}, {"2月", 3, 30}}));
}

TEST(TrafficChartData, MonthlyAcrossYearsAndOddKeys) {
    const auto groups = buildBarData(
        days({"2023-12-30", "2023-12-31", "not-a-day", "2024-01-02", "2024-xx-03"}), 400);
    // "not-a-day" has three pieces with an unreadable month; "2024-xx-03" too.
    EXPECT_EQ(labels(groups), QStringList({"12月", "0月", "1月", "0月"}));
    EXPECT_EQ(groups[0].inBytes, 3u);
    EXPECT_EQ(groups[0].outBytes, 30u);
    EXPECT_TRUE(buildBarData({}, 400).empty());
}

TEST(TrafficChartLayout, LabelSteps) {
    EXPECT_EQ(TrafficChartLayout::compute(588, 196, 15).labelStep, 1);
    EXPECT_EQ(TrafficChartLayout::compute(588, 196, 16).labelStep, 2);
    EXPECT_EQ(TrafficChartLayout::compute(588, 196, 24).labelStep, 2);
    EXPECT_EQ(TrafficChartLayout::compute(588, 196, 25).labelStep, 3);
    EXPECT_EQ(TrafficChartLayout::compute(588, 196, 30).labelStep, 3);
    EXPECT_EQ(TrafficChartLayout::compute(588, 196, 365).labelStep, 31);
}

TEST(TrafficChartLayout, GeometryAndWidthLimits) {
    const auto seven = TrafficChartLayout::compute(588, 196, 7);
    EXPECT_DOUBLE_EQ(seven.plotHeight, 128);
    EXPECT_DOUBLE_EQ(seven.zeroLineY(), 154);
    EXPECT_DOUBLE_EQ(seven.slot, 514.0 / 7);
    EXPECT_DOUBLE_EQ(seven.groupWidth, 38); // slot - 10 = 63.4, capped
    EXPECT_DOUBLE_EQ(seven.groupX(0), 58 + (514.0 / 7 - 38) / 2);

    const auto thirty = TrafficChartLayout::compute(588, 196, 30);
    EXPECT_DOUBLE_EQ(thirty.groupWidth, 514.0 / 30 - 10);

    const auto wide = TrafficChartLayout::compute(4000, 196, 2);
    EXPECT_DOUBLE_EQ(wide.groupWidth, 38);

    const auto many = TrafficChartLayout::compute(588, 196, 60);
    EXPECT_DOUBLE_EQ(many.groupWidth, 2); // 8.57 - 10 is below the minimum
    const auto dense = TrafficChartLayout::compute(588, 196, 61);
    EXPECT_DOUBLE_EQ(dense.groupWidth, 514.0 / 61 - 1); // gap shrinks to 1 above 60
    const auto crowded = TrafficChartLayout::compute(588, 196, 3650);
    EXPECT_DOUBLE_EQ(crowded.groupWidth, 2);
}

TEST(TrafficChartLayout, BarsAreAtLeastOnePoint) {
    const auto layout = TrafficChartLayout::compute(588, 196, 3);
    EXPECT_DOUBLE_EQ(layout.barHeight(0, 1e6), 1);
    EXPECT_DOUBLE_EQ(layout.barHeight(1, 1e6), 1);
    EXPECT_DOUBLE_EQ(layout.barHeight(500000, 1e6), 64);
    EXPECT_DOUBLE_EQ(layout.barHeight(1000000, 1e6), 128);
}

TEST(TrafficChartScale, DecimalTiers) {
    EXPECT_DOUBLE_EQ(chartScaleTop(0), 1e6);
    EXPECT_DOUBLE_EQ(chartScaleTop(1), 1e6);
    EXPECT_DOUBLE_EQ(chartScaleTop(1000000), 1e6);
    EXPECT_DOUBLE_EQ(chartScaleTop(1000001), 5e6);
    EXPECT_DOUBLE_EQ(chartScaleTop(5000001), 1e7);
    EXPECT_DOUBLE_EQ(chartScaleTop(999999999), 1e9);
    EXPECT_DOUBLE_EQ(chartScaleTop(100000000000ULL), 1e11);
    EXPECT_DOUBLE_EQ(chartScaleTop(200000000000ULL), 2.2e11);
    const auto layout = TrafficChartLayout::compute(588, 196, 1);
    const quint64 big = 300000000000ULL;
    EXPECT_NEAR(layout.barHeight(big, chartScaleTop(big)) / layout.plotHeight, 1 / 1.1, 1e-9);
}
