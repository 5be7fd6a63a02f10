#pragma once

#include "settings/DataPlanSettings.h"
#include "traffic/core/DataPlan.h"

#include <QByteArray>
#include <QString>

// `vorn stats --plan`: the data plan's cycle, use and forecast for people, or as one JSON line.
namespace PlanReport {

QString text(const DataPlanUsage& usage, PlanCounts counts, qint64 retentionDays);
// {"start":…,"end":…,"quotaBytes":…,"usedBytes":…,"remainingBytes":…,"percent":42.9,
// "daysLeft":…,"forecast":"yyyy-MM-dd" or null,"counts":"total"} and a line feed.
QByteArray json(const DataPlanUsage& usage, PlanCounts counts);

} // namespace PlanReport
