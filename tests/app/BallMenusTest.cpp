#include "ball/BallMenus.h"
#include "app/MenuDescription.h"
#include "ball/ContextMenuPlacement.h"
#include "ball/OpacitySliderItem.h"
#include "support/Screenshots.h"

#include <QLabel>
#include <QSlider>
#include <QWidgetAction>

#include <gtest/gtest.h>

namespace {

const std::vector<std::pair<QString, double>> kPresets = {{QStringLiteral("100%（不透明）"), 1.0},
                                                          {QStringLiteral("80%"), 0.8},
                                                          {QStringLiteral("60%"), 0.6},
                                                          {QStringLiteral("40%"), 0.4},
                                                          {QStringLiteral("20%（极淡）"), 0.2}};

class BallMenusTest : public testing::Test {
protected:
    BallMenusTest() {
        state.opacityPresets.assign(BallOpacity::kPresets.begin(), BallOpacity::kPresets.end());
        actions.openHistoryWindow = [this] { calls << "history"; };
        actions.openSpeedTest = [this] { calls << "speedtest"; };
        actions.openPreferences = [this] { calls << "preferences"; };
        actions.toggleFloating = [this] { calls << "toggle"; };
        actions.tuckToNearestEdge = [this] { calls << "tuck"; };
        actions.expandNow = [this] { calls << "expand"; };
        actions.resetStats = [this] { calls << "reset"; };
        actions.setOpacity = [this](double v) { calls << QStringLiteral("opacity %1").arg(v); };
        actions.opacitySliderChanged = [this](int v) {
            calls << QStringLiteral("slider %1").arg(v);
        };
        actions.quit = [this] { calls << "quit"; };
    }

    BallMenuState state;
    BallMenuActions actions;
    QStringList calls;
};

TEST_F(BallMenusTest, BallMenuItems) {
    state.today = DailyTraffic{1536, 1048576, {}};
    std::unique_ptr<QMenu> menu(BallMenus::buildBallMenu(state, actions));
    EXPECT_EQ(describe(*menu).join(u'\n'), QStringLiteral("今日 ↓ 1.5 KB ↑ 1.0 MB [disabled]\n"
                                                          "---\n"
                                                          "📊 流量统计 [Ctrl+S]\n"
                                                          "⚡ 网络测速 [Ctrl+T]\n"
                                                          "隐藏悬浮球\n"
                                                          "偏好设置… [Ctrl+,]\n"
                                                          "---\n"
                                                          "退出 [Ctrl+Q]"));
    state.panelHidden = true;
    menu.reset(BallMenus::buildBallMenu(state, actions));
    EXPECT_EQ(describe(*menu)[4], QStringLiteral("显示悬浮球"));

    for (const char* title : {"📊 流量统计", "⚡ 网络测速", "显示悬浮球", "偏好设置…", "退出"})
        findAction(*menu, QString::fromUtf8(title))->trigger();
    EXPECT_EQ(calls.join(u','), QStringLiteral("history,speedtest,toggle,preferences,quit"));
}

TEST_F(BallMenusTest, ContextMenuItemsAndSpacing) {
    state.peakUp = 1024;
    state.peakDown = 2 * 1048576;
    state.totalUp = 10;
    state.totalDown = 1073741824;
    state.currentOpacity = 0.805;
    std::unique_ptr<QMenu> menu(BallMenus::buildContextMenu(state, actions));
    EXPECT_EQ(menu->actions().size(), 12);
    EXPECT_EQ(describe(*menu).join(u'\n'),
              QStringLiteral(
                  "峰值  ↑ 1.0 KB/s    ↓ 2.0 MB/s [disabled]\n"
                  "累计  ↑ 10 B    ↓ 1.00 GB [disabled]\n"
                  "今日  ↓ 0 B  ↑ 0 B [disabled]\n"
                  "---\n"
                  "📊 流量统计... [Ctrl+S]\n"
                  "⚡ 网络测速… [Ctrl+T]\n"
                  "🎚 透明度 {100%（不透明）, 80% [on], 60%, 40%, 20%（极淡）, }\n"
                  "↔ 贴边收起\n"
                  "重置统计\n"
                  "偏好设置… [Ctrl+,]\n"
                  "---\n"
                  "退出岚 [Ctrl+Q]"));

    state.tucked = true;
    state.currentOpacity = 0.82;
    menu.reset(BallMenus::buildContextMenu(state, actions));
    EXPECT_EQ(describe(*menu)[7], QStringLiteral("↔ 展开悬浮球"));
    EXPECT_EQ(
        describe(*menu)[6],
        QStringLiteral("🎚 透明度 {100%（不透明）, 80%, 60%, 40%, 20%（极淡）, }"));
    for (const char* title : {"↔ 展开悬浮球", "重置统计", "60%", "📊 流量统计...", "退出岚"})
        findAction(*menu, QString::fromUtf8(title))->trigger();
    EXPECT_EQ(calls.join(u','), QStringLiteral("expand,reset,opacity 0.6,history,quit"));
}

TEST_F(BallMenusTest, OpacitySliderItem) {
    state.currentOpacity = 0.4;
    std::unique_ptr<QMenu> menu(BallMenus::buildContextMenu(state, actions));
    QMenu* opacity = menu->actions()[6]->menu();
    ASSERT_NE(opacity, nullptr);
    auto* widgetAction = qobject_cast<QWidgetAction*>(opacity->actions().last());
    ASSERT_NE(widgetAction, nullptr);
    auto* item = qobject_cast<OpacitySliderItem*>(widgetAction->defaultWidget());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->size(), QSize(220, 46));
    EXPECT_EQ(item->slider()->geometry(), QRect(12, 6, 196, 20));
    EXPECT_EQ(item->slider()->minimum(), 10);
    EXPECT_EQ(item->slider()->maximum(), 100);
    EXPECT_EQ(item->slider()->value(), 40);
    auto* caption = item->findChild<QLabel*>();
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), QStringLiteral("拖动调节透明度"));
    EXPECT_EQ(caption->geometry(), QRect(12, 28, 196, 14));
    item->slider()->setValue(10);
    EXPECT_EQ(calls, QStringList{"slider 10"});

    menu->popup(QPoint(100, 100));
    opacity->popup(QPoint(300, 100));
    saveScreenshot(opacity->grab().toImage(), QStringLiteral("opacity-menu"));
    saveScreenshot(menu->grab().toImage(), QStringLiteral("context-menu"));
}

