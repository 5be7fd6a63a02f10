#include "shell/AppShell.h"
#include "app/MenuDescription.h"
#include "ball/FloatingPanel.h"
#include "ball/SpeedView.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "shell/PreferencesWindow.h"
#include "speedtest/windows/SpeedTestWindow.h"
#include "support/Screenshots.h"
#include "traffic/windows/TrafficHistoryWindow.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

using P = PreferencesCatalogue;

class AppShellTest : public testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
        panel.setContentView(view);
        view->hostPanel = &panel;
        shell.setTrayAvailability([this] { return trayAvailable; });
    }
    void setMode(const char* raw) {
        UserDefaults::setString(P::kDisplayMode, QString::fromLatin1(raw));
    }

    FloatingPanel panel{QRect(100, 100, 216, 92)};
    SpeedView* view = new SpeedView;
    std::optional<DailyTraffic> today;
    bool trayAvailable = true;
    AppShell shell{&panel, view, [this] { return today; }};
};

TEST_F(AppShellTest, FloatingModeShowsOnlyThePanel) {
    shell.applyDisplayMode();
    EXPECT_EQ(shell.statusItem(), nullptr);
    EXPECT_TRUE(panel.isVisible());
    shell.updateStatusTitle(1, 2); // no status item: nothing happens
    EXPECT_EQ(shell.statusItem(), nullptr);
}

