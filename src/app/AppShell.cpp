#include "app/AppShell.h"

#include "app/FloatingPanel.h"
#include "app/SpeedView.h"
#include "app/StatusMenu.h"
#include "app/StatusTitle.h"
#include "settings/PreferencesCatalogue.h"

AppShell::AppShell(FloatingPanel* panel, SpeedView* view, TodaySource today)
    : m_panel(panel), m_view(view), m_today(std::move(today)), m_statusHandler(*this) {
    // Hosts that draw the menu themselves get this one, refilled whenever it opens.
    connect(&m_hostMenu, &QMenu::aboutToShow, this, [this] {
        fillStatusMenu(m_hostMenu, m_statusHandler, m_today ? m_today() : std::nullopt,
                       PreferencesCatalogue::displayMode());
    });
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
    if (!m_panel)
        return;
    if (mode == DisplayMode::menubar)
        m_panel->hide();
    else
        m_panel->orderFrontRegardless();
}

QMenu* AppShell::buildStatusMenu() {
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fillStatusMenu(*menu, m_statusHandler, m_today ? m_today() : std::nullopt,
                   PreferencesCatalogue::displayMode());
    return menu;
}
