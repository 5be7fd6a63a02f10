#include "speedtest/core/SpeedTestEngine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto [summary, ip] = SpeedTestEngine::parseTrace(text);
    // The ip is one line's value, never more than the input holds.
    if (ip.contains(QLatin1Char('\n')) || ip.size() > text.size() ||
        (!ip.isEmpty() && !summary.endsWith(ip)))
        __builtin_trap();
    // Text from the network never brings control characters along.
    if (std::any_of(summary.begin(), summary.end(), [](QChar c) { return c.unicode() < 0x20; }))
        __builtin_trap();
    return 0;
}
