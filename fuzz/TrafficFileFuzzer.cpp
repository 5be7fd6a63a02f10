#include "traffic/core/TrafficFile.h"

#include <cstddef>
#include <cstdint>

// Whatever the loader accepts must survive a save and a second load unchanged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto loaded =
        TrafficFile::parse(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (loaded) {
        const auto again = TrafficFile::parse(TrafficFile::serialize(*loaded));
        if (!again || *again != *loaded)
            __builtin_trap();
    }
    return 0;
}
