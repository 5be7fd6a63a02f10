#pragma once

#include <QtGlobal>

#include <vector>

struct InterfaceCounter;

// Cumulative interface byte counters, summed over the counted interfaces.
struct NetTotals {
    quint64 inBytes = 0;
    quint64 outBytes = 0;

    friend bool operator==(const NetTotals&, const NetTotals&) = default;
};

NetTotals sumCounters(const std::vector<InterfaceCounter>& counters);

// The counted interfaces' cumulative counters; zeros when the query fails.
NetTotals readNetTotals();
