#pragma once

#include "settings/DataPlanSettings.h"
#include "traffic/core/DataPlan.h"

#include <QString>

// Every text the data plan shows: menus, the statistics card, the alerts and `vorn stats`.
// Amounts use the traffic format, dates "M/d" or "M 月 d 日".
namespace DataPlanText {

// The preferences' and the command's name of the counted directions: "下载 + 上传" …
QString countsTitle(PlanCounts counts);

// The menus' info row: "套餐  42.90 GB / 100.00 GB（43%）· 剩 9 天".
QString menuRow(const DataPlanUsage& usage);

// The statistics card.
QString cardTitle(const BillingCycle& cycle);      // "流量套餐 · 本期 11/15 – 12/14"
QString usedLine(const DataPlanUsage& usage);      // "已用 … / …（42.9%）"
QString remainingLine(const DataPlanUsage& usage); // "剩余 … · 还剩 9 天 · 日均可用 …"
QString forecastLine(const DataPlanUsage& usage); // "按近 7 天用量，预计 12 月 9 日用完" …
// Empty unless retention removed days of this cycle.
QString retentionNote(const DataPlanUsage& usage, qint64 retentionDays);

// The alerts of level 80 and 100.
QString alertTitle(int level);
QString alertBody(const DataPlanUsage& usage);

} // namespace DataPlanText
