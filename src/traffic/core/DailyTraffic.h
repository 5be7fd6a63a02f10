#pragma once

#include <QString>
#include <QtGlobal>

#include <map>

// One application's bytes of one day.
struct AppTraffic {
    quint64 bytesIn = 0;  // received (download)
    quint64 bytesOut = 0; // sent (upload)

    friend bool operator==(const AppTraffic&, const AppTraffic&) = default;
};

// One day's bytes over all interfaces, and per application. The two come from different
// sources and are never reconciled: the applications need not add up to the totals.
struct DailyTraffic {
    quint64 totalIn = 0;
    quint64 totalOut = 0;
    std::map<QString, AppTraffic> apps; // by process name

    friend bool operator==(const DailyTraffic&, const DailyTraffic&) = default;
};

// The whole history, by day key ("yyyy-MM-dd" in the local calendar).
using TrafficData = std::map<QString, DailyTraffic>;
