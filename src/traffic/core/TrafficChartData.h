#pragma once

#include "traffic/core/RangeSummary.h"

#include <QString>

#include <vector>

// One group of the chart: a day or a month, with its download and upload bytes.
struct BarGroup {
    QString label;
    quint64 inBytes = 0;
    quint64 outBytes = 0;

    friend bool operator==(const BarGroup&, const BarGroup&) = default;
};

// Periods of this many days or more are charted by month.
inline constexpr int kMonthlyFromDays = 46;

// The chart's groups for a period of rangeDays days: one per recorded day ("M/d") below
// kMonthlyFromDays, else one per calendar month ("12月"), in order of first appearance.
std::vector<BarGroup> buildBarData(const std::vector<DayTotal>& perDay, int rangeDays);
