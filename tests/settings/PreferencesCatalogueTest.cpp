#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace {

using P = PreferencesCatalogue;

class PreferencesTest : public testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
    }
};

TEST_F(PreferencesTest, KeysAndNotificationNamesAreExact) {
    EXPECT_EQ(P::kAlertDownValue, QStringLiteral("alertDownValue"));
    EXPECT_EQ(P::kAlertDownUnit, QStringLiteral("alertDownUnit"));
    EXPECT_EQ(P::kAlertUpValue, QStringLiteral("alertUpValue"));
    EXPECT_EQ(P::kAlertUpUnit, QStringLiteral("alertUpUnit"));
    EXPECT_EQ(P::kRetentionDays, QStringLiteral("retentionDays"));
    EXPECT_EQ(P::kDisplayMode, QStringLiteral("displayMode"));
    EXPECT_EQ(P::kLaunchAtLogin, QStringLiteral("launchAtLogin"));
    EXPECT_EQ(P::kDisplayModeChanged, QStringLiteral("NDDisplayModeChanged"));
    EXPECT_EQ(P::kAlertThresholdsChanged, QStringLiteral("NDAlertThresholdsChanged"));
    EXPECT_EQ(P::kRetentionDaysChanged, QStringLiteral("NDRetentionDaysChanged"));
    EXPECT_EQ(P::kLaunchAtLoginChanged, QStringLiteral("NDLaunchAtLoginChanged"));
}

TEST_F(PreferencesTest, DefaultsWhenNothingIsStored) {
    EXPECT_EQ(P::downThresholdBytes(), 0);
    EXPECT_EQ(P::upThresholdBytes(), 0);
    EXPECT_EQ(P::retentionDays(), 90);
    EXPECT_EQ(P::displayMode(), DisplayMode::floating);
    EXPECT_FALSE(P::isLaunchEnabled());
    EXPECT_EQ(UserDefaults::doubleValue(QStringLiteral("missing")), 0);
    EXPECT_EQ(UserDefaults::integerValue(QStringLiteral("missing")), 0);
    EXPECT_FALSE(UserDefaults::boolValue(QStringLiteral("missing")));
    EXPECT_FALSE(UserDefaults::stringValue(QStringLiteral("missing")).has_value());
}

TEST_F(PreferencesTest, Thresholds) {
    UserDefaults::setDouble(P::kAlertDownValue, 5);
    UserDefaults::setString(P::kAlertDownUnit, QStringLiteral("MB"));
    EXPECT_EQ(P::downThresholdBytes(), 5242880);
    UserDefaults::setString(P::kAlertDownUnit, QStringLiteral("KB"));
    EXPECT_EQ(P::downThresholdBytes(), 5120);
    UserDefaults::setString(P::kAlertDownUnit, QStringLiteral("mb"));
    EXPECT_EQ(P::downThresholdBytes(), 5120);
    UserDefaults::remove(P::kAlertDownUnit);
    EXPECT_EQ(P::downThresholdBytes(), 5120);
    UserDefaults::setDouble(P::kAlertDownValue, -3);
    EXPECT_EQ(P::downThresholdBytes(), 0);

    UserDefaults::setDouble(P::kAlertUpValue, 1.5);
    UserDefaults::setString(P::kAlertUpUnit, QStringLiteral("MB"));
    EXPECT_EQ(P::upThresholdBytes(), 1.5 * 1048576);
    EXPECT_EQ(P::downThresholdBytes(), 0) << "up and down keys are separate";
}

