#include "traffic/core/DataPlan.h"
#include "traffic/core/DataPlanAlertState.h"
#include "traffic/core/DataPlanText.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/RangeMode.h"

#include <gtest/gtest.h>

namespace {

constexpr quint64 kGB = 1024ull * 1024 * 1024;
constexpr quint64 kMB = 1024ull * 1024;

QDate d(int y, int m, int day) {
    return QDate(y, m, day);
}

DataPlanSettings plan(double quotaGB, int resetDay = 1, PlanCounts counts = PlanCounts::total) {
    return {quotaGB, resetDay, counts, true};
}

// in and out bytes on every day from..to.
TrafficData everyDay(const QDate& from, const QDate& to, quint64 in, quint64 out) {
    TrafficData data;
    for (QDate day = from; day <= to; day = day.addDays(1))
        data[dayKey(day)] = DailyTraffic{in, out, {}};
    return data;
}

} // namespace

TEST(DataPlanCycle, StartsOnTheResetDayAndEndsTheDayBeforeTheNext) {
    struct Case {
        const char* what;
        QDate today;
        int resetDay;
        QDate start;
        QDate end;
    };
    const Case cases[] = {
        {"reset day 1", d(2026, 3, 10), 1, d(2026, 3, 1), d(2026, 3, 31)},
        {"on the reset day itself", d(2026, 11, 15), 15, d(2026, 11, 15), d(2026, 12, 14)},
        {"the day before the reset day", d(2026, 11, 14), 15, d(2026, 10, 15), d(2026, 11, 14)},
        {"31 in February: the 28th", d(2026, 2, 28), 31, d(2026, 2, 28), d(2026, 3, 30)},
        {"31 before February's end", d(2026, 2, 27), 31, d(2026, 1, 31), d(2026, 2, 27)},
        {"31 in a leap February: the 29th", d(2028, 2, 29), 31, d(2028, 2, 29), d(2028, 3, 30)},
        {"31 in April: the 30th", d(2026, 4, 30), 31, d(2026, 4, 30), d(2026, 5, 30)},
        {"31 before April's end", d(2026, 4, 29), 31, d(2026, 3, 31), d(2026, 4, 29)},
        {"30 in February ends before 30 March", d(2026, 3, 1), 30, d(2026, 2, 28), d(2026, 3, 29)},
        {"started in the previous year", d(2027, 1, 5), 20, d(2026, 12, 20), d(2027, 1, 19)},
        {"ends in the next year", d(2026, 12, 25), 20, d(2026, 12, 20), d(2027, 1, 19)},
    };
    for (const Case& c : cases) {
        const BillingCycle cycle = DataPlan::billingCycle(c.today, c.resetDay);
        EXPECT_EQ(cycle.start, c.start) << c.what;
        EXPECT_EQ(cycle.end, c.end) << c.what;
    }
}

