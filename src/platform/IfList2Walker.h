#pragma once

#include "platform/InterfaceCounters.h"

#include <cstddef>
#include <cstdint>

// Walks the records of the kernel's interface list with 64-bit statistics (if_msghdr2 with
// if_data64, little-endian) and returns each non-loopback interface's counters, named by
// its interface index. Stops at a zero-length record or where a full record no longer fits.
std::vector<InterfaceCounter> walkIfList2(const std::uint8_t* buffer, std::size_t length);

namespace IfList2 {
constexpr std::size_t kRecordSize = 160;
constexpr std::size_t kLengthOffset = 0;
constexpr std::size_t kTypeOffset = 3;
constexpr std::size_t kIndexOffset = 12;
constexpr std::size_t kInterfaceTypeOffset = 32;
constexpr std::size_t kInputBytesOffset = 96;
constexpr std::size_t kOutputBytesOffset = 104;
constexpr std::uint8_t kTypeInterfaceInfo2 = 18;
constexpr std::uint8_t kInterfaceTypeLoopback = 24;
} // namespace IfList2