TEST_F(AppShellTest, MenubarTwiceKeepsOneItemAndHidesThePanel) {
    panel.orderFrontRegardless();
    setMode("menubar");
    shell.applyDisplayMode();
    StatusItem* first = shell.statusItem();
    ASSERT_NE(first, nullptr);
    shell.updateStatusTitle(1.2 * 1048576, 35 * 1024);
    shell.applyDisplayMode();
    EXPECT_EQ(shell.statusItem(), first);
    EXPECT_EQ(first->title(), QStringLiteral("↓ 1.2 MB/s ↑ 35.0 KB/s"));
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(AppShellTest, MenubarWithoutATrayHostKeepsTheBall) {
    trayAvailable = false;
    setMode("menubar");
    shell.applyDisplayMode();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_NE(shell.statusItem(), nullptr); // shown as soon as a host turns up
    trayAvailable = true;
    shell.applyDisplayMode();
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(AppShellTest, TheBallFollowsATrayHostThatComesAndGoesInTheMenubarMode) {
    trayAvailable = false;
    setMode("menubar");
    shell.applyDisplayMode();
    shell.followTrayHost();
    EXPECT_TRUE(panel.isVisible());
    trayAvailable = true; // a tray host started after the program
    shell.followTrayHost();
    EXPECT_FALSE(panel.isVisible());
    shell.followTrayHost();
    EXPECT_FALSE(panel.isVisible());
    trayAvailable = false; // and quit again: only the ball can show the program now
    shell.followTrayHost();
    EXPECT_TRUE(panel.isVisible());
}

TEST_F(AppShellTest, OutsideTheMenubarModeATrayHostLeavesTheBallAlone) {
    for (const char* mode : {"both", "floating"}) {
        trayAvailable = false;
        setMode(mode);
        shell.applyDisplayMode();
        panel.hide(); // hidden from its own menu
        trayAvailable = true;
        shell.followTrayHost();
        EXPECT_FALSE(panel.isVisible()) << mode;
        trayAvailable = false;
        shell.followTrayHost();
        EXPECT_FALSE(panel.isVisible()) << mode;
    }
}

TEST_F(AppShellTest, BothThenFloatingThenBothStartsAFreshTitle) {
    setMode("both");
    shell.applyDisplayMode();
    ASSERT_NE(shell.statusItem(), nullptr);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(shell.statusItem()->title(), QStringLiteral("↓ – ↑ –"));
    shell.updateStatusTitle(512, 0);
    EXPECT_EQ(shell.statusItem()->title(), QStringLiteral("↓ 512 B/s ↑ 0 B/s"));

    setMode("floating");
    shell.applyDisplayMode();
    EXPECT_EQ(shell.statusItem(), nullptr);
    EXPECT_TRUE(panel.isVisible());

    setMode("both");
    shell.applyDisplayMode();
    ASSERT_NE(shell.statusItem(), nullptr);
    EXPECT_EQ(shell.statusItem()->title(), QStringLiteral("↓ – ↑ –"));
}

TEST_F(AppShellTest, StatusMenuContents) {
    today = DailyTraffic{1536, 0, {}};
    setMode("both");
    std::unique_ptr<QMenu> menu(shell.buildStatusMenu());
    EXPECT_EQ(describe(*menu).join(u'\n'), QStringLiteral("今日 ↓ 1.5 KB ↑ 0 B [disabled]\n"
                                                          "---\n"
                                                          "📊 流量统计…\n"
                                                          "⚡ 网络测速…\n"
                                                          "显示模式 {悬浮球, 菜单栏, 两者 [on]}\n"
                                                          "偏好设置…\n"
                                                          "---\n"
                                                          "退出 [Ctrl+Q]"));
    QAction* both = findAction(*menu, QStringLiteral("两者"));
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->data().toString(), QStringLiteral("both"));

    today.reset();
    setMode("nonsense");
    menu.reset(shell.buildStatusMenu());
    EXPECT_EQ(describe(*menu).first(), QStringLiteral("今日 ↓ 0 B ↑ 0 B [disabled]"));
    EXPECT_EQ(describe(*menu)[4], QStringLiteral("显示模式 {悬浮球 [on], 菜单栏, 两者}"));
}

TEST_F(AppShellTest, ChoosingMenubarStoresItAndAppliesIt) {
    panel.orderFrontRegardless();
    setMode("both");
    shell.applyDisplayMode();
    std::unique_ptr<QMenu> menu(shell.buildStatusMenu());
    findAction(*menu, QStringLiteral("菜单栏"))->trigger();
    EXPECT_EQ(UserDefaults::stringValue(P::kDisplayMode), QStringLiteral("menubar"));
    EXPECT_FALSE(panel.isVisible());
    EXPECT_NE(shell.statusItem(), nullptr);

    menu.reset(shell.buildStatusMenu());
    findAction(*menu, QStringLiteral("悬浮球"))->trigger();
    EXPECT_EQ(shell.statusItem(), nullptr);
    EXPECT_TRUE(panel.isVisible());
}

TEST_F(AppShellTest, PreferencesCommandOpensTheSharedWindow) {
    std::unique_ptr<QMenu> menu(shell.buildStatusMenu());
    findAction(*menu, QStringLiteral("偏好设置…"))->trigger();
    ASSERT_TRUE(PreferencesWindow::shared().window);
    EXPECT_TRUE(PreferencesWindow::shared().window->isVisible());
    PreferencesWindow::shared().window->close();
    findAction(*menu, QStringLiteral("⚡ 网络测速…"))->trigger();
    EXPECT_TRUE(SpeedTestWindow::shared().isVisible());
    SpeedTestWindow::shared().close();
}

TEST_F(AppShellTest, StatusAndBallMenusShareOneStatisticsWindow) {
    EXPECT_EQ(shell.historyWindow, nullptr);
    std::unique_ptr<QMenu> ballMenu(shell.buildBallMenu());
    findAction(*ballMenu, QStringLiteral("📊 流量统计"))->trigger();
    ASSERT_NE(shell.historyWindow, nullptr);
    TrafficHistoryWindow* first = shell.historyWindow;
    ASSERT_NE(first->window(), nullptr);
    EXPECT_TRUE(first->window()->isVisible());
    first->window()->close();

    std::unique_ptr<QMenu> statusMenu(shell.buildStatusMenu());
    findAction(*statusMenu, QStringLiteral("📊 流量统计…"))->trigger();
    std::unique_ptr<QMenu> contextMenu(shell.buildContextMenu());
    findAction(*contextMenu, QStringLiteral("📊 流量统计..."))->trigger();
    EXPECT_EQ(shell.historyWindow, first);
    EXPECT_TRUE(first->window()->isVisible());
    EXPECT_EQ(shell.findChildren<TrafficHistoryWindow*>().size(), 1);
}

TEST_F(AppShellTest, PresentBringsAHiddenTuckedBallBackExpanded) {
    panel.orderFrontRegardless();
    view->tuckToNearestEdge();
    ASSERT_EQ(view->tuckedEdge, SpeedView::TuckEdge::left); // x = 100 on a wide screen
    panel.hide();

    shell.present();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(view->tuckedEdge, SpeedView::TuckEdge::none);
    EXPECT_FALSE(UserDefaults::stringValue(P::kWidgetTucked).has_value());
    EXPECT_EQ(shell.historyWindow, nullptr);
}

TEST_F(AppShellTest, PresentOpensTheStatisticsWhenTheTrayItemStandsInForTheBall) {
    setMode("menubar");
    shell.applyDisplayMode();
    ASSERT_FALSE(panel.isVisible());

    shell.present();
    ASSERT_NE(shell.historyWindow, nullptr);
    EXPECT_TRUE(shell.historyWindow->window()->isVisible());
    EXPECT_FALSE(panel.isVisible());
    shell.historyWindow->window()->close();

    trayAvailable = false; // nothing would show the program but the ball
    shell.applyDisplayMode();
    panel.hide();
    shell.present();
    EXPECT_TRUE(panel.isVisible());
}

TEST_F(AppShellTest, HostMenuIsRebuiltWhenItOpens) {
    setMode("menubar");
    shell.applyDisplayMode();
    QMenu* hostMenu = shell.statusItem()->contextMenu();
    ASSERT_NE(hostMenu, nullptr);
    today = DailyTraffic{2048, 1024, {}};
    Q_EMIT hostMenu->aboutToShow();
    EXPECT_EQ(describe(*hostMenu).first(), QStringLiteral("今日 ↓ 2.0 KB ↑ 1.0 KB [disabled]"));
    today = DailyTraffic{4096, 1024, {}};
    Q_EMIT hostMenu->aboutToShow();
    EXPECT_EQ(describe(*hostMenu).first(), QStringLiteral("今日 ↓ 4.0 KB ↑ 1.0 KB [disabled]"));
    EXPECT_EQ(describe(*hostMenu).size(), 8);
}

// The menu that popped up last, closed again once looked at.
std::unique_ptr<QMenu, void (*)(QMenu*)> poppedMenu() {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return {menu, [](QMenu* m) {
                if (m)
                    m->close();
            }};
}

TEST_F(AppShellTest, BallClickOpensTheBallMenuAtThePointer) {
    today = DailyTraffic{3 * 1048576, 512, {}};
    panel.orderFrontRegardless();
    Q_EMIT view->clicked(QPoint(300, 200));
    auto menu = poppedMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->pos(), QPoint(300, 200));
    EXPECT_EQ(describe(*menu).first(), QStringLiteral("今日 ↓ 3.0 MB ↑ 512 B [disabled]"));
    EXPECT_EQ(describe(*menu)[4], QStringLiteral("隐藏悬浮球"));
}

