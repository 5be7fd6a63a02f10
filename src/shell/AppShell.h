#pragma once

#include "ball/BallMenus.h"
#include "shell/StatusItem.h"
#include "shell/StatusMenuHandler.h"
#include "traffic/core/DailyTraffic.h"

#include <QMenu>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class FloatingPanel;
class SpeedView;
class TrafficHistoryWindow;

// The live monitor's presence on screen: the status item with its menu, and the display mode
// that decides between it and the floating panel.
class AppShell : public QObject {
    Q_OBJECT
public:
    using TodaySource = std::function<std::optional<DailyTraffic>()>;
    // The data plan's menu row, absent while no plan is set.
    using PlanRowSource = std::function<std::optional<QString>()>;

    AppShell(FloatingPanel* panel, SpeedView* view, TodaySource today);
    ~AppShell() override;

    // Creates the status item showing "↓ – ↑ –" unless there is one.
    void setupStatusItem();
    void teardownStatusItem();
    // The tick's rates into the status item's title; nothing without a status item.
    void updateStatusTitle(double down, double up);
    // Shows the status item and/or the panel as the stored display mode says. Without a tray
    // host the status item cannot be seen, so the menu-bar mode then keeps the panel shown.
    void applyDisplayMode();
    // A later start asked for the program: the ball comes to the front, expanded when tucked.
    // When the display mode keeps the ball hidden behind a visible tray item, the statistics
    // window opens instead.
    void present();
    // Whether a tray host is there to show the status item; the platform's answer by default.
    void setTrayAvailability(std::function<bool()> available);
    // In the menu-bar mode, a tray host that came or went since the mode was applied applies
    // it again: the ball hides behind a host that appeared after start-up and comes back
    // when the host goes. Cheap enough for every tick.
    void followTrayHost();
    // Where the menus' plan row comes from; the stored plan over the shared store by default.
    void setPlanRowSource(PlanRowSource planRow);

    // A new status menu, current as of now; the caller owns it.
    QMenu* buildStatusMenu();
    // The ball's menus, current as of now; the caller owns them.
    QMenu* buildBallMenu();
    QMenu* buildContextMenu();

    StatusItem* statusItem() const { return m_statusItem.get(); }
    StatusMenuHandler& statusHandler() { return m_statusHandler; }
    FloatingPanel* panel() const;
    // The one traffic statistics window, shared by every menu that opens it.
    QPointer<TrafficHistoryWindow> historyWindow;

private:
    // A click on the untucked ball: its menu at the pointer.
    void showBallMenu(QPoint globalPos);
    // A right click: the context menu beside the ball.
    void showContextMenu(QPoint globalPos);
    BallMenuState ballMenuState() const;
    std::optional<QString> planRow() const;
    BallMenuActions ballMenuActions();

    QPointer<FloatingPanel> m_panel;
    QPointer<SpeedView> m_view;
    TodaySource m_today;
    PlanRowSource m_planRow;
    std::function<bool()> m_trayAvailable;
    // The tray host's presence when the display mode was last applied.
    bool m_trayWasAvailable = false;
    std::unique_ptr<StatusItem> m_statusItem;
    StatusMenuHandler m_statusHandler;
    QMenu m_hostMenu;
};
