#include "platform/IfList2Walker.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly size bytes, so ASan flags any read past the kernel's reported length.
    const std::vector<std::uint8_t> buffer(data, data + size);
    const auto counters = walkIfList2(buffer.data(), buffer.size());
    // Every counted record advanced the walk by at least one byte.
    if (counters.size() > size)
        __builtin_trap();
    return 0;
}
