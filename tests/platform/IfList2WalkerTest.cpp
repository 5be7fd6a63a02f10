#include "platform/IfList2Walker.h"

#include <gtest/gtest.h>

namespace {

using namespace IfList2;

// Builds a routing-socket interface list the way the kernel lays it out.
class Buffer {
public:
    void interface(std::uint16_t index, std::uint8_t ifType, std::uint64_t in, std::uint64_t out,
                   std::uint16_t length = kRecordSize) {
        record(kTypeInterfaceInfo2, index, ifType, in, out, length);
    }
    void other(std::uint8_t type, std::uint16_t length) { record(type, 0, 6, 1, 1, length); }

    std::vector<std::uint8_t> bytes;

private:
    void record(std::uint8_t type, std::uint16_t index, std::uint8_t ifType, std::uint64_t in,
                std::uint64_t out, std::uint16_t length) {
        const std::size_t base = bytes.size();
        bytes.resize(base + std::max<std::size_t>(length, kRecordSize), 0);
        put(base + kLengthOffset, length, 2);
        bytes[base + kTypeOffset] = type;
        put(base + kIndexOffset, index, 2);
        bytes[base + kInterfaceTypeOffset] = ifType;
        put(base + kInputBytesOffset, in, 8);
        put(base + kOutputBytesOffset, out, 8);
        bytes.resize(base + (length == 0 ? kRecordSize : length));
    }
    void put(std::size_t at, std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes[at + i] = std::uint8_t(value >> (8 * i));
    }
};

constexpr std::uint8_t kEthernet = 6, kLoopbackType = 24, kAddressRecord = 12;

TEST(IfList2Walker, SumsInterfaceRecordsSkippingLoopbackAndOthers) {
    Buffer b;
    b.interface(1, kLoopbackType, 999, 999);
    b.interface(4, kEthernet, 5'000'000'000ull, 7);
    b.other(kAddressRecord, 176); // an address record after the interface, skipped by length
    b.interface(7, 0xd1, 10, 20); // a tunnel counts
    const auto counters = walkIfList2(b.bytes.data(), b.bytes.size());
    EXPECT_EQ(counters, (std::vector<InterfaceCounter>{{"4", 5'000'000'000ull, 7}, {"7", 10, 20}}));
}

TEST(IfList2Walker, ZeroLengthRecordStopsAfterBeingCounted) {
    Buffer b;
    b.interface(2, kEthernet, 1, 2, 0);
    b.bytes.resize(kRecordSize * 2, 0);
    // The second record would count too if the walk went on.
    b.bytes[kRecordSize + kTypeOffset] = kTypeInterfaceInfo2;
    const auto counters = walkIfList2(b.bytes.data(), b.bytes.size());
    EXPECT_EQ(counters, (std::vector<InterfaceCounter>{{"2", 1, 2}}));
}

TEST(IfList2Walker, TruncatedBuffersStopWhereARecordNoLongerFits) {
    Buffer b;
    b.interface(3, kEthernet, 100, 200);
    b.interface(5, kEthernet, 300, 400);
    EXPECT_EQ(walkIfList2(b.bytes.data(), b.bytes.size() - 1).size(), 1u);
    EXPECT_EQ(walkIfList2(b.bytes.data(), kRecordSize - 1).size(), 0u);
    EXPECT_TRUE(walkIfList2(nullptr, 500).empty());
    // A length field pointing past the end ends the walk without reading beyond it.
    Buffer lying;
    lying.interface(6, kEthernet, 1, 1, 60000);
    EXPECT_EQ(walkIfList2(lying.bytes.data(), kRecordSize).size(), 1u);
}

TEST(IfList2Walker, ShortRecordLengthsStillAdvance) {
    Buffer b;
    b.other(kAddressRecord, 20);
    b.interface(8, kEthernet, 11, 22);
    EXPECT_EQ(walkIfList2(b.bytes.data(), b.bytes.size()),
              (std::vector<InterfaceCounter>{{"8", 11, 22}}));
}

} // namespace
