#include "platform/ProcNetDev.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto counters =
        parseProcNetDev(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (counters) {
        for (const auto& counter : *counters) {
            if (counter.name.isEmpty() || counter.name.contains(':'))
                __builtin_trap();
        }
    }
    return 0;
}
