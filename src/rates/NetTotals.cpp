#include "rates/NetTotals.h"

#include "common/Saturating.h"
#include "platform/InterfaceCounters.h"

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
