#include "speedtest/core/LoadedLatency.h"

#include <algorithm>

namespace LoadedLatency {

std::optional<double> median(std::vector<double> samples) {
    if (samples.empty())
        return std::nullopt;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    if (samples.size() % 2 == 1)
        return samples[middle];
    return (samples[middle - 1] + samples[middle]) / 2;
}

std::optional<double> increaseMs(double idleMs, std::optional<double> downMs,
                                 std::optional<double> upMs) {
    if (!downMs || !upMs)
        return std::nullopt;
    return std::max(0.0, std::max(*downMs, *upMs) - idleMs);
}

QString grade(double increaseMs) {
    struct Step {
        double below;
        const char* grade;
    };
    static constexpr Step steps[] = {{5, "A+"}, {30, "A"}, {60, "B"}, {200, "C"}, {400, "D"}};
    for (const Step& step : steps) {
        if (increaseMs < step.below)
            return QString::fromLatin1(step.grade);
    }
    return QStringLiteral("F");
}

std::optional<double> roundTripsPerMinute(std::optional<double> downMs,
                                          std::optional<double> upMs) {
    if (!downMs || !upMs)
        return std::nullopt;
    const double mean = (*downMs + *upMs) / 2;
    if (mean <= 0)
        return std::nullopt;
    return 60000 / mean;
}

} // namespace LoadedLatency