TEST(DataPlanUsage, UsedRemainingPercentAndDaysLeft) {
    struct Case {
        const char* what;
        TrafficData data;
        DataPlanSettings plan;
        QDate today;
        quint64 used;
        quint64 remaining;
        double percent;
        int daysLeft;
    };
    const QDate today = d(2026, 12, 6);
    TrafficData withGap = everyDay(d(2026, 11, 15), today, 2 * kGB, kGB);
    withGap.erase(dayKey(d(2026, 11, 20)));
    TrafficData outside = everyDay(d(2026, 11, 15), today, kGB, 0);
    outside[dayKey(d(2026, 11, 14))] = DailyTraffic{50 * kGB, 0, {}}; // the previous cycle
    outside[dayKey(d(2026, 12, 7))] = DailyTraffic{50 * kGB, 0, {}};  // after today
    const Case cases[] = {
        {"both directions", everyDay(d(2026, 11, 15), today, 2 * kGB, kGB), plan(100, 15), today,
         66 * kGB, 34 * kGB, 66.0, 9},
        {"download only", everyDay(d(2026, 11, 15), today, 2 * kGB, kGB),
         plan(100, 15, PlanCounts::download), today, 44 * kGB, 56 * kGB, 44.0, 9},
        {"upload only", everyDay(d(2026, 11, 15), today, 2 * kGB, kGB),
         plan(100, 15, PlanCounts::upload), today, 22 * kGB, 78 * kGB, 22.0, 9},
        {"a day missing inside the cycle counts nothing", withGap, plan(100, 15), today, 63 * kGB,
         37 * kGB, 63.0, 9},
        {"days outside the cycle do not count", outside, plan(100, 15), today, 22 * kGB, 78 * kGB,
         22.0, 9},
        {"over the quota: nothing remains", everyDay(d(2026, 11, 15), today, 6 * kGB, 0),
         plan(100, 15), today, 132 * kGB, 0, 132.0, 9},
        {"the cycle's last day leaves one day", everyDay(d(2026, 11, 15), d(2026, 12, 14), kGB, 0),
         plan(100, 15), d(2026, 12, 14), 30 * kGB, 70 * kGB, 30.0, 1},
        {"a fractional quota", everyDay(today, today, 512 * kMB, 0), plan(1.5, 6), today, 512 * kMB,
         kGB, 100.0 / 3.0, 31},
    };
    for (const Case& c : cases) {
        const DataPlanUsage u = DataPlan::usage(c.data, c.plan, c.today, 0);
        EXPECT_EQ(u.usedBytes, c.used) << c.what;
        EXPECT_EQ(u.remainingBytes, c.remaining) << c.what;
        EXPECT_DOUBLE_EQ(u.percent, c.percent) << c.what;
        EXPECT_EQ(u.daysLeft, c.daysLeft) << c.what;
        EXPECT_EQ(u.exhausted(), c.used >= u.quotaBytes) << c.what;
    }
}

TEST(DataPlanUsage, QuotaIsBinaryGigabytes) {
    EXPECT_EQ(DataPlan::quotaBytes(100), 107374182400ull);
    EXPECT_EQ(DataPlan::quotaBytes(0.5), 536870912ull);
    EXPECT_EQ(DataPlan::quotaBytes(0), 1ull); // never a division by zero
    EXPECT_EQ(DataPlan::quotaBytes(100000), 107374182400000ull);
}

TEST(DataPlanUsage, ForecastFromTheLastSevenDaysOfTheCycle) {
    struct Case {
        const char* what;
        TrafficData data;
        DataPlanSettings plan;
        QDate today;
        int averageDays;
        quint64 average;
        std::optional<QDate> runOut;
    };
    const QDate today = d(2026, 12, 6);
    // 10 GB a day before the last week, 2 GB a day in it.
    TrafficData slowingDown = everyDay(d(2026, 11, 15), d(2026, 11, 29), 10 * kGB, 0);
    for (const auto& [key, day] : everyDay(d(2026, 11, 30), today, 2 * kGB, 0))
        slowingDown[key] = day;
    const Case cases[] = {
        // 22 days of 3 GB = 66 GB; 34 GB left at 3 GB a day: 12 days, past 12/14.
        {"lasts the cycle", everyDay(d(2026, 11, 15), today, 2 * kGB, kGB), plan(100, 15), today, 7,
         3 * kGB, std::nullopt},
        // 88 GB used, 12 GB left at 4 GB a day: three more days.
        {"runs out in three days", everyDay(d(2026, 11, 15), today, 4 * kGB, 0), plan(100, 15),
         today, 7, 4 * kGB, d(2026, 12, 9)},
        // 150 + 14 = 164 GB used of 200; the last week's 2 GB a day needs 18 days: lasts.
        {"only the last seven days count", slowingDown, plan(200, 15), today, 7, 2 * kGB,
         std::nullopt},
        // The cycle's second day: two days of 30 GB, 40 GB left: two more days.
        {"fewer days at a cycle's start", everyDay(d(2026, 12, 5), today, 30 * kGB, 0),
         plan(100, 5), today, 2, 30 * kGB, d(2026, 12, 8)},
        {"the cycle's first day averages over one day", everyDay(today, today, 10 * kGB, 0),
         plan(100, 6), today, 1, 10 * kGB, d(2026, 12, 15)},
        {"nothing used yet: no forecast", TrafficData{}, plan(100, 15), today, 7, 0, std::nullopt},
        // Reached on 12/1: 17 days of 6 GB = 102 GB.
        {"used up: the day it ran out", everyDay(d(2026, 11, 15), today, 6 * kGB, 0), plan(100, 15),
         today, 7, 6 * kGB, d(2026, 12, 1)},
        // 20 days of 5 GB = 100 GB on 12/4; 50 GB more take ten days: the cycle's last day.
        {"running out on the cycle's last day counts",
         everyDay(d(2026, 11, 15), d(2026, 12, 4), 5 * kGB, 0), plan(150, 15), d(2026, 12, 4), 7,
         5 * kGB, d(2026, 12, 14)},
        {"a day later is the next cycle's business",
         everyDay(d(2026, 11, 15), d(2026, 12, 4), 5 * kGB, 0), plan(151, 15), d(2026, 12, 4), 7,
         5 * kGB, std::nullopt},
    };
    for (const Case& c : cases) {
        const DataPlanUsage u = DataPlan::usage(c.data, c.plan, c.today, 0);
        EXPECT_EQ(u.averageDays, c.averageDays) << c.what;
        EXPECT_EQ(u.averageDailyBytes, c.average) << c.what;
        EXPECT_EQ(u.runOutDay, c.runOut) << c.what;
    }
}

