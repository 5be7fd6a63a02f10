#include "app/WindowCommands.h"

#include "settings/PreferencesWindow.h"
#include "speedtest/SpeedTestWindow.h"
#include "traffic/TrafficHistoryWindow.h"

namespace WindowCommands {

void openHistoryWindow(QPointer<TrafficHistoryWindow>& slot, QObject* owner) {
    if (!slot)
        slot = new TrafficHistoryWindow(owner);
    slot->show();
}

void openSpeedTest() {
    SpeedTestWindow::shared().show();
}

void openPreferences() {
    PreferencesWindow::shared().show();
}

} // namespace WindowCommands
