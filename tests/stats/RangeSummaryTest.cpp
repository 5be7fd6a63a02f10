#include "traffic/core/RangeSummary.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

DailyTraffic day(quint64 in, quint64 out, std::map<QString, AppTraffic> apps = {}) {
    return DailyTraffic{in, out, std::move(apps)};
}

} // namespace

TEST(RangeSummaryKeys, InclusiveAscendingAndEmptyWhenReversed) {
    EXPECT_EQ(dayKeys(QDate(2024, 2, 27), QDate(2024, 3, 2)),
              QStringList({"2024-02-27", "2024-02-28", "2024-02-29", "2024-03-01", "2024-03-02"}));
    EXPECT_EQ(dayKeys(QDate(2024, 3, 2), QDate(2024, 3, 2)), QStringList({"2024-03-02"}));
    EXPECT_TRUE(dayKeys(QDate(2024, 3, 3), QDate(2024, 3, 2)).isEmpty());
    EXPECT_TRUE(dayKeys(QDate(), QDate(2024, 3, 2)).isEmpty());
    EXPECT_EQ(dayKeys(QDate(2014, 1, 1), QDate(2023, 12, 31)).size(), 3652);
}

TEST(RangeSummaryAggregate, EmptyRange) {
    const TrafficData data = {{"2024-01-01", day(5, 6)}};
    const RangeSummary summary = aggregate(data, dayKeys(QDate(2024, 2, 1), QDate(2024, 2, 7)));
    EXPECT_EQ(summary.totalIn, 0u);
    EXPECT_EQ(summary.totalOut, 0u);
    EXPECT_TRUE(summary.perDay.empty());
    EXPECT_TRUE(summary.apps.empty());
    EXPECT_TRUE(sortedApps(summary.apps).empty());
}

TEST(RangeSummaryAggregate, SumsRecordedDaysOnlyAndMergesApps) {
    const TrafficData data = {
        {"2024-02-29", day(999, 999, {{"before", {1, 1}}})},
        {"2024-03-01", day(100, 10, {{"curl", {40, 4}}, {"WeChat", {1, 2}}})},
        {"2024-03-03", day(200, 20)}, // no applications
        {"2024-03-04", day(300, 30, {{"WeChat", {10, 20}}, {"zsh", {0, 0}}})},
        {"2024-03-09", day(999, 999)},
    };
    const RangeSummary summary = aggregate(data, dayKeys(QDate(2024, 3, 1), QDate(2024, 3, 7)));
    EXPECT_EQ(summary.totalIn, 600u);
    EXPECT_EQ(summary.totalOut, 60u);
    const std::vector<DayTotal> expectedDays = {
        {"2024-03-01", 100, 10}, {"2024-03-03", 200, 20}, {"2024-03-04", 300, 30}};
    EXPECT_EQ(summary.perDay, expectedDays);
    const std::map<QString, AppTraffic> expectedApps = {
        {"curl", {40, 4}}, {"WeChat", {11, 22}}, {"zsh", {0, 0}}};
    EXPECT_EQ(summary.apps, expectedApps);
}

TEST(RangeSummaryAggregate, HugeCountsSaturateInsteadOfWrapping) {
    constexpr quint64 kBig = quint64(std::numeric_limits<qint64>::max());
    const TrafficData data = {{"2024-03-01", day(kBig, 1, {{"a", {kBig, 0}}})},
                              {"2024-03-02", day(kBig, 1, {{"a", {kBig, 0}}})},
                              {"2024-03-03", day(kBig, 1, {{"a", {kBig, 0}}})}};
    const RangeSummary summary = aggregate(data, dayKeys(QDate(2024, 3, 1), QDate(2024, 3, 3)));
    EXPECT_EQ(summary.totalIn, std::numeric_limits<quint64>::max());
    EXPECT_EQ(summary.totalOut, 3u);
    EXPECT_EQ(summary.apps.at("a").bytesIn, std::numeric_limits<quint64>::max());
}

TEST(RangeSummarySortedApps, LargestFirstZeroesKeptUnlessAllZero) {
    const std::map<QString, AppTraffic> apps = {
        {"a", {1, 1}}, {"b", {0, 0}}, {"c", {50, 50}}, {"d", {1, 1}}, {"e", {0, 30}}};
    const auto list = sortedApps(apps);
    QStringList names;
    for (const auto& app : list)
        names << app.name;
    EXPECT_EQ(names, QStringList({"c", "e", "a", "d", "b"}));
    EXPECT_EQ(list[0].traffic, (AppTraffic{50, 50}));

    EXPECT_TRUE(sortedApps({{"x", {0, 0}}, {"y", {0, 0}}}).empty());
    EXPECT_TRUE(sortedApps({}).empty());
}

TEST(RangeSummaryShare, AgainstInterfaceTotalNotAppSum) {
    RangeSummary summary;
    summary.totalIn = 500;
    summary.totalOut = 300;
    EXPECT_DOUBLE_EQ(appShare({200, 100}, summary), 0.375);
    EXPECT_DOUBLE_EQ(appShare({100, 0}, summary), 0.125);
    EXPECT_DOUBLE_EQ(appShare({800, 31}, summary), 831.0 / 800.0); // above 1 is kept
    EXPECT_DOUBLE_EQ(appShare({10, 10}, RangeSummary{}), 0.0);
}