TEST(DataPlanUsage, RetentionShorterThanTheCycleDropsItsFirstDays) {
    const QDate today = d(2026, 12, 14); // a 30-day cycle's last day
    const TrafficData data = everyDay(d(2026, 11, 15), today, kGB, 0);
    struct Case {
        qint64 retention;
        quint64 used;
        std::optional<QDate> firstCounted;
    };
    const Case cases[] = {
        {0, 30 * kGB, std::nullopt},         // keep everything
        {90, 30 * kGB, std::nullopt},        // longer than the cycle
        {30, 30 * kGB, std::nullopt},        // exactly the cycle
        {7, 7 * kGB, d(2026, 12, 8)},        // set by another tool
        {1, kGB, d(2026, 12, 14)},           // only today
        {1000000000, 30 * kGB, std::nullopt} // absurd values keep everything
    };
    for (const Case& c : cases) {
        const DataPlanUsage u = DataPlan::usage(data, plan(100, 15), today, c.retention);
        EXPECT_EQ(u.usedBytes, c.used) << c.retention;
        EXPECT_EQ(u.firstCountedDay, c.firstCounted) << c.retention;
    }
    const DataPlanUsage week = DataPlan::usage(data, plan(100, 15), today, 7);
    EXPECT_EQ(DataPlanText::retentionNote(week, 7),
              QStringLiteral("历史仅保留 7 天，本期 12/8 之前的用量已不再计入"));
    EXPECT_EQ(DataPlanText::retentionNote(DataPlan::usage(data, plan(100, 15), today, 90), 90),
              QString());
}

TEST(DataPlanAlertState, OncePerLevelPerCycle) {
    const QDate cycle = d(2026, 11, 15);
    struct Case {
        const char* what;
        QString stored;
        QDate cycleStart;
        double percent;
        int notify;
        QString state;
    };
    const Case cases[] = {
        {"below 80 %", "", cycle, 79.99, 0, ""},
        {"80 % exactly", "", cycle, 80.0, 80, "2026-11-15:80"},
        {"after a restart: no second 80 %", "2026-11-15:80", cycle, 85, 0, "2026-11-15:80"},
        {"100 % after 80 %", "2026-11-15:80", cycle, 100.0, 100, "2026-11-15:100"},
        {"100 % only once", "2026-11-15:100", cycle, 140, 0, "2026-11-15:100"},
        {"both at once: only 100 %", "", cycle, 120, 100, "2026-11-15:100"},
        {"the clock moved into the next cycle", "2026-11-15:100", d(2026, 12, 15), 81, 80,
         "2026-12-15:80"},
        {"a state of the previous cycle under 80 % stays", "2026-10-15:100", cycle, 10, 0,
         "2026-10-15:100"},
        {"unreadable text counts as none", "garbage", cycle, 90, 80, "2026-11-15:80"},
        {"an unknown level counts as none", "2026-11-15:95", cycle, 90, 80, "2026-11-15:80"},
    };
    for (const Case& c : cases) {
        const auto decision = DataPlanAlertState::decide(c.stored, c.cycleStart, c.percent);
        EXPECT_EQ(decision.notifyLevel, c.notify) << c.what;
        EXPECT_EQ(decision.state, c.state) << c.what;
    }
}

