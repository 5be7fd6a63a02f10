#include "shell/StatusTitle.h"

#include "common/CFormat.h"
#include "rates/RateFormat.h"

namespace StatusTitle {

QString title(double down, double up) {
    return QStringLiteral("↓ ") + fmtSpeed(down) + QStringLiteral(" ↑ ") + fmtSpeed(up);
}

QString shortRate(double bytesPerSecond) {
    const double v = bytesPerSecond > 0 ? bytesPerSecond : 0;
    if (v < 1024)
        return cformat("%.0fB", v);
    static constexpr struct {
        double size;
        char unit;
    } kUnits[] = {{1024.0, 'K'}, {1048576.0, 'M'}, {1073741824.0, 'G'}};
    for (const auto& [size, unit] : kUnits) {
        if (v < size * 1024 || unit == 'G') {
            const double scaled = v / size;
            return scaled < 9.95 ? cformat("%.1f%c", scaled, unit)
                                 : cformat("%.0f%c", scaled, unit);
        }
    }
    return {};
}

} // namespace StatusTitle
