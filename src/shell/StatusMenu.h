#pragma once

#include "settings/DisplayMode.h"
#include "traffic/core/DailyTraffic.h"

#include <QString>

#include <optional>

class QMenu;
class StatusMenuHandler;

// Fills menu (emptied first) with the status menu's items, their actions on handler; planRow,
// when set, follows the "今日" row.
void fillStatusMenu(QMenu& menu, StatusMenuHandler& handler,
                    const std::optional<DailyTraffic>& today, DisplayMode current,
                    const std::optional<QString>& planRow = std::nullopt);
