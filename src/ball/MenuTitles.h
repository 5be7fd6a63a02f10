#pragma once

#include "traffic/core/DailyTraffic.h"

#include <QString>

#include <optional>

// The information rows of the three menus. A day without a record reads 0 B both ways.
namespace MenuTitles {

// Status and ball menus: "今日 ↓ 1.5 KB ↑ 0 B".
QString today(const std::optional<DailyTraffic>& day);
// Context menu, wider spacing: "今日  ↓ 1.5 KB  ↑ 0 B".
QString todayWide(const std::optional<DailyTraffic>& day);
// "峰值  ↑ 1.0 KB/s    ↓ 2.0 MB/s".
QString peaks(double peakUp, double peakDown);
// "累计  ↑ 10 B    ↓ 1.0 GB".
QString totals(quint64 totalUp, quint64 totalDown);

} // namespace MenuTitles
