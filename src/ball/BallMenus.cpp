#include "ball/BallMenus.h"

#include "ball/MenuTitles.h"
#include "ball/OpacitySliderItem.h"
#include "common/Brand.h"

#include <QMenu>
#include <QWidgetAction>

namespace BallMenus {

namespace {

QAction* addCommand(QMenu& menu, const QString& title, const std::function<void()>& action,
                    QKeySequence key = {}) {
    QAction* item = menu.addAction(title);
    QObject::connect(item, &QAction::triggered, &menu, [action] {
        if (action)
            action();
    });
    item->setShortcut(key);
    return item;
}

void addInfo(QMenu& menu, const QString& title) {
    menu.addAction(title)->setEnabled(false);
}

QMenu* newMenu() {
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    return menu;
}

const QKeySequence kHistoryKey(Qt::CTRL | Qt::Key_S);
const QKeySequence kSpeedTestKey(Qt::CTRL | Qt::Key_T);
const QKeySequence kPreferencesKey(Qt::CTRL | Qt::Key_Comma);
const QKeySequence kQuitKey(Qt::CTRL | Qt::Key_Q);

void addOpacityMenu(QMenu& menu, const BallMenuState& state, const BallMenuActions& actions) {
    QMenu* opacity = menu.addMenu(QStringLiteral("🎚 透明度"));
    for (const auto& [title, value] : state.opacityPresets) {
        QAction* item = addCommand(*opacity, title, [set = actions.setOpacity, value = value] {
            if (set)
                set(value);
        });
        item->setData(value);
        item->setCheckable(true);
        item->setChecked(BallOpacity::presetIsCurrent(state.currentOpacity, value));
    }
    auto* slider = new QWidgetAction(opacity);
    slider->setDefaultWidget(
        new OpacitySliderItem(state.currentOpacity, actions.opacitySliderChanged));
    opacity->addAction(slider);
}

} // namespace

QMenu* buildBallMenu(const BallMenuState& state, const BallMenuActions& actions) {
    QMenu* menu = newMenu();
    addInfo(*menu, MenuTitles::today(state.today));
    if (state.planRow)
        addInfo(*menu, *state.planRow);
    menu->addSeparator();
    addCommand(*menu, QStringLiteral("📊 流量统计"), actions.openHistoryWindow, kHistoryKey);
    addCommand(*menu, QStringLiteral("⚡ 网络测速"), actions.openSpeedTest, kSpeedTestKey);
    addCommand(*menu,
               state.panelHidden ? QStringLiteral("显示悬浮球") : QStringLiteral("隐藏悬浮球"),
               actions.toggleFloating);
    addCommand(*menu, QStringLiteral("偏好设置…"), actions.openPreferences, kPreferencesKey);
    menu->addSeparator();
    addCommand(*menu, QStringLiteral("退出"), actions.quit, kQuitKey);
    return menu;
}

QMenu* buildContextMenu(const BallMenuState& state, const BallMenuActions& actions) {
    QMenu* menu = newMenu();
    addInfo(*menu, MenuTitles::peaks(state.peakUp, state.peakDown));
    addInfo(*menu, MenuTitles::totals(state.totalUp, state.totalDown));
    addInfo(*menu, MenuTitles::todayWide(state.today));
    menu->addSeparator();
    addCommand(*menu, QStringLiteral("📊 流量统计..."), actions.openHistoryWindow, kHistoryKey);
    addCommand(*menu, QStringLiteral("⚡ 网络测速…"), actions.openSpeedTest, kSpeedTestKey);
    addOpacityMenu(*menu, state, actions);
    if (state.tucked)
        addCommand(*menu, QStringLiteral("↔ 展开悬浮球"), actions.expandNow);
    else
        addCommand(*menu, QStringLiteral("↔ 贴边收起"), actions.tuckToNearestEdge);
    addCommand(*menu, QStringLiteral("重置统计"), actions.resetStats);
    addCommand(*menu, QStringLiteral("偏好设置…"), actions.openPreferences, kPreferencesKey);
    menu->addSeparator();
    addCommand(*menu, QStringLiteral("退出") + Brand::name, actions.quit, kQuitKey);
    return menu;
}

} // namespace BallMenus
