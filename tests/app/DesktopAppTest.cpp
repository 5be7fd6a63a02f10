#include "shell/DesktopApp.h"
#include "ball/FloatingPanel.h"
#include "ball/SpeedView.h"
#include "common/NotificationCenter.h"
#include "platform/linux/XdgAutostartLoginItem.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "shell/StatusItem.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

class DesktopAppTest : public testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
    }
};

TEST_F(DesktopAppTest, FirstStartPlacesOpaquePanelTopRight) {
    DesktopApp app;
    app.start();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    FloatingPanel* panel = app.panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(),
              QRect(available.right() + 1 - 216 - 16, available.top() + 12, 216, 92));
    EXPECT_DOUBLE_EQ(panel->windowOpacity(), 1.0);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("岚"));
    const Qt::WindowFlags flags = panel->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Tool)); // no taskbar entry
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(app.view()->parentWidget(), panel);
    EXPECT_EQ(app.view()->hostPanel, panel);
    EXPECT_EQ(app.view()->geometry(), QRect(0, 0, 216, 92));
}

TEST_F(DesktopAppTest, StoredFrameAndOpacityAreHonoured) {
    UserDefaults::setString(PreferencesCatalogue::kWidgetFrame,
                            QStringLiteral("{{100, 200}, {300, 92}}"));
    UserDefaults::setDouble(PreferencesCatalogue::kWidgetOpacity, 0.4);
    DesktopApp app;
    app.start();
    EXPECT_EQ(app.panel()->geometry(), QRect(100, 200, 300, 92));
    EXPECT_EQ(app.view()->geometry(), QRect(0, 0, 300, 92));
    EXPECT_NEAR(app.panel()->windowOpacity(), 0.4, 0.01);
}

TEST_F(DesktopAppTest, HostileSettingsDoNotBreakStartUp) {
    UserDefaults::setString(PreferencesCatalogue::kWidgetFrame,
                            QStringLiteral("{{1e308, 2}, {1e308, 1e308}}"));
    UserDefaults::setString(PreferencesCatalogue::kWidgetOpacity, QStringLiteral("nan"));
    UserDefaults::setString(PreferencesCatalogue::kAlertDownValue, QStringLiteral("1e999"));
    UserDefaults::setInteger(PreferencesCatalogue::kDisplayMode, 42);
    DesktopApp app;
    app.start();
    EXPECT_DOUBLE_EQ(app.panel()->windowOpacity(), 1.0);
    EXPECT_LE(app.panel()->width(), 4096);
}

TEST_F(DesktopAppTest, TickFeedsTheView) {
    DesktopApp app;
    app.start();
    app.view()->upHistory.back() = -1;
    app.tick();
    // The -1 marker moved one place towards the oldest end; a measured rate took its place.
    EXPECT_EQ(app.view()->upHistory[58], -1);
    EXPECT_GE(app.view()->upHistory[59], 0);
}

TEST_F(DesktopAppTest, MenubarModeAtStartHidesThePanelBehindTheStatusItem) {
    UserDefaults::setString(PreferencesCatalogue::kDisplayMode, QStringLiteral("menubar"));
    DesktopApp app;
    app.setTrayAvailability([] { return true; });
    app.start();
    EXPECT_FALSE(app.panel()->isVisible());
    ASSERT_NE(app.shell()->statusItem(), nullptr);
    EXPECT_EQ(app.shell()->statusItem()->title(), QStringLiteral("↓ – ↑ –"));
    app.tick();
    EXPECT_TRUE(app.shell()->statusItem()->title().startsWith(QStringLiteral("↓ ")));
    EXPECT_TRUE(app.shell()->statusItem()->title().endsWith(QStringLiteral("B/s")));
}

TEST_F(DesktopAppTest, MenubarModeShowsTheBallUntilATrayHostAppears) {
    UserDefaults::setString(PreferencesCatalogue::kDisplayMode, QStringLiteral("menubar"));
    bool trayAvailable = false;
    DesktopApp app;
    app.setTrayAvailability([&] { return trayAvailable; });
    app.start();
    EXPECT_TRUE(app.panel()->isVisible());
    app.tick();
    EXPECT_TRUE(app.panel()->isVisible());
    trayAvailable = true;
    app.tick();
    EXPECT_FALSE(app.panel()->isVisible());
}

TEST_F(DesktopAppTest, ObserversApplyDisplayModeAndLoginItem) {
    DesktopApp app;
    app.start();
    EXPECT_EQ(app.shell()->statusItem(), nullptr);
    UserDefaults::setString(PreferencesCatalogue::kDisplayMode, QStringLiteral("both"));
    NotificationCenter::instance().post(PreferencesCatalogue::kDisplayModeChanged);
    EXPECT_NE(app.shell()->statusItem(), nullptr);
    EXPECT_TRUE(app.panel()->isVisible());

    const QString entry = XdgAutostartLoginItem::entryPath();
    QFile::remove(entry);
    NotificationCenter::instance().post(PreferencesCatalogue::kLaunchAtLoginChanged, true);
    EXPECT_TRUE(QFile::exists(entry));
    // No object reads as false.
    NotificationCenter::instance().post(PreferencesCatalogue::kLaunchAtLoginChanged);
    EXPECT_FALSE(QFile::exists(entry));
}

TEST_F(DesktopAppTest, StartUpSyncsTheLoginItemWithTheSetting) {
    const QString entry = XdgAutostartLoginItem::entryPath();
    QFile::remove(entry);
    UserDefaults::setBool(PreferencesCatalogue::kLaunchAtLogin, true);
    {
        DesktopApp app;
        app.start();
        QFile file(entry);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        // The entry starts the binary that is running, by its absolute path.
        EXPECT_TRUE(file.readAll().contains(
            "\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
    }
    UserDefaults::setBool(PreferencesCatalogue::kLaunchAtLogin, false);
    DesktopApp app;
    app.start();
    EXPECT_FALSE(QFile::exists(entry));
}

} // namespace
