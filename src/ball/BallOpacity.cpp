#include "ball/BallOpacity.h"

#include <algorithm>
#include <cmath>

namespace BallOpacity {

std::optional<double> chosen(double value) {
    if (std::isnan(value))
        return std::nullopt;
    return std::clamp(value, kMinimum, kMaximum);
}

double fromSliderPercent(int percent) {
    return percent / 100.0;
}

int toSliderPercent(double opacity) {
    return int(std::lround(chosen(opacity).value_or(kMaximum) * 100));
}

bool presetIsCurrent(double current, double presetValue) {
    return std::abs(current - presetValue) < 0.01;
}

} // namespace BallOpacity
