#include "platform/IfList2Walker.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void putLittleEndian(std::uint8_t* p, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i, value >>= 8)
        p[i] = std::uint8_t(value);
}

// The counters as the kernel's records of one Ethernet interface each.
std::vector<std::uint8_t> ifList2Records(const std::vector<InterfaceCounter>& counters) {
    using namespace IfList2;
    constexpr std::uint8_t kInterfaceTypeEthernet = 6;
    std::vector<std::uint8_t> buffer(counters.size() * kRecordSize);
    for (std::size_t i = 0; i < counters.size(); ++i) {
        std::uint8_t* record = buffer.data() + i * kRecordSize;
        putLittleEndian(record + kLengthOffset, kRecordSize, 2);
        record[kTypeOffset] = kTypeInterfaceInfo2;
        putLittleEndian(record + kIndexOffset, counters[i].name.toULongLong(), 2);
        record[kInterfaceTypeOffset] = kInterfaceTypeEthernet;
        putLittleEndian(record + kInputBytesOffset, counters[i].rxBytes, 8);
        putLittleEndian(record + kOutputBytesOffset, counters[i].txBytes, 8);
    }
    return buffer;
}

} // namespace

// Whatever is walked, written back as records, walks to the same counters.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly size bytes, so ASan flags any read past the kernel's reported length.
    const std::vector<std::uint8_t> buffer(data, data + size);
    const auto counters = walkIfList2(buffer.data(), buffer.size());
    // Every counted record advanced the walk by at least one byte.
    if (counters.size() > size)
        __builtin_trap();
    const std::vector<std::uint8_t> rewritten = ifList2Records(counters);
    if (walkIfList2(rewritten.data(), rewritten.size()) != counters)
        __builtin_trap();
    return 0;
}
