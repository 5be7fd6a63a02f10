#include "shell/AppShell.h"

#include "ball/ContextMenuPlacement.h"
#include "ball/FloatingPanel.h"
#include "ball/SpeedView.h"
#include "common/Clock.h"
#include "settings/PreferencesCatalogue.h"
#include "shell/StatusMenu.h"
#include "shell/StatusTitle.h"
#include "shell/WindowCommands.h"
#include "traffic/core/DataPlan.h"
#include "traffic/core/DataPlanText.h"
#include "traffic/core/TrafficRecorder.h"

#include <QApplication>
#include <QScreen>

namespace {

std::optional<QString> storedPlanRow() {
    // Without a plan the store is not even asked.
    if (!PreferencesCatalogue::dataPlan())
        return std::nullopt;
    const auto usage = DataPlan::usageFromSettings(TrafficRecorder::shared().data(),
                                                   Clock::system().now().toLocalTime().date());
    if (!usage)
        return std::nullopt;
    return DataPlanText::menuRow(*usage);
}

} // namespace

AppShell::AppShell(FloatingPanel* panel, SpeedView* view, TodaySource today)
    : m_panel(panel), m_view(view), m_today(std::move(today)), m_planRow(&storedPlanRow),
      m_trayAvailable(&QSystemTrayIcon::isSystemTrayAvailable), m_statusHandler(*this) {
    // Hosts that draw the menu themselves get this one, refilled whenever it opens.
    connect(&m_hostMenu, &QMenu::aboutToShow, this, [this] {
        fillStatusMenu(m_hostMenu, m_statusHandler, m_today ? m_today() : std::nullopt,
                       PreferencesCatalogue::displayMode(), planRow());
    });
    if (view) {
        connect(view, &SpeedView::clicked, this, &AppShell::showBallMenu);
        connect(view, &SpeedView::contextMenuRequested, this, &AppShell::showContextMenu);
    }
}

AppShell::~AppShell() = default;

FloatingPanel* AppShell::panel() const {
    return m_panel;
}

void AppShell::setupStatusItem() {
    if (m_statusItem)
        return;
    m_statusItem = std::make_unique<StatusItem>();
    m_statusItem->setContextMenu(&m_hostMenu);
    connect(m_statusItem.get(), &StatusItem::clicked, &m_statusHandler,
            &StatusMenuHandler::statusClicked);
    m_statusItem->setTitle(StatusTitle::kInitial, QStringLiteral("–"), QStringLiteral("–"));
}

void AppShell::teardownStatusItem() {
    m_statusItem.reset();
}

void AppShell::updateStatusTitle(double down, double up) {
    if (!m_statusItem)
        return;
    m_statusItem->setTitle(StatusTitle::title(down, up), StatusTitle::shortRate(down),
                           StatusTitle::shortRate(up));
}

void AppShell::applyDisplayMode() {
    const DisplayMode mode = PreferencesCatalogue::displayMode();
    if (mode == DisplayMode::floating)
        teardownStatusItem();
    else
        setupStatusItem();
    m_trayWasAvailable = m_trayAvailable();
    if (!m_panel)
        return;
    if (mode == DisplayMode::menubar && m_trayWasAvailable)
        m_panel->hide();
    else
        m_panel->orderFrontRegardless();
}

void AppShell::followTrayHost() {
    if (PreferencesCatalogue::displayMode() != DisplayMode::menubar)
        return;
    if (m_trayAvailable() != m_trayWasAvailable)
        applyDisplayMode();
}

void AppShell::present() {
    const bool ballHiddenByMode =
        PreferencesCatalogue::displayMode() == DisplayMode::menubar && m_trayAvailable();
    if (ballHiddenByMode || !m_panel || !m_view) {
        WindowCommands::openHistoryWindow(historyWindow, this);
        return;
    }
    m_panel->orderFrontRegardless();
    if (m_view->tuckedEdge != SpeedView::TuckEdge::none)
        m_view->expandNow();
}

void AppShell::setTrayAvailability(std::function<bool()> available) {
    m_trayAvailable = std::move(available);
}

void AppShell::setPlanRowSource(PlanRowSource planRow) {
    m_planRow = std::move(planRow);
}

std::optional<QString> AppShell::planRow() const {
    return m_planRow ? m_planRow() : std::nullopt;
}

QMenu* AppShell::buildStatusMenu() {
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fillStatusMenu(*menu, m_statusHandler, m_today ? m_today() : std::nullopt,
                   PreferencesCatalogue::displayMode(), planRow());
    return menu;
}

QMenu* AppShell::buildBallMenu() {
    return BallMenus::buildBallMenu(ballMenuState(), ballMenuActions());
}

QMenu* AppShell::buildContextMenu() {
    return BallMenus::buildContextMenu(ballMenuState(), ballMenuActions());
}

void AppShell::showBallMenu(QPoint globalPos) {
    buildBallMenu()->popup(globalPos);
}

void AppShell::showContextMenu(QPoint globalPos) {
    QMenu* menu = buildContextMenu();
    QScreen* screen = m_view && m_view->isVisible() ? m_view->screen() : nullptr;
    if (!screen) {
        menu->popup(globalPos);
        return;
    }
    const QRect ball(m_view->mapToGlobal(QPoint(0, 0)), m_view->size());
    const auto placement = ContextMenuPlacement::compute(ball, screen->availableGeometry(),
                                                         int(menu->actions().size()));
    menu->popup(placement.topLeft(menu->sizeHint().height()));
}

BallMenuState AppShell::ballMenuState() const {
    BallMenuState state;
    state.today = m_today ? m_today() : std::nullopt;
    state.planRow = planRow();
    state.panelHidden = m_panel && !m_panel->isVisible();
    state.opacityPresets.assign(SpeedView::opacityPresets.begin(), SpeedView::opacityPresets.end());
    if (m_view) {
        state.peakUp = m_view->peakUp;
        state.peakDown = m_view->peakDown;
        state.totalUp = m_view->totalUp;
        state.totalDown = m_view->totalDown;
        state.tucked = m_view->tuckedEdge != SpeedView::TuckEdge::none;
        state.currentOpacity = m_view->currentOpacity();
    }
    return state;
}

BallMenuActions AppShell::ballMenuActions() {
    // The menu may outlive neither, but a guard costs nothing.
    const QPointer<SpeedView> view = m_view;
    const auto onView = [view](void (SpeedView::*operation)()) {
        return [view, operation] {
            if (view)
                (view->*operation)();
        };
    };
    BallMenuActions actions;
    actions.openHistoryWindow = [this] { WindowCommands::openHistoryWindow(historyWindow, this); };
    actions.openSpeedTest = &WindowCommands::openSpeedTest;
    actions.openPreferences = &WindowCommands::openPreferences;
    actions.toggleFloating = onView(&SpeedView::toggleFloating);
    actions.tuckToNearestEdge = onView(&SpeedView::tuckToNearestEdge);
    actions.expandNow = onView(&SpeedView::expandNow);
    actions.resetStats = onView(&SpeedView::resetStats);
    actions.setOpacity = [view](double value) {
        if (view)
            view->setOpacity(value);
    };
    actions.opacitySliderChanged = [view](int percent) {
        if (view)
            view->opacitySliderChanged(percent);
    };
    actions.quit = &QApplication::quit;
    return actions;
}
