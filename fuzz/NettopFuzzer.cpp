#include "platform/NettopParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const auto& [name, counts] : parseNettop(text)) {
        if (name.isEmpty() || name.contains(QLatin1Char(',')) || name.contains(QLatin1Char('\n')))
            __builtin_trap();
    }
    return 0;
}
