#include "shell/DataPlanAlert.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "support/FakeClock.h"
#include "traffic/core/DayKey.h"

#include <gtest/gtest.h>

namespace {

using P = PreferencesCatalogue;
constexpr quint64 kGB = 1024ull * 1024 * 1024;

class RecordingNotifier final : public Notifier {
public:
    std::vector<Notification> delivered;
    int authorizationRequests = 0;

    void requestAuthorization() override { ++authorizationRequests; }
    void deliver(const Notification& notification, FailureHandler) override {
        delivered.push_back(notification);
    }
};

class DataPlanAlertTest : public testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
        UserDefaults::setDouble(P::kDataPlanQuotaGB, 100);
        UserDefaults::setInteger(P::kDataPlanResetDay, 15);
        clock.setNow(QDateTime(QDate(2026, 12, 6), QTime(12, 0)));
    }

    // Today's download set so that the cycle (from 11/15) holds usedGB in all.
    void useUpTo(double usedGB) {
        data[dayKey(QDate(2026, 11, 15))] = DailyTraffic{10 * kGB, 0, {}};
        const QString today = dayKey(clock.now().date());
        data[today] = DailyTraffic{quint64((usedGB - 10) * double(kGB)), 0, {}};
    }
    QStringList titles() const {
        QStringList all;
        for (const auto& n : notifier.delivered)
            all << n.title;
        return all;
    }

    FakeClock clock;
    RecordingNotifier notifier;
    TrafficData data;
    DataPlanAlert::DataSource source = [this]() -> const TrafficData& { return data; };
};

} // namespace

TEST_F(DataPlanAlertTest, EightyThenHundredOnceEach) {
    DataPlanAlert alert(clock, notifier, source);
    const struct {
        double usedGB;
        QStringList titles;
    } steps[] = {
        {79.9, {}},
        {80.3, {"流量套餐已用 80%"}},
        {85, {"流量套餐已用 80%"}},
        {100, {"流量套餐已用 80%", "流量套餐已用完"}},
        {130, {"流量套餐已用 80%", "流量套餐已用完"}},
    };
    for (const auto& step : steps) {
        useUpTo(step.usedGB);
        alert.check();
        EXPECT_EQ(titles(), step.titles) << step.usedGB;
    }
    ASSERT_EQ(notifier.delivered.size(), 2u);
    EXPECT_EQ(notifier.delivered[0].identifier, QStringLiteral("vorn.dataPlan"));
    // 80.3 GB of 100 GB on 12/6, the cycle ending 12/14.
    EXPECT_EQ(notifier.delivered[0].body,
              QStringLiteral("本期已用 80.30 GB / 100.00 GB，距重置还有 9 天"));
    EXPECT_EQ(UserDefaults::stringValue(P::kDataPlanAlerted), QStringLiteral("2026-11-15:100"));
}

TEST_F(DataPlanAlertTest, ARestartAfterTheEightyPercentAlertGivesNoSecond) {
    useUpTo(82);
    DataPlanAlert(clock, notifier, source).check();
    ASSERT_EQ(notifier.delivered.size(), 1u);
    EXPECT_EQ(UserDefaults::stringValue(P::kDataPlanAlerted), QStringLiteral("2026-11-15:80"));

    RecordingNotifier afterRestart;
    DataPlanAlert(clock, afterRestart, source).check();
    EXPECT_TRUE(afterRestart.delivered.empty());
}

TEST_F(DataPlanAlertTest, TheNextCycleStartsAfresh) {
    useUpTo(120);
    DataPlanAlert alert(clock, notifier, source);
    alert.check();
    ASSERT_EQ(titles(), QStringList{"流量套餐已用完"});

    // The clock moves into the next cycle, where 90 GB are used by its third day.
    clock.setNow(QDateTime(QDate(2026, 12, 17), QTime(9, 0)));
    data[dayKey(QDate(2026, 12, 17))] = DailyTraffic{90 * kGB, 0, {}};
    alert.check();
    EXPECT_EQ(titles(), (QStringList{"流量套餐已用完", "流量套餐已用 80%"}));
    EXPECT_EQ(UserDefaults::stringValue(P::kDataPlanAlerted), QStringLiteral("2026-12-15:80"));
    EXPECT_EQ(notifier.delivered.back().body,
              QStringLiteral("本期已用 90.00 GB / 100.00 GB，距重置还有 29 天"));
}

TEST_F(DataPlanAlertTest, NothingWithoutAPlanOrWithAlertsOff) {
    useUpTo(150);
    UserDefaults::setBool(P::kDataPlanAlerts, false);
    DataPlanAlert alert(clock, notifier, source);
    alert.check();
    alert.ensureNotificationAuth();
    EXPECT_TRUE(notifier.delivered.empty());
    EXPECT_EQ(notifier.authorizationRequests, 0);
    EXPECT_FALSE(UserDefaults::contains(P::kDataPlanAlerted));

    UserDefaults::remove(P::kDataPlanAlerts);
    UserDefaults::setDouble(P::kDataPlanQuotaGB, 0);
    alert.check();
    alert.ensureNotificationAuth();
    EXPECT_TRUE(notifier.delivered.empty());
    EXPECT_EQ(notifier.authorizationRequests, 0);

    UserDefaults::setDouble(P::kDataPlanQuotaGB, 100);
    alert.ensureNotificationAuth();
    EXPECT_EQ(notifier.authorizationRequests, 1);
}
