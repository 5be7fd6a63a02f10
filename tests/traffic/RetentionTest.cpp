#include "traffic/core/TrafficRecorder.h"

#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "support/FakeClock.h"
#include "support/TestEnvironment.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/TrafficFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

QStringList keysOf(const TrafficData& data) {
    QStringList keys;
    for (const auto& entry : data)
        keys << entry.first;
    return keys;
}

// Runs in a time zone with daylight-saving changes, so day arithmetic near them is exercised.
class RetentionTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_previousZone = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
    static void TearDownTestSuite() {
        qputenv("TZ", s_previousZone);
        tzset();
    }

    void SetUp() override {
        UserDefaults::remove(PreferencesCatalogue::kRetentionDays);
        UserDefaults::remove(TrafficRecorder::kLastCleanupDay);
        m_dir = QDir(testRoot()).filePath(QStringLiteral("retention"));
        QDir(m_dir).removeRecursively();
        QDir().mkpath(m_dir);
    }

    // A store loaded from a file that holds the given days, each with a few bytes.
    std::unique_ptr<TrafficRecorder> storeWithDays(const QDate& today, int daysBack,
                                                   const QStringList& extraKeys = {}) {
        TrafficData data;
        for (int back = 0; back <= daysBack; ++back)
            data[dayKey(today.addDays(-back))] = DailyTraffic{1, 1, {}};
        for (const QString& key : extraKeys)
            data[key] = DailyTraffic{1, 0, {}};
        QFile file(filePath());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(TrafficFile::serialize(data));
        file.close();
        return std::make_unique<TrafficRecorder>(clock, m_dir, nullptr);
    }

    QString filePath() const { return QDir(m_dir).filePath(TrafficRecorder::kFileName); }

    FakeClock clock;
    QString m_dir;
    static inline QByteArray s_previousZone;
};

TEST_F(RetentionTest, KeepsTodayAndTheDaysBeforeItWithinTheSetting) {
    const QDate today(2026, 3, 30); // the day after clocks went forward
    clock.setNow(QDateTime(today, QTime(3, 10)));
    struct Case {
        qint64 days;
        QString oldestKept;
        int removed;
    };
    for (const Case& c :
         {Case{1, QStringLiteral("2026-03-30"), 39}, Case{7, QStringLiteral("2026-03-24"), 33},
          Case{30, QStringLiteral("2026-03-01"), 10}}) {
        auto store = storeWithDays(today, 39);
        UserDefaults::setInteger(PreferencesCatalogue::kRetentionDays, c.days);
        EXPECT_EQ(store->cleanup(), c.removed) << c.days;
        EXPECT_EQ(store->data().size(), size_t(c.days)) << c.days;
        EXPECT_EQ(store->data().begin()->first, c.oldestKept) << c.days;
        EXPECT_EQ(store->data().rbegin()->first, QStringLiteral("2026-03-30"));
        // saved at once
        EXPECT_EQ(TrafficRecorder(clock, m_dir, nullptr).data(), store->data()) << c.days;
    }
}

TEST_F(RetentionTest, DayArithmeticHoldsAcrossTheAutumnChange) {
    // 2026-10-25 has 25 hours in Berlin; the cutoff is counted in calendar days.
    const QDate today(2026, 10, 26);
    clock.setNow(QDateTime(today, QTime(0, 30)));
    auto store = storeWithDays(today, 5);
    UserDefaults::setInteger(PreferencesCatalogue::kRetentionDays, 2);
    EXPECT_EQ(store->cleanup(), 4);
    EXPECT_EQ(keysOf(store->data()),
              (QStringList{QStringLiteral("2026-10-25"), QStringLiteral("2026-10-26")}));
}

TEST_F(RetentionTest, MissingZeroOrNegativeSettingKeepsEverything) {
    const QDate today(2026, 12, 6);
    clock.setNow(QDateTime(today, QTime(3, 5)));
    for (const std::optional<qint64> days :
         {std::optional<qint64>(), std::optional<qint64>(0), std::optional<qint64>(-5)}) {
        auto store = storeWithDays(today, 400);
        if (days)
            UserDefaults::setInteger(PreferencesCatalogue::kRetentionDays, *days);
        else
            UserDefaults::remove(PreferencesCatalogue::kRetentionDays);
        EXPECT_EQ(store->cleanup(), 0);
        EXPECT_EQ(store->data().size(), 401u);
    }
}