TEST_F(AppShellTest, ContextMenuSitsAboveABallNearTheBottomAndInsideTheRightEdge) {
    const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
    const int bottom = visible.y() + visible.height();
    const int right = visible.x() + visible.width();
    panel.setGeometry(right - 100, bottom - 100 - 92, 216, 92);
    panel.orderFrontRegardless();
    view->peakUp = 2048;
    Q_EMIT view->contextMenuRequested(QPoint(right - 50, bottom - 150));
    auto menu = poppedMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().size(), 12);
    EXPECT_EQ(describe(*menu).first(), QStringLiteral("峰值  ↑ 2.0 KB/s    ↓ 0 B/s [disabled]"));
    // Pulled in to 220 from the right edge, and further when the menu is wider than that.
    EXPECT_EQ(menu->x(), std::min(right - 220, right - menu->width()));
    // Bottom edge 2 above the ball's top.
    EXPECT_EQ(menu->y() + menu->height(), bottom - 100 - 92 - 2);
}

TEST_F(AppShellTest, ContextMenuCommandsActOnTheBall) {
    panel.orderFrontRegardless();
    view->peakDown = 5000;
    view->totalUp = 77;
    std::unique_ptr<QMenu> menu(shell.buildContextMenu());
    findAction(*menu, QStringLiteral("重置统计"))->trigger();
    EXPECT_EQ(view->peakDown, 0);
    EXPECT_EQ(view->totalUp, 0u);

    findAction(*menu, QStringLiteral("80%"))->trigger();
    EXPECT_DOUBLE_EQ(UserDefaults::doubleValue(P::kWidgetOpacity), 0.8);
    menu.reset(shell.buildContextMenu());
    EXPECT_EQ(describe(*menu)[6],
              QStringLiteral(
                  "🎚 透明度 {100%（不透明）, 80% [on], 60%, 40%, 20%（极淡）, }"));

    findAction(*menu, QStringLiteral("↔ 贴边收起"))->trigger();
    EXPECT_EQ(view->tuckedEdge, SpeedView::TuckEdge::left); // x = 100: the left edge is nearer
    menu.reset(shell.buildContextMenu());
    EXPECT_EQ(describe(*menu)[7], QStringLiteral("↔ 展开悬浮球"));

    std::unique_ptr<QMenu> ballMenu(shell.buildBallMenu());
    findAction(*ballMenu, QStringLiteral("隐藏悬浮球"))->trigger();
    EXPECT_FALSE(panel.isVisible());
    ballMenu.reset(shell.buildBallMenu());
    EXPECT_EQ(describe(*ballMenu)[4], QStringLiteral("显示悬浮球"));
}

