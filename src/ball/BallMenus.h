#pragma once

#include "ball/BallOpacity.h"
#include "traffic/core/DailyTraffic.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QMenu;

// What the ball's two menus show, taken from the ball when a menu opens.
struct BallMenuState {
    std::optional<DailyTraffic> today;
    // The data plan's info row; absent while no plan is set.
    std::optional<QString> planRow;
    double peakUp = 0;
    double peakDown = 0;
    quint64 totalUp = 0;
    quint64 totalDown = 0;
    // The panel exists and is hidden.
    bool panelHidden = false;
    bool tucked = false;
    double currentOpacity = 1.0;
    std::vector<BallOpacity::Preset> opacityPresets;
};

// What the ball's menus do.
struct BallMenuActions {
    std::function<void()> openHistoryWindow;
    std::function<void()> openSpeedTest;
    std::function<void()> openPreferences;
    std::function<void()> toggleFloating;
    std::function<void()> tuckToNearestEdge;
    std::function<void()> expandNow;
    std::function<void()> resetStats;
    std::function<void(double)> setOpacity;
    std::function<void(int)> opacitySliderChanged;
    std::function<void()> quit;
};

namespace BallMenus {

// The menu of a left click on the untucked ball. The caller owns the menu.
QMenu* buildBallMenu(const BallMenuState& state, const BallMenuActions& actions);
// The menu of a right click on the ball. The caller owns the menu.
QMenu* buildContextMenu(const BallMenuState& state, const BallMenuActions& actions);

} // namespace BallMenus
