#include "platform/IfList2Walker.h"

namespace {

std::uint64_t readLittleEndian(const std::uint8_t* p, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

} // namespace

std::vector<InterfaceCounter> walkIfList2(const std::uint8_t* buffer, std::size_t length) {
    using namespace IfList2;
    std::vector<InterfaceCounter> counters;
    if (buffer == nullptr)
        return counters;
    std::size_t offset = 0;
    while (offset + kRecordSize <= length) {
        const std::uint8_t* record = buffer + offset;
        const auto recordLength = std::size_t(readLittleEndian(record + kLengthOffset, 2));
        if (record[kTypeOffset] == kTypeInterfaceInfo2 &&
            record[kInterfaceTypeOffset] != kInterfaceTypeLoopback) {
            const auto index = readLittleEndian(record + kIndexOffset, 2);
            counters.push_back({QByteArray::number(quint64(index)),
                                readLittleEndian(record + kInputBytesOffset, 8),
                                readLittleEndian(record + kOutputBytesOffset, 8)});
        }
        if (recordLength == 0)
            break;
        offset += recordLength;
    }
    return counters;
}
