#include "traffic/core/TrafficChartLayout.h"

#include <algorithm>
#include <array>
#include <cmath>

TrafficChartLayout TrafficChartLayout::compute(double width, double height, int groupCount) {
    TrafficChartLayout layout;
    layout.width = width;
    layout.height = height;
    layout.groupCount = groupCount;
    layout.plotHeight = height - kPlotTop - kPlotBottomInset;
    if (groupCount <= 0)
        return layout;
    layout.slot = (width - kPlotLeft - kPlotRightInset) / groupCount;
    const double gap = groupCount <= 60 ? 10 : 1;
    layout.groupWidth = std::clamp(layout.slot - gap, kMinGroupWidth, kMaxGroupWidth);
    layout.labelStep = groupCount <= 15 ? 1 : int(std::ceil(groupCount / 12.0));
    return layout;
}

double TrafficChartLayout::groupX(int k) const {
    return kPlotLeft + slot * k + (slot - groupWidth) / 2;
}

double TrafficChartLayout::barHeight(quint64 value, double scaleTop) const {
    if (scaleTop <= 0)
        return 1;
    return std::max(1.0, plotHeight * double(value) / scaleTop);
}

double chartScaleTop(quint64 maxValue) {
    static constexpr std::array<double, 11> kTiers = {1e6, 5e6, 1e7,  5e7,  1e8, 5e8,
                                                      1e9, 5e9, 1e10, 5e10, 1e11};
    const double value = double(std::max<quint64>(maxValue, 1));
    for (double tier : kTiers) {
        if (tier >= value)
            return tier;
    }
    return value * 1.1;
}
