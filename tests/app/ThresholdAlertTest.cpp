#include "shell/ThresholdAlert.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

namespace {

using P = PreferencesCatalogue;

class RecordingNotifier final : public Notifier {
public:
    std::vector<Notification> delivered;
    int authorizationRequests = 0;
    QString failure;

    void requestAuthorization() override { ++authorizationRequests; }
    void deliver(const Notification& notification, FailureHandler onFailure) override {
        delivered.push_back(notification);
        if (!failure.isEmpty())
            onFailure(failure);
    }
};

class ThresholdAlertTest : public testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
    }

    void setDownThreshold(double value, const QString& unit) {
        UserDefaults::setDouble(P::kAlertDownValue, value);
        UserDefaults::setString(P::kAlertDownUnit, unit);
    }
    void setUpThreshold(double value, const QString& unit) {
        UserDefaults::setDouble(P::kAlertUpValue, value);
        UserDefaults::setString(P::kAlertUpUnit, unit);
    }

    // One tick a second later than the previous one.
    void tick(double down, double up) {
        clock.advance(1.0);
        alert.checkThresholdAlert(down, up);
    }
    void ticks(int count, double down, double up) {
        for (int i = 0; i < count; ++i)
            tick(down, up);
    }

    FakeClock clock;
    RecordingNotifier notifier;
    bool active = false;
    ThresholdAlert alert{clock, notifier, [this] { return active; }};
};

TEST_F(ThresholdAlertTest, FourTicksAtExactlyTheThresholdAlertOnce) {
    setDownThreshold(1, QStringLiteral("MB"));
    ticks(3, 1048576, 2048);
    EXPECT_TRUE(notifier.delivered.empty());
    tick(1048576, 2048);
    ASSERT_EQ(notifier.delivered.size(), 1u);
    const auto& shown = notifier.delivered.front();
    EXPECT_EQ(shown.identifier, QStringLiteral("netdial.threshold"));
    EXPECT_EQ(shown.title, QStringLiteral("网速超过设定阈值"));
    EXPECT_EQ(shown.body, QStringLiteral("下载 1.0 MB/s · 上传 2.0 KB/s"));
    EXPECT_FALSE(alert.overSince.has_value());

    // The overrun goes on: a new 3-second run, then the cooldown swallows the attempt.
    ticks(10, 2e6, 0);
    EXPECT_EQ(notifier.delivered.size(), 1u);
}

TEST_F(ThresholdAlertTest, DipOnTheThirdTickRestartsTheCount) {
    setDownThreshold(1, QStringLiteral("MB"));
    ticks(2, 1048576, 0);
    tick(1048575, 0);
    EXPECT_FALSE(alert.overSince.has_value());
    ticks(3, 1048576, 0);
    EXPECT_TRUE(notifier.delivered.empty());
    tick(1048576, 0);
    EXPECT_EQ(notifier.delivered.size(), 1u);
}

TEST_F(ThresholdAlertTest, CooldownOfFiveMinutes) {
    setUpThreshold(100, QStringLiteral("KB"));
    ticks(4, 0, 200 * 1024);
    ASSERT_EQ(notifier.delivered.size(), 1u);

    clock.advance(120);
    ticks(4, 0, 200 * 1024);
    EXPECT_EQ(notifier.delivered.size(), 1u);
    EXPECT_FALSE(alert.overSince.has_value()); // the swallowed attempt still ends the run

    clock.advance(300 - 120 - 4 - 4 + 1);
    ticks(3, 0, 200 * 1024);
    EXPECT_EQ(notifier.delivered.size(), 1u);
    tick(0, 200 * 1024);
    EXPECT_EQ(notifier.delivered.size(), 2u);
}

TEST_F(ThresholdAlertTest, ActiveApplicationLogsOnlyAndStillStartsTheCooldown) {
    setDownThreshold(1, QStringLiteral("KB"));
    active = true;
    testing::internal::CaptureStderr();
    ticks(4, 1536, 512);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[Vorn] 速率超阈值（前台，未弹通知）：↓ 1.5 KB/s ↑ 512 B/s\n");
    EXPECT_TRUE(notifier.delivered.empty());

    active = false;
    clock.advance(200);
    ticks(8, 1536, 512);
    EXPECT_TRUE(notifier.delivered.empty());
    clock.advance(100);
    ticks(4, 1536, 512);
    EXPECT_EQ(notifier.delivered.size(), 1u);
}

TEST_F(ThresholdAlertTest, ThresholdsOffOrInTheOtherDirectionNeverAlert) {
    ticks(10, 1e12, 1e12);
    EXPECT_FALSE(alert.overSince.has_value());

    setUpThreshold(1, QStringLiteral("KB"));
    ticks(10, 1e12, 0);
    EXPECT_FALSE(alert.overSince.has_value());
    EXPECT_TRUE(notifier.delivered.empty());
}

TEST_F(ThresholdAlertTest, NewThresholdAppliesFromTheNextTick) {
    setDownThreshold(1, QStringLiteral("KB"));
    ticks(2, 4096, 0);
    setDownThreshold(5, QStringLiteral("KB"));
    tick(4096, 0);
    EXPECT_FALSE(alert.overSince.has_value());
}

TEST_F(ThresholdAlertTest, DeliveryFailureIsLogged) {
    setDownThreshold(1, QStringLiteral("KB"));
    notifier.failure = QStringLiteral("The name is not activatable");
    testing::internal::CaptureStderr();
    ticks(4, 4096, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[Vorn] 通知发送失败: The name is not activatable\n");
}

TEST_F(ThresholdAlertTest, PermissionIsAskedOnlyWhenAThresholdIsSet) {
    alert.ensureNotificationAuth();
    EXPECT_EQ(notifier.authorizationRequests, 0);
    setUpThreshold(0.5, QStringLiteral("KB"));
    alert.ensureNotificationAuth();
    EXPECT_EQ(notifier.authorizationRequests, 1);
    setUpThreshold(-3, QStringLiteral("MB"));
    alert.ensureNotificationAuth();
    EXPECT_EQ(notifier.authorizationRequests, 1);
}

} // namespace
