#pragma once

#include <span>
#include <vector>

// The bars of the ball's one-minute sparkline: one per history entry, oldest at the left,
// hanging from y = 62 with the download part on top and the upload part below it. The scale is
// the largest combined entry but at least 1024 B/s, so a quiet minute draws short bars.
namespace SparklineLayout {

inline constexpr double kLeft = 14;
inline constexpr double kTop = 62;
inline constexpr double kFullHeight = 20;
inline constexpr double kMinimumScale = 1024;

struct Bar {
    double x;
    double width;
    double downHeight;
    double upHeight;
};

// Entries that are negative or not a number count as 0; both histories have the same length.
std::vector<Bar> bars(std::span<const double> upHistory, std::span<const double> downHistory,
                      double viewWidth);

} // namespace SparklineLayout
