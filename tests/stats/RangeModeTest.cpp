#include "traffic/core/RangeMode.h"

#include "support/ScopedTimeZone.h"

#include <gtest/gtest.h>

namespace {

QDateTime localNoon(int y, int m, int d) {
    return QDateTime(QDate(y, m, d), QTime(12, 0));
}

DateRange resolve(RangeMode mode, const QDateTime& now) {
    return resolveRange(mode, now, QDate(2020, 1, 1), QDate(2020, 1, 31));
}

} // namespace

TEST(RangeMode, RawValuesTitlesAndInvalidRaw) {
    const char* titles[] = {"今日", "近 7 天", "近 30 天", "本月", "本年", "自定义…", "本计费周期"};
    for (int raw = 0; raw < kRangeModeCount; ++raw) {
        const auto mode = rangeModeFromRaw(raw);
        ASSERT_TRUE(mode.has_value());
        EXPECT_EQ(rawValue(*mode), raw);
        EXPECT_EQ(rangeModeTitle(*mode), QString::fromUtf8(titles[raw]));
    }
    EXPECT_FALSE(rangeModeFromRaw(-1));
    EXPECT_FALSE(rangeModeFromRaw(7));
}

TEST(RangeMode, PresetsEndWithToday) {
    const QDateTime now = localNoon(2024, 3, 15);
    const QDate today(2024, 3, 15);
    EXPECT_EQ(resolve(RangeMode::today, now).from, today);
    EXPECT_EQ(resolve(RangeMode::today, now).to, today);
    EXPECT_EQ(resolve(RangeMode::last7, now).from, QDate(2024, 3, 9));
    EXPECT_EQ(resolve(RangeMode::last30, now).from, QDate(2024, 2, 15)); // across 29 February
    EXPECT_EQ(resolve(RangeMode::thisMonth, now).from, QDate(2024, 3, 1));
    EXPECT_EQ(resolve(RangeMode::thisYear, now).from, QDate(2024, 1, 1));
    for (RangeMode mode :
         {RangeMode::last7, RangeMode::last30, RangeMode::thisMonth, RangeMode::thisYear})
        EXPECT_EQ(resolve(mode, now).to, today);
}

TEST(RangeMode, FirstOfMonthAndNewYearGiveOneDay) {
    const DateRange month = resolve(RangeMode::thisMonth, localNoon(2024, 5, 1));
    EXPECT_EQ(month.from, QDate(2024, 5, 1));
    EXPECT_EQ(rangeDays(month.from, month.to), 1);
    const DateRange year = resolve(RangeMode::thisYear, QDateTime(QDate(2025, 1, 1), QTime(0, 0)));
    EXPECT_EQ(year.from, QDate(2025, 1, 1));
    EXPECT_EQ(year.to, QDate(2025, 1, 1));
    // Last day of the year: the whole year.
    const DateRange whole = resolve(RangeMode::thisYear, localNoon(2024, 12, 31));
    EXPECT_EQ(rangeDays(whole.from, whole.to), 366);
}

TEST(RangeMode, CustomIsTakenAsGivenAndReversedCountsOneDay) {
    const QDateTime now = localNoon(2024, 3, 15);
    const DateRange range =
        resolveRange(RangeMode::custom, now, QDate(2024, 2, 10), QDate(2024, 2, 1));
    EXPECT_EQ(range.from, QDate(2024, 2, 10));
    EXPECT_EQ(range.to, QDate(2024, 2, 1));
    EXPECT_EQ(rangeDays(range.from, range.to), 1);
    EXPECT_EQ(rangeDays(QDate(), QDate(2024, 2, 1)), 1);
    EXPECT_EQ(rangeDays(QDate(2024, 2, 1), QDate(2024, 2, 1)), 1);
    EXPECT_EQ(rangeDays(QDate(2024, 2, 1), QDate(2024, 3, 1)), 30);
}

TEST(RangeMode, DaylightSavingChangeStillCountsCalendarDays) {
    // Europe/Berlin moved its clocks forward on 2021-03-28 (a day of 23 hours) and back on
    // 2021-10-31 (25 hours): six times 86 400 s before 00:30 on 29 March is still 22 March.
    const ScopedTimeZone berlin("Europe/Berlin");
    const QDateTime justAfterMidnight(QDate(2021, 3, 29), QTime(0, 30));
    const DateRange week = resolve(RangeMode::last7, justAfterMidnight);
    EXPECT_EQ(week.from, QDate(2021, 3, 23));
    EXPECT_EQ(week.to, QDate(2021, 3, 29));
    EXPECT_EQ(rangeDays(week.from, week.to), 7);
    const DateRange spring =
        resolveRange(RangeMode::custom, justAfterMidnight, QDate(2021, 3, 27), QDate(2021, 3, 29));
    EXPECT_EQ(rangeDays(spring.from, spring.to), 3);
    const DateRange autumn =
        resolveRange(RangeMode::custom, justAfterMidnight, QDate(2021, 10, 30), QDate(2021, 11, 1));
    EXPECT_EQ(rangeDays(autumn.from, autumn.to), 3);
}
