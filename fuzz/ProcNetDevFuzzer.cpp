#include "platform/ProcNetDev.h"

#include <cstddef>
#include <cstdint>

namespace {

// The counters written back the way the kernel prints them.
QByteArray procNetDevText(const std::vector<InterfaceCounter>& counters) {
    QByteArray text = "Inter-|   Receive |  Transmit\n"
                      " face |bytes packets|bytes packets\n";
    for (const InterfaceCounter& counter : counters) {
        text += counter.name + ": " + QByteArray::number(counter.rxBytes) + " 0 0 0 0 0 0 0 " +
                QByteArray::number(counter.txBytes) + " 0 0 0 0 0 0 0\n";
    }
    return text;
}

} // namespace

// Whatever is parsed, written back in the kernel's layout, parses to the same counters.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto counters =
        parseProcNetDev(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!counters)
        return 0;
    for (const auto& counter : *counters) {
        if (counter.name.isEmpty() || counter.name.contains(':'))
            __builtin_trap();
    }
    const auto again = parseProcNetDev(procNetDevText(*counters));
    if (!again || *again != *counters)
        __builtin_trap();
    return 0;
}
