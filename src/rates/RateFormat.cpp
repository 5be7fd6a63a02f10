#include "rates/RateFormat.h"

#include "common/CFormat.h"

namespace {
constexpr double kKiB = 1024.0;
constexpr double kMiB = 1048576.0;
constexpr double kGiB = 1073741824.0;
} // namespace

QString fmtSpeed(double bytesPerSecond) {
    const double v = bytesPerSecond > 0 ? bytesPerSecond : 0; // NaN fails the test too
    if (v < kKiB)
        return cformat("%.0f B/s", v);
    if (v < kMiB)
        return cformat("%.1f KB/s", v / kKiB);
    if (v < kGiB)
        return cformat("%.1f MB/s", v / kMiB);
    return cformat("%.2f GB/s", v / kGiB);
}

QString fmtBytes(quint64 bytes) {
    if (bytes < 1024)
        return cformat("%llu B", static_cast<unsigned long long>(bytes));
    const double v = double(bytes);
    if (v < kMiB)
        return cformat("%.1f KB", v / kKiB);
    if (v < kGiB)
        return cformat("%.1f MB", v / kMiB);
    return cformat("%.2f GB", v / kGiB);
}
