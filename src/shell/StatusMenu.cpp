#include "shell/StatusMenu.h"

#include "ball/MenuTitles.h"
#include "shell/StatusMenuHandler.h"

#include <QMenu>

namespace {

// The status menu's own short names of the modes.
QString shortTitle(DisplayMode mode) {
    switch (mode) {
    case DisplayMode::floating:
        return QStringLiteral("悬浮球");
    case DisplayMode::menubar:
        return QStringLiteral("菜单栏");
    case DisplayMode::both:
        return QStringLiteral("两者");
    }
    return {};
}

} // namespace

void fillStatusMenu(QMenu& menu, StatusMenuHandler& handler,
                    const std::optional<DailyTraffic>& today, DisplayMode current,
                    const std::optional<QString>& planRow) {
    menu.clear();
    menu.addAction(MenuTitles::today(today))->setEnabled(false);
    if (planRow)
        menu.addAction(*planRow)->setEnabled(false);
    menu.addSeparator();
    menu.addAction(QStringLiteral("📊 流量统计…"), &handler, &StatusMenuHandler::openHistory);
    menu.addAction(QStringLiteral("⚡ 网络测速…"), &handler, &StatusMenuHandler::openSpeedTest);

    QMenu* modes = menu.addMenu(QStringLiteral("显示模式"));
    for (DisplayMode mode : kAllDisplayModes) {
        QAction* item = modes->addAction(shortTitle(mode));
        item->setData(rawValue(mode));
        item->setCheckable(true);
        item->setChecked(mode == current);
        QObject::connect(item, &QAction::triggered, &handler,
                         [&handler, item] { handler.setMode(item); });
    }

    menu.addAction(QStringLiteral("偏好设置…"), &handler, &StatusMenuHandler::openPrefs);
    menu.addSeparator();
    menu.addAction(QStringLiteral("退出"), &handler, &StatusMenuHandler::quit)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}
