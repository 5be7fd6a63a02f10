#include "app/WindowCommands.h"

#include "settings/PreferencesWindow.h"

namespace WindowCommands {

void openHistoryWindow(QPointer<QWidget>& slot) {
    if (slot) {
        slot->show();
        slot->raise();
        slot->activateWindow();
    }
}

void openSpeedTest() {}

void openPreferences() {
    PreferencesWindow::shared().show();
}

} // namespace WindowCommands
