#include "ball/SparklineLayout.h"

#include <algorithm>
#include <cmath>

namespace {

double rate(double v) {
    return std::isfinite(v) && v > 0 ? v : 0;
}

} // namespace

namespace SparklineLayout {

std::vector<Bar> bars(std::span<const double> upHistory, std::span<const double> downHistory,
                      double viewWidth) {
    const size_t count = std::min(upHistory.size(), downHistory.size());
    std::vector<Bar> result;
    if (count == 0)
        return result;
    double scale = kMinimumScale;
    for (size_t i = 0; i < count; ++i)
        scale = std::max(scale, rate(upHistory[i]) + rate(downHistory[i]));
    const double step = (viewWidth - 2 * kLeft) / double(count);
    const double width = std::max(0.8, step - 1.2);
    result.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        result.push_back({kLeft + step * double(i), width,
                          rate(downHistory[i]) / scale * kFullHeight,
                          rate(upHistory[i]) / scale * kFullHeight});
    }
    return result;
}

} // namespace SparklineLayout
