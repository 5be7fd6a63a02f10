#pragma once

#include <QString>

#include <optional>
#include <vector>

// Figures of latency under load: what a loaded link adds to each round trip.
namespace LoadedLatency {

// The middle value (the mean of the two middle ones for an even count); none when empty.
std::optional<double> median(std::vector<double> samples);

// max(down, up) − idle, not below 0; none unless both directions have a figure.
std::optional<double> increaseMs(double idleMs, std::optional<double> downMs,
                                 std::optional<double> upMs);

// "A+" below 5 ms, "A" below 30, "B" below 60, "C" below 200, "D" below 400, else "F".
QString grade(double increaseMs);

// Round trips per minute at the mean of both loaded latencies; none unless both exist.
std::optional<double> roundTripsPerMinute(std::optional<double> downMs, std::optional<double> upMs);

} // namespace LoadedLatency
