#pragma once

#include "traffic/core/DailyTraffic.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// One recorded day of a period.
struct DayTotal {
    QString date; // day key
    quint64 inBytes = 0;
    quint64 outBytes = 0;

    friend bool operator==(const DayTotal&, const DayTotal&) = default;
};

// A period's totals, its recorded days in ascending order and its applications summed.
struct RangeSummary {
    quint64 totalIn = 0;
    quint64 totalOut = 0;
    std::vector<DayTotal> perDay;
    std::map<QString, AppTraffic> apps;
};

// An application of a period, by process name.
struct NamedAppTraffic {
    QString name;
    AppTraffic traffic;
};

// The day keys from from to to, both included, ascending; empty when from is after to.
QStringList dayKeys(const QDate& from, const QDate& to);

// Sums the records of keys, in their order; keys without a record are skipped. Sums saturate
// instead of wrapping, so a corrupt huge count cannot turn into a small one.
RangeSummary aggregate(const TrafficData& data, const QStringList& keys);

// The applications to list, largest total first (ties keep name order); empty when all of
// them together have no bytes.
std::vector<NamedAppTraffic> sortedApps(const std::map<QString, AppTraffic>& apps);

// An application's share of the period's interface total (not of the applications' sum), as
// a fraction; 0 when the period has no bytes. May exceed 1.
double appShare(const AppTraffic& app, const RangeSummary& summary);
