#include "shell/StatusMenuHandler.h"

#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "shell/AppShell.h"
#include "shell/WindowCommands.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>

StatusMenuHandler::StatusMenuHandler(AppShell& shell) : m_shell(shell) {}

void StatusMenuHandler::statusClicked() {
    StatusItem* item = m_shell.statusItem();
    if (!item)
        return;
    QMenu* menu = m_shell.buildStatusMenu();
    // Under the icon where the host says where it is, else at the pointer.
    const QRect icon = item->geometry();
    menu->popup(icon.isValid() ? icon.bottomLeft() + QPoint(0, 1) : QCursor::pos());
}

void StatusMenuHandler::openHistory() {
    WindowCommands::openHistoryWindow(m_shell.historyWindow, &m_shell);
}

void StatusMenuHandler::openSpeedTest() {
    WindowCommands::openSpeedTest();
}

void StatusMenuHandler::openPrefs() {
    WindowCommands::openPreferences();
}

void StatusMenuHandler::quit() {
    QApplication::quit();
}

void StatusMenuHandler::setMode(QAction* sender) {
    const QVariant raw = sender ? sender->data() : QVariant();
    if (raw.typeId() != QMetaType::QString)
        return;
    UserDefaults::setString(PreferencesCatalogue::kDisplayMode, raw.toString());
    m_shell.applyDisplayMode();
}
