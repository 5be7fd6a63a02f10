#include "speedtest/core/SpeedTestHistoryFile.h"

#include <cstddef>
#include <cstdint>

// Any history file either fails to decode or decodes to records that survive a rewrite
// unchanged and whose text forms can all be made.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    std::optional<QList<SpeedTestRecord>> records = SpeedTestHistoryFile::decode(bytes);
    if (!records)
        return 0;
    for (SpeedTestRecord& record : *records) {
        record.zeroNonFiniteFigures();
        if (record.csvLine().isEmpty() || record.tooltip().isEmpty() ||
            record.identityLine().isEmpty() || record.pingText().isEmpty())
            __builtin_trap();
    }
    const auto reread = SpeedTestHistoryFile::decode(SpeedTestHistoryFile::encode(*records));
    if (!reread || *reread != *records)
        __builtin_trap();
    return 0;
}
