#include "platform/DefaultRoute.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString fromRoute = parseRouteGetDefault(bytes);
    const QString fromTable = parseProcNetRoute(bytes);
    if (fromRoute.contains(QLatin1Char('\n')) || fromTable.contains(QLatin1Char('\n')) ||
        fromTable.contains(QLatin1Char(' ')))
        __builtin_trap();
    return 0;
}
