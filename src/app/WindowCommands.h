#pragma once

#include <QPointer>
#include <QWidget>

// The windows the menus open. Each is one instance for the whole program.
namespace WindowCommands {

// Opens the traffic statistics window kept in slot, creating it there on first use.
void openHistoryWindow(QPointer<QWidget>& slot);
void openSpeedTest();
void openPreferences();

} // namespace WindowCommands
