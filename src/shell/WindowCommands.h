#pragma once

#include <QPointer>

class TrafficHistoryWindow;

// The windows the menus open. Each is one instance for the whole program.
namespace WindowCommands {

// Opens the traffic statistics window kept in slot, creating it there (owned by owner) on
// first use.
void openHistoryWindow(QPointer<TrafficHistoryWindow>& slot, QObject* owner);
void openSpeedTest();
void openPreferences();

} // namespace WindowCommands
