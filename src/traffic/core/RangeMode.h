#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>
#include <utility>

// The periods the statistics window offers; the raw value is the index in its period menu. The
// billing cycle is offered only while a data plan is set, as the menu's last entry.
enum class RangeMode {
    today = 0,
    last7 = 1,
    last30 = 2,
    thisMonth = 3,
    thisYear = 4,
    custom = 5,
    billingCycle = 6
};

inline constexpr int kRangeModeCount = 7;
// The periods offered whether or not a data plan is set.
inline constexpr int kPlainRangeModeCount = 6;

// Nothing for a raw value outside 0 to 6.
std::optional<RangeMode> rangeModeFromRaw(int raw);
int rawValue(RangeMode mode);
// The period menu's title of mode.
QString rangeModeTitle(RangeMode mode);

// A period as two local calendar days, both included.
struct DateRange {
    QDate from;
    QDate to;
};

// The days mode covers at the moment now (local time); custom takes customStart..customEnd as
// they are, even when reversed; billingCycle runs from the start of the cycle of resetDay.
// Every preset ends with today.
DateRange resolveRange(RangeMode mode, const QDateTime& now, const QDate& customStart,
                       const QDate& customEnd, int resetDay = 1);

// Whole days from from to to plus 1, never below 1 (a reversed or invalid range counts 1).
int rangeDays(const QDate& from, const QDate& to);