TEST(StatusIcon, TwoLinesOnADarkRoundedSquare) {
    const QImage image = StatusItem::renderIcon(QStringLiteral("1.2M"), QStringLiteral("35K"), 44);
    saveScreenshot(image, QStringLiteral("tray-icon"));
    saveScreenshot(StatusItem::renderIcon(QStringLiteral("–"), QStringLiteral("–"), 22),
                   QStringLiteral("tray-icon-initial-22"));
    ASSERT_EQ(image.size(), QSize(44, 44));
    // Rounded corners stay transparent; the middle is the dark plate.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(43, 43)), 0);
    EXPECT_GT(qAlpha(image.pixel(22, 1)), 200);

    // Each half holds light text pixels; the blue arrow sits on the upper, the green on the lower.
    auto count = [&](int top, int bottom, auto predicate) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 44; ++x)
                n += predicate(image.pixelColor(x, y)) ? 1 : 0;
        return n;
    };
    auto light = [](const QColor& c) { return c.red() > 180 && c.green() > 180 && c.blue() > 180; };
    auto blue = [](const QColor& c) { return c.blue() > 180 && c.red() < 140; };
    auto green = [](const QColor& c) { return c.green() > 160 && c.red() < 140 && c.blue() < 170; };
    EXPECT_GT(count(0, 22, light), 20);
    EXPECT_GT(count(22, 44, light), 20);
    EXPECT_GT(count(0, 22, blue), 5);
    EXPECT_EQ(count(22, 44, blue), 0);
    EXPECT_GT(count(22, 44, green), 5);
    EXPECT_EQ(count(0, 22, green), 0);
    // The text stays inside the plate.
    EXPECT_EQ(count(0, 1, light), 0);
    EXPECT_EQ(count(43, 44, light), 0);
}

} // namespace
