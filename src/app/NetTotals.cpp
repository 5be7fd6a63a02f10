#include "app/NetTotals.h"

#include "platform/InterfaceCounters.h"

#include <limits>

quint64 saturatingAdd(quint64 a, quint64 b) {
    const quint64 sum = a + b;
    return sum < a ? std::numeric_limits<quint64>::max() : sum;
}

NetTotals sumCounters(const std::vector<InterfaceCounter>& counters) {
    NetTotals totals;
    for (const auto& counter : counters) {
        totals.inBytes = saturatingAdd(totals.inBytes, counter.rxBytes);
        totals.outBytes = saturatingAdd(totals.outBytes, counter.txBytes);
    }
    return totals;
}

NetTotals readNetTotals() {
    const InterfaceReading reading = readInterfaceCounters();
    return reading.ok ? sumCounters(reading.counters) : NetTotals{};
}
