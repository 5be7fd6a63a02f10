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

// Adds without wrapping: a sum that would pass 2^64 - 1 stays there.
quint64 saturatingAdd(quint64 a, quint64 b);

NetTotals sumCounters(const std::vector<InterfaceCounter>& counters);

// The counted interfaces' cumulative counters; zeros when the query fails.
NetTotals readNetTotals();