TEST_F(RetentionTest, KeysThatAreNotDatesStayAndNothingRemovedMeansNoSave) {
    const QDate today(2026, 12, 6);
    clock.setNow(QDateTime(today, QTime(3, 5)));
    auto store = storeWithDays(today, 3, {QStringLiteral("someday"), QStringLiteral("1999-99-99")});
    UserDefaults::setInteger(PreferencesCatalogue::kRetentionDays, 1);
    EXPECT_EQ(store->cleanup(), 3);
    EXPECT_EQ(keysOf(store->data()),
              (QStringList{QStringLiteral("1999-99-99"), QStringLiteral("2026-12-06"),
                           QStringLiteral("someday")}));
    QFile::remove(filePath());
    EXPECT_EQ(store->cleanup(), 0);
    EXPECT_FALSE(QFileInfo::exists(filePath()));
}

TEST_F(RetentionTest, HourlyCheckCleansOnceInTheThreeOClockHour) {
    // Spring forward: 02:00 does not exist that night, so hourly checks from 00:30 land on
    // 01:30, 03:30, 04:30 local time.
    const QDate today(2026, 3, 29);
    clock.setNow(QDateTime(today, QTime(0, 30)));
    auto store = storeWithDays(today, 3);
    UserDefaults::setInteger(PreferencesCatalogue::kRetentionDays, 1);

    store->cleanupCheck(); // 00:30
    clock.advance(3600);
    store->cleanupCheck(); // 01:30
    EXPECT_EQ(store->data().size(), 4u);
    EXPECT_FALSE(UserDefaults::stringValue(TrafficRecorder::kLastCleanupDay).has_value());

    clock.advance(3600);
    ASSERT_EQ(clock.now().time().hour(), 3);
    store->cleanupCheck();
    EXPECT_EQ(store->data().size(), 1u);
    EXPECT_EQ(UserDefaults::stringValue(TrafficRecorder::kLastCleanupDay),
              QStringLiteral("2026-03-29"));

    // A second check in the same hour (a restart rescheduled the timer) does not clean again.
    clock.setNow(QDateTime(today.addDays(-1), QTime(12, 0)));
    store->recordTotal(1, 1);
    clock.setNow(QDateTime(today, QTime(3, 50)));
    store->cleanupCheck();
    EXPECT_EQ(store->data().size(), 2u);

    // Next night it cleans again.
    clock.setNow(QDateTime(today.addDays(1), QTime(3, 0)));
    store->cleanupCheck();
    EXPECT_TRUE(store->data().empty());
    EXPECT_EQ(UserDefaults::stringValue(TrafficRecorder::kLastCleanupDay),
              QStringLiteral("2026-03-30"));
}

TEST_F(RetentionTest, AClockSetBackDaysStillCleansEveryNightAndKeepsItsFutureDays) {
    // A clock that ran four days ahead cleaned on "2026-12-10" and was then put right.
    UserDefaults::setString(TrafficRecorder::kLastCleanupDay, QStringLiteral("2026-12-10"));
    UserDefaults::setInteger(PreferencesCatalogue::kRetentionDays, 3);
    const QDate today(2026, 12, 6);
    clock.setNow(QDateTime(today, QTime(23, 0)));
    auto store = storeWithDays(today, 5, {QStringLiteral("2026-12-10")});

    clock.setNow(QDateTime(today.addDays(1), QTime(3, 10)));
    store->cleanupCheck();
    EXPECT_EQ(keysOf(store->data()), (QStringList{"2026-12-05", "2026-12-06", "2026-12-10"}));
    EXPECT_EQ(UserDefaults::stringValue(TrafficRecorder::kLastCleanupDay),
              QStringLiteral("2026-12-07"));

    clock.setNow(QDateTime(today.addDays(2), QTime(3, 10)));
    store->cleanupCheck();
    EXPECT_EQ(keysOf(store->data()), (QStringList{"2026-12-06", "2026-12-10"}));
    EXPECT_EQ(UserDefaults::stringValue(TrafficRecorder::kLastCleanupDay),
              QStringLiteral("2026-12-08"));
}

TEST_F(RetentionTest, StartUpAlwaysCleansWithoutMarkingTheDay) {
    const QDate today(2026, 12, 6);
    clock.setNow(QDateTime(today, QTime(15, 0)));
    UserDefaults::setString(TrafficRecorder::kLastCleanupDay, QStringLiteral("2026-12-06"));
    auto store = storeWithDays(today, 10);
    UserDefaults::setInteger(PreferencesCatalogue::kRetentionDays, 7);
    store->startTimers();
    EXPECT_EQ(store->data().size(), 7u);
    EXPECT_EQ(UserDefaults::stringValue(TrafficRecorder::kLastCleanupDay),
              QStringLiteral("2026-12-06"));
    store->stopAndSave();
}

} // namespace
