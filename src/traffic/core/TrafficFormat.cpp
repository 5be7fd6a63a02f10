#include "traffic/core/TrafficFormat.h"

#include "common/CFormat.h"

QString fmtBytesTraffic(quint64 bytes) {
    constexpr quint64 kKB = 1024;
    constexpr quint64 kMB = kKB * 1024;
    constexpr quint64 kGB = kMB * 1024;
    constexpr quint64 kTB = kGB * 1024;
    const double value = double(bytes);
    if (bytes < kKB)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < kMB)
        return cformat("%.1f KB", value / double(kKB));
    if (bytes < kGB)
        return cformat("%.1f MB", value / double(kMB));
    if (bytes < kTB)
        return cformat("%.2f GB", value / double(kGB));
    return cformat("%.2f TB", value / double(kTB));
}