TEST_F(PreferencesTest, DisplayModeRawValuesAndTitles) {
    const struct {
        DisplayMode mode;
        const char* raw;
        const char* title;
    } cases[] = {{DisplayMode::floating, "floating", "悬浮球"},
                 {DisplayMode::menubar, "menubar", "菜单栏图标"},
                 {DisplayMode::both, "both", "两者同开"}};
    for (const auto& c : cases) {
        EXPECT_EQ(rawValue(c.mode), QString::fromUtf8(c.raw));
        EXPECT_EQ(title(c.mode), QString::fromUtf8(c.title));
        EXPECT_EQ(displayModeFromRawValue(QString::fromUtf8(c.raw)), c.mode);
        UserDefaults::setString(P::kDisplayMode, QString::fromUtf8(c.raw));
        EXPECT_EQ(P::displayMode(), c.mode);
    }
    EXPECT_FALSE(displayModeFromRawValue(QStringLiteral("Both")).has_value());
    UserDefaults::setString(P::kDisplayMode, QStringLiteral("dock"));
    EXPECT_EQ(P::displayMode(), DisplayMode::floating);
}

TEST_F(PreferencesTest, RetentionAndLaunchFlag) {
    UserDefaults::setInteger(P::kRetentionDays, 30);
    EXPECT_EQ(P::retentionDays(), 30);
    UserDefaults::setInteger(P::kRetentionDays, 0);
    EXPECT_EQ(P::retentionDays(), 0);
    UserDefaults::setBool(P::kLaunchAtLogin, true);
    EXPECT_TRUE(P::isLaunchEnabled());
    UserDefaults::setBool(P::kLaunchAtLogin, false);
    EXPECT_FALSE(P::isLaunchEnabled());
}

TEST_F(PreferencesTest, ValuesStoredByAnotherToolNeverBreakReads) {
    // What another program could leave in the settings file.
    UserDefaults::setString(P::kAlertDownValue, QStringLiteral("nan"));
    EXPECT_EQ(P::downThresholdBytes(), 0);
    UserDefaults::setString(P::kAlertDownValue, QStringLiteral("inf"));
    EXPECT_EQ(P::downThresholdBytes(), 0);
    UserDefaults::setString(P::kAlertDownValue, QStringLiteral("abc"));
    EXPECT_EQ(P::downThresholdBytes(), 0);
    UserDefaults::setString(P::kAlertDownValue, QStringLiteral("2.5"));
    EXPECT_EQ(P::downThresholdBytes(), 2560);

    UserDefaults::setString(P::kRetentionDays, QStringLiteral("99999999999999999999999"));
    EXPECT_EQ(P::retentionDays(), std::numeric_limits<qint64>::max());
    UserDefaults::setString(P::kRetentionDays, QStringLiteral("7.9"));
    EXPECT_EQ(P::retentionDays(), 7);
    UserDefaults::setString(P::kRetentionDays, QStringLiteral("seven"));
    EXPECT_EQ(P::retentionDays(), 0);

    UserDefaults::setString(P::kLaunchAtLogin, QStringLiteral("YES"));
    EXPECT_TRUE(P::isLaunchEnabled());
    UserDefaults::setString(P::kLaunchAtLogin, QStringLiteral("no"));
    EXPECT_FALSE(P::isLaunchEnabled());
    UserDefaults::setInteger(P::kLaunchAtLogin, 1);
    EXPECT_TRUE(P::isLaunchEnabled());

    UserDefaults::setDouble(P::kDisplayMode, 3.5);
    EXPECT_EQ(P::displayMode(), DisplayMode::floating);
}

TEST_F(PreferencesTest, ValuesSurviveInTheSettingsFile) {
    UserDefaults::setDouble(P::kWidgetOpacity, 0.35);
    UserDefaults::setString(P::kWidgetFrame, QStringLiteral("{{1, 2}, {216, 92}}"));
    UserDefaults::sync();
    // Another reader of the same file, as the next start of the program would be.
    QSettings other(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vorn"),
                    QStringLiteral("Vorn"));
    EXPECT_EQ(other.value(P::kWidgetOpacity).toDouble(), 0.35);
    EXPECT_EQ(other.value(P::kWidgetFrame).toString(), QStringLiteral("{{1, 2}, {216, 92}}"));
    EXPECT_TRUE(other.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")))
        << other.fileName().toStdString();
}

} // namespace