TEST(DataPlanText, MenuRowCardLinesAndAlerts) {
    const QDate today = d(2026, 12, 6);
    // 42.9 GB of 100 GB: 22 days of 1.95 GB.
    const DataPlanUsage u = DataPlan::usage(
        everyDay(d(2026, 11, 15), today, quint64(1.95 * kGB), 0), plan(100, 15), today, 0);
    EXPECT_EQ(DataPlanText::menuRow(u),
              QStringLiteral("套餐  42.90 GB / 100.00 GB（43%）· 剩 9 天"));
    EXPECT_EQ(DataPlanText::cardTitle(u.cycle), QStringLiteral("流量套餐 · 本期 11/15 – 12/14"));
    EXPECT_EQ(DataPlanText::usedLine(u), QStringLiteral("已用 42.90 GB / 100.00 GB（42.9%）"));
    EXPECT_EQ(DataPlanText::remainingLine(u),
              QStringLiteral("剩余 57.10 GB · 还剩 9 天 · 日均可用 6.34 GB"));
    EXPECT_EQ(DataPlanText::forecastLine(u), QStringLiteral("按近 7 天用量，本期内不会用完"));
    EXPECT_EQ(DataPlanText::alertBody(u),
              QStringLiteral("本期已用 42.90 GB / 100.00 GB，距重置还有 9 天"));

    const DataPlanUsage fast =
        DataPlan::usage(everyDay(d(2026, 11, 15), today, 4 * kGB, 0), plan(100, 15), today, 0);
    EXPECT_EQ(DataPlanText::forecastLine(fast),
              QStringLiteral("按近 7 天用量，预计 12 月 9 日用完"));
    const DataPlanUsage early =
        DataPlan::usage(everyDay(d(2026, 12, 5), today, 30 * kGB, 0), plan(100, 5), today, 0);
    EXPECT_EQ(DataPlanText::forecastLine(early),
              QStringLiteral("按近 2 天用量，预计 12 月 8 日用完"));
    const DataPlanUsage over =
        DataPlan::usage(everyDay(d(2026, 11, 15), today, 6 * kGB, 0), plan(100, 15), today, 0);
    EXPECT_EQ(DataPlanText::forecastLine(over), QStringLiteral("本期额度已于 12 月 1 日用完"));
    EXPECT_EQ(DataPlanText::remainingLine(over),
              QStringLiteral("剩余 0 B · 还剩 9 天 · 日均可用 0 B"));
    EXPECT_EQ(DataPlanText::menuRow(over),
              QStringLiteral("套餐  132.00 GB / 100.00 GB（132%）· 剩 9 天"));

    EXPECT_EQ(DataPlanText::alertTitle(80), QStringLiteral("流量套餐已用 80%"));
    EXPECT_EQ(DataPlanText::alertTitle(100), QStringLiteral("流量套餐已用完"));
    EXPECT_EQ(DataPlanText::countsTitle(PlanCounts::total), QStringLiteral("下载 + 上传"));
    EXPECT_EQ(DataPlanText::countsTitle(PlanCounts::download), QStringLiteral("仅下载"));
    EXPECT_EQ(DataPlanText::countsTitle(PlanCounts::upload), QStringLiteral("仅上传"));
    // A cycle across the year's end.
    EXPECT_EQ(DataPlanText::cardTitle(DataPlan::billingCycle(d(2027, 1, 5), 20)),
              QStringLiteral("流量套餐 · 本期 12/20 – 1/19"));
}

TEST(DataPlanRange, BillingCycleRunsFromTheCycleStartToToday) {
    const QDateTime now(d(2027, 1, 5), QTime(12, 0));
    const DateRange range = resolveRange(RangeMode::billingCycle, now, {}, {}, 20);
    EXPECT_EQ(range.from, d(2026, 12, 20));
    EXPECT_EQ(range.to, d(2027, 1, 5));
    EXPECT_EQ(rangeModeTitle(RangeMode::billingCycle), QStringLiteral("本计费周期"));
}
