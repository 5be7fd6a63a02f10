#include "traffic/core/RangeMode.h"

#include "traffic/core/DataPlan.h"

#include <limits>

std::optional<RangeMode> rangeModeFromRaw(int raw) {
    if (raw < 0 || raw >= kRangeModeCount)
        return std::nullopt;
    return static_cast<RangeMode>(raw);
}

int rawValue(RangeMode mode) {
    return static_cast<int>(mode);
}

QString rangeModeTitle(RangeMode mode) {
    switch (mode) {
    case RangeMode::today:
        return QStringLiteral("今日");
    case RangeMode::last7:
        return QStringLiteral("近 7 天");
    case RangeMode::last30:
        return QStringLiteral("近 30 天");
    case RangeMode::thisMonth:
        return QStringLiteral("本月");
    case RangeMode::thisYear:
        return QStringLiteral("本年");
    case RangeMode::custom:
        return QStringLiteral("自定义…");
    case RangeMode::billingCycle:
        return QStringLiteral("本计费周期");
    }
    return {};
}

DateRange resolveRange(RangeMode mode, const QDateTime& now, const QDate& customStart,
                       const QDate& customEnd, int resetDay) {
    // QDate arithmetic is calendar-day arithmetic: a day across a clock change is still one day.
    const QDate today = now.toLocalTime().date();
    switch (mode) {
    case RangeMode::today:
        return {today, today};
    case RangeMode::last7:
        return {today.addDays(-6), today};
    case RangeMode::last30:
        return {today.addDays(-29), today};
    case RangeMode::thisMonth:
        return {QDate(today.year(), today.month(), 1), today};
    case RangeMode::thisYear:
        return {QDate(today.year(), 1, 1), today};
    case RangeMode::custom:
        return {customStart, customEnd};
    case RangeMode::billingCycle:
        return {DataPlan::billingCycle(today, resetDay).start, today};
    }
    return {today, today};
}

int rangeDays(const QDate& from, const QDate& to) {
    if (!from.isValid() || !to.isValid())
        return 1;
    const qint64 days = from.daysTo(to) + 1;
    return days < 1 ? 1 : int(qMin<qint64>(days, std::numeric_limits<int>::max()));
}
