#pragma once

#include "settings/DisplayMode.h"
#include "traffic/core/DailyTraffic.h"

#include <optional>

class QMenu;
class StatusMenuHandler;

// Fills menu (emptied first) with the status menu's items, their actions on handler.
void fillStatusMenu(QMenu& menu, StatusMenuHandler& handler,
                    const std::optional<DailyTraffic>& today, DisplayMode current);
