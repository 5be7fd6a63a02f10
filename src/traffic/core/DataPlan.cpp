#include "traffic/core/DataPlan.h"

#include "common/Saturating.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "traffic/core/DayKey.h"

#include <algorithm>
#include <cmath>

namespace DataPlan {

namespace {

constexpr double kBytesPerGB = 1024.0 * 1024.0 * 1024.0;

QDate resetDayIn(int year, int month, int resetDay) {
    const QDate first(year, month, 1);
    return QDate(year, month, std::clamp(resetDay, 1, first.daysInMonth()));
}

QDate resetDayAfter(const QDate& start, int resetDay) {
    const QDate nextMonth = QDate(start.year(), start.month(), 1).addMonths(1);
    return resetDayIn(nextMonth.year(), nextMonth.month(), resetDay);
}

quint64 sumCounted(const TrafficData& data, const QDate& from, const QDate& to, PlanCounts counts) {
    quint64 sum = 0;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        const auto found = data.find(dayKey(day));
        if (found != data.end())
            addSaturating(sum, countedBytes(found->second, counts));
    }
    return sum;
}

// The first day from..to on which the running sum reached quota.
std::optional<QDate> dayQuotaReached(const TrafficData& data, const QDate& from, const QDate& to,
                                     PlanCounts counts, quint64 quota) {
    quint64 sum = 0;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        const auto found = data.find(dayKey(day));
        if (found != data.end())
            addSaturating(sum, countedBytes(found->second, counts));
        if (sum >= quota)
            return day;
    }
    return std::nullopt;
}

} // namespace

BillingCycle billingCycle(const QDate& today, int resetDay) {
    QDate start = resetDayIn(today.year(), today.month(), resetDay);
    if (today < start) {
        const QDate previousMonth = QDate(today.year(), today.month(), 1).addMonths(-1);
        start = resetDayIn(previousMonth.year(), previousMonth.month(), resetDay);
    }
    return {start, resetDayAfter(start, resetDay).addDays(-1)};
}

quint64 quotaBytes(double quotaGB) {
    const double bytes = std::round(quotaGB * kBytesPerGB);
    if (!(bytes >= 1))
        return 1;
    // Far beyond any quota the settings accept; keeps the conversion defined.
    if (bytes >= 0x1p63)
        return quint64(1) << 63;
    return quint64(bytes);
}

quint64 countedBytes(const DailyTraffic& day, PlanCounts counts) {
    switch (counts) {
    case PlanCounts::download:
        return day.totalIn;
    case PlanCounts::upload:
        return day.totalOut;
    case PlanCounts::total:
        break;
    }
    return saturatingAdd(day.totalIn, day.totalOut);
}

DataPlanUsage usage(const TrafficData& data, const DataPlanSettings& plan, const QDate& today,
                    qint64 retentionDays) {
    DataPlanUsage u;
    u.today = today;
    u.cycle = billingCycle(today, plan.resetDay);
    u.quotaBytes = quotaBytes(plan.quotaGB);

    QDate firstCounted = u.cycle.start;
    // Beyond a cycle's length the setting removes nothing of it (and the arithmetic stays small).
    if (retentionDays >= 1 && retentionDays <= 31) {
        const QDate cutoff = today.addDays(1 - retentionDays);
        if (cutoff > firstCounted) {
            firstCounted = cutoff;
            u.firstCountedDay = cutoff;
        }
    }

    u.usedBytes = sumCounted(data, firstCounted, today, plan.counts);
    u.remainingBytes = u.usedBytes < u.quotaBytes ? u.quotaBytes - u.usedBytes : 0;
    u.percent = double(u.usedBytes) / double(u.quotaBytes) * 100.0;
    u.daysLeft = int(today.daysTo(u.cycle.end)) + 1;

    const QDate recentFrom = std::max(firstCounted, today.addDays(1 - kForecastDays));
    u.averageDays = int(recentFrom.daysTo(today)) + 1;
    u.averageDailyBytes = sumCounted(data, recentFrom, today, plan.counts) / quint64(u.averageDays);

    if (u.exhausted()) {
        u.runOutDay = dayQuotaReached(data, firstCounted, today, plan.counts, u.quotaBytes);
    } else if (u.averageDailyBytes > 0) {
        const double daysToGo = std::ceil(double(u.remainingBytes) / double(u.averageDailyBytes));
        if (daysToGo <= double(today.daysTo(u.cycle.end)))
            u.runOutDay = today.addDays(qint64(daysToGo));
    }
    return u;
}

std::optional<DataPlanUsage> usageFromSettings(const TrafficData& data, const QDate& today) {
    const std::optional<DataPlanSettings> plan = PreferencesCatalogue::dataPlan();
    if (!plan)
        return std::nullopt;
    return usage(data, *plan, today, storedRetentionDays());
}

qint64 storedRetentionDays() {
    return UserDefaults::integerValue(PreferencesCatalogue::kRetentionDays);
}

} // namespace DataPlan
