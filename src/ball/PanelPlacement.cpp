#include "ball/PanelPlacement.h"

#include "common/RectText.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kCoordinateLimit = 100000;
constexpr double kSizeLimit = 4096;

int clampedInt(double v, double low, double high) {
    return int(std::lround(std::clamp(v, low, high)));
}

} // namespace

namespace PanelPlacement {

QRect initialFrame(const std::optional<QString>& storedFrame,
                   const std::optional<QRect>& availableGeometry) {
    if (storedFrame) {
        const QRectF parsed = parseRectText(*storedFrame);
        if (parsed.width() > 10) {
            return QRect(clampedInt(parsed.x(), -kCoordinateLimit, kCoordinateLimit),
                         clampedInt(parsed.y(), -kCoordinateLimit, kCoordinateLimit),
                         clampedInt(parsed.width(), 11, kSizeLimit),
                         clampedInt(parsed.height(), 1, kSizeLimit));
        }
        return QRect(QPoint(0, 0), kWidgetSize);
    }
    const QRect visible = availableGeometry.value_or(kFallbackScreen);
    return QRect(visible.x() + visible.width() - kWidgetSize.width() - kRightMargin,
                 visible.y() + kTopMargin, kWidgetSize.width(), kWidgetSize.height());
}

double initialOpacity(double stored) {
    if (!(stored > 0))
        return 1.0;
    return std::min(stored, 1.0);
}

} // namespace PanelPlacement
