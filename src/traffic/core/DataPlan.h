#pragma once

#include "settings/DataPlanSettings.h"
#include "traffic/core/DailyTraffic.h"

#include <QDate>

#include <optional>

// A billing cycle: its first and last local day, both included.
struct BillingCycle {
    QDate start;
    QDate end;

    friend bool operator==(const BillingCycle&, const BillingCycle&) = default;
};

// Where a data plan stands on one day.
struct DataPlanUsage {
    BillingCycle cycle;
    QDate today;
    quint64 quotaBytes = 0;
    quint64 usedBytes = 0;
    quint64 remainingBytes = 0; // 0 once the quota is used up
    double percent = 0;         // used against the quota, above 100 when over
    int daysLeft = 1;           // today up to the cycle's last day, both included
    int averageDays = 1;        // the recent days the forecast averages over (1 to 7)
    quint64 averageDailyBytes = 0;
    // The day the quota ran out (used up already) or will run out at the recent pace; absent
    // when it lasts this cycle.
    std::optional<QDate> runOutDay;
    // Set when retention removes days of this cycle: the first day still counted.
    std::optional<QDate> firstCountedDay;

    bool exhausted() const { return usedBytes >= quotaBytes; }
    // What is left per remaining day, today included.
    quint64 dailyAllowance() const { return remainingBytes / quint64(daysLeft); }
};

namespace DataPlan {

inline constexpr int kForecastDays = 7;

// The cycle that holds today: it starts on the reset day of today's month when today is on or
// after it, else on that of the previous month; a reset day past a month's end means its last
// day. It ends the day before the next start.
BillingCycle billingCycle(const QDate& today, int resetDay);

// A quota in GB as bytes (1 GB = 1024³ bytes), at least 1.
quint64 quotaBytes(double quotaGB);

// The bytes of a day that count against the plan.
quint64 countedBytes(const DailyTraffic& day, PlanCounts counts);

// The plan's state on today over the recorded days. retentionDays is the store's own reading of
// the retention setting (below 1 keeps everything): days it removes are not counted, even
// before the cleanup has run.
DataPlanUsage usage(const TrafficData& data, const DataPlanSettings& plan, const QDate& today,
                    qint64 retentionDays);

// The stored plan's state on today; absent while no plan is set. Reads the settings.
std::optional<DataPlanUsage> usageFromSettings(const TrafficData& data, const QDate& today);
// The retention setting as the store reads it (missing keeps everything).
qint64 storedRetentionDays();

} // namespace DataPlan
