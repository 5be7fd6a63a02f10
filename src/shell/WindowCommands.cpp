#include "shell/WindowCommands.h"

#include "shell/PreferencesWindow.h"
#include "speedtest/windows/SpeedTestWindow.h"
#include "traffic/windows/TrafficHistoryWindow.h"

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
