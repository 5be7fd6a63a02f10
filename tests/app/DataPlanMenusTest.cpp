#include "app/MenuDescription.h"
#include "ball/FloatingPanel.h"
#include "ball/SpeedView.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "shell/AppShell.h"
#include "support/Screenshots.h"

#include <QMenu>

#include <gtest/gtest.h>

namespace {

using P = PreferencesCatalogue;

const QString kPlanRow = QStringLiteral("套餐  42.90 GB / 100.00 GB（43%）· 剩 9 天");

const QString kStatusMenu = QStringLiteral("今日 ↓ 1.5 KB ↑ 0 B [disabled]\n"
                                           "---\n"
                                           "📊 流量统计…\n"
                                           "⚡ 网络测速…\n"
                                           "显示模式 {悬浮球 [on], 菜单栏, 两者}\n"
                                           "偏好设置…\n"
                                           "---\n"
                                           "退出 [Ctrl+Q]");
const QString kBallMenu = QStringLiteral("今日 ↓ 1.5 KB ↑ 0 B [disabled]\n"
                                         "---\n"
                                         "📊 流量统计 [Ctrl+S]\n"
                                         "⚡ 网络测速 [Ctrl+T]\n"
                                         "隐藏悬浮球\n"
                                         "偏好设置… [Ctrl+,]\n"
                                         "---\n"
                                         "退出 [Ctrl+Q]");

QString withPlanRow(const QString& menu) {
    QStringList rows = menu.split(u'\n');
    rows.insert(1, kPlanRow + QStringLiteral(" [disabled]"));
    return rows.join(u'\n');
}

class DataPlanMenusTest : public testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
        panel.setContentView(view);
        view->hostPanel = &panel;
        panel.show();
        shell.setTrayAvailability([] { return true; });
    }
    QString statusMenu() {
        std::unique_ptr<QMenu> menu(shell.buildStatusMenu());
        return describe(*menu).join(u'\n');
    }
    QString ballMenu() {
        std::unique_ptr<QMenu> menu(shell.buildBallMenu());
        return describe(*menu).join(u'\n');
    }
    QStringList contextMenu() {
        std::unique_ptr<QMenu> menu(shell.buildContextMenu());
        return describe(*menu);
    }

    FloatingPanel panel{QRect(100, 100, 216, 92)};
    SpeedView* view = new SpeedView;
    AppShell shell{&panel, view, [] { return DailyTraffic{1536, 0, {}}; }};
};

} // namespace

// With no plan stored, the program's own source adds nothing: every menu is as it always was.
TEST_F(DataPlanMenusTest, WithoutAPlanEveryMenuIsUnchanged) {
    const QStringList contextBefore = contextMenu();
    EXPECT_EQ(statusMenu(), kStatusMenu);
    EXPECT_EQ(ballMenu(), kBallMenu);
    EXPECT_EQ(contextMenu().size(), 12);
    for (const char* quota : {"0", "-1"}) {
        UserDefaults::setString(P::kDataPlanQuotaGB, QString::fromLatin1(quota));
        UserDefaults::setInteger(P::kDataPlanResetDay, 15);
        EXPECT_EQ(statusMenu(), kStatusMenu) << quota;
        EXPECT_EQ(ballMenu(), kBallMenu) << quota;
        EXPECT_EQ(contextMenu(), contextBefore) << quota;
    }
}

TEST_F(DataPlanMenusTest, ThePlanRowFollowsTheTodayRow) {
    shell.setPlanRowSource([] { return kPlanRow; });
    EXPECT_EQ(statusMenu(), withPlanRow(kStatusMenu));
    EXPECT_EQ(ballMenu(), withPlanRow(kBallMenu));
    // For a person to look at.
    std::unique_ptr<QMenu> shown(shell.buildStatusMenu());
    shown->popup(QPoint(0, 0));
    saveScreenshot(shown->grab().toImage(), QStringLiteral("tray-menu-data-plan"));
    shown->hide();

    shell.setPlanRowSource([] { return std::nullopt; });
    EXPECT_EQ(statusMenu(), kStatusMenu);
    EXPECT_EQ(ballMenu(), kBallMenu);
}

// The right-click menu keeps its twelve rows: its placement counts them.
TEST_F(DataPlanMenusTest, TheContextMenuHasNoPlanRow) {
    const QStringList before = contextMenu();
    shell.setPlanRowSource([] { return kPlanRow; });
    EXPECT_EQ(contextMenu(), before);
}

// The status item's own menu, refilled whenever a tray host opens it.
TEST_F(DataPlanMenusTest, TheHostMenuCarriesTheRowToo) {
    UserDefaults::setString(P::kDisplayMode, QStringLiteral("both"));
    shell.applyDisplayMode();
    ASSERT_NE(shell.statusItem(), nullptr);
    shell.setPlanRowSource([] { return kPlanRow; });
    QMenu* host = shell.statusItem()->contextMenu();
    ASSERT_NE(host, nullptr);
    Q_EMIT host->aboutToShow();
    const QStringList rows = describe(*host);
    ASSERT_GE(rows.size(), 2);
    EXPECT_EQ(rows[1], kPlanRow + QStringLiteral(" [disabled]"));
}
