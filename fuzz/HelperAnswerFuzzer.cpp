#include "platform/HelperReport.h"
#include "platform/ProcessLedger.h"

#include <cstddef>
#include <cstdint>

// The helper's answers go through the parser and the ledger: whatever two answers hold, no
// name may be blank or hold a line break, and no name's counts may fall from one to the next.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    ProcessLedger ledger;
    AppSample previous;
    QByteArrayView rest = input;
    while (const auto length = helperAnswerLength(rest)) {
        const auto processes = parseHelperAnswer(rest.first(*length));
        rest = rest.sliced(*length);
        if (!processes)
            continue;
        for (const HelperProcessCounts& process : *processes) {
            if (process.name.trimmed().isEmpty() || process.name.contains(QLatin1Char('\n')))
                __builtin_trap();
        }
        ledger.update(*processes);
        const AppSample sample = ledger.sample();
        for (const auto& [name, counts] : previous) {
            const auto now = sample.find(name);
            if (now == sample.end() || now->second.first < counts.first ||
                now->second.second < counts.second)
                __builtin_trap();
        }
        previous = sample;
    }
    return 0;
}