TEST(ContextMenuPlacement, BelowWhenTheItemsFitElseAbove) {
    const QRect visible(0, 0, 1440, 900);
    // Plenty of room below: 2 under the ball.
    auto below = ContextMenuPlacement::compute(QRect(300, 100, 216, 92), visible, 12);
    EXPECT_EQ(below.x, 300);
    EXPECT_FALSE(below.above);
    EXPECT_EQ(below.y, 194);
    EXPECT_EQ(below.topLeft(250), QPoint(300, 194));

    // 100 above the bottom: 12 * 24 + 24 = 312 > 100, so above the ball.
    auto above = ContextMenuPlacement::compute(QRect(300, 708, 216, 92), visible, 12);
    EXPECT_TRUE(above.above);
    EXPECT_EQ(above.y, 706);
    EXPECT_EQ(above.topLeft(250), QPoint(300, 456));

    // Exactly 312 below still fits.
    EXPECT_FALSE(ContextMenuPlacement::compute(QRect(300, 496, 216, 92), visible, 12).above);
    EXPECT_TRUE(ContextMenuPlacement::compute(QRect(300, 497, 216, 92), visible, 12).above);
}

TEST(ContextMenuPlacement, PulledInFromTheRightEdge) {
    const QRect visible(0, 25, 1440, 850);
    auto nearRight = ContextMenuPlacement::compute(QRect(1300, 100, 216, 92), visible, 12);
    EXPECT_EQ(nearRight.x, 1440 - 220);
    auto tuckedRight = ContextMenuPlacement::compute(QRect(1410, 100, 216, 92), visible, 12);
    EXPECT_EQ(tuckedRight.x, 1220);
    // A second screen to the right keeps its own edge.
    auto second =
        ContextMenuPlacement::compute(QRect(1500, 100, 216, 92), QRect(1440, 0, 1920, 1080), 12);
    EXPECT_EQ(second.x, 1500);
}

} // namespace
