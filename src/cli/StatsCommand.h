#pragma once

#include "platform/ProcessTraffic.h"
#include "traffic/core/DailyTraffic.h"
#include "traffic/core/TrafficExport.h"

#include <QStringList>

#include <functional>

class Clock;

// `vorn stats`: the traffic summary of a period as text, or the statistics window's CSV/JSON
// export byte for byte.
namespace StatsCommand {

inline constexpr const char* kSummary = "打印一个时间段的流量统计，或导出为 CSV / JSON";

// Reads the traffic file of the application-support directory and runs over it.
int run(const QStringList& arguments);

// Runs over the given history; the period presets end on clock's day. appSource is asked only
// for the text for people.
int runWith(const QStringList& arguments, const TrafficData& history, const Clock& clock,
            const DisplayNameOf& displayName, const std::function<AppTrafficSource()>& appSource);

// The text for people: period, totals, days, what the application counts cover, applications.
QString summaryText(const ExportPeriod& period, const DisplayNameOf& displayName,
                    AppTrafficSource appSource);

} // namespace StatsCommand
