#pragma once

#include <QColor>

// The dark palette shared by the statistics window, the speed test window and the speed-test
// history list, whatever the desktop theme.
namespace TrafficTheme {

inline QColor rgb(double r, double g, double b, double a = 1.0) {
    return QColor::fromRgbF(r, g, b, a);
}
inline QColor white(double level, double a = 1.0) {
    return QColor::fromRgbF(level, level, level, a);
}

inline const QColor windowBG = rgb(0.055, 0.065, 0.095);
inline const QColor cardBG = rgb(0.075, 0.09, 0.14);
inline const QColor downBlue = rgb(0.42, 0.72, 1.0);
inline const QColor upGreen = rgb(0.36, 0.9, 0.6);
inline const QColor textPrimary = white(0.93);
inline const QColor textSecondary = white(0.72);
inline const QColor textDim = white(0.55);
inline const QColor hairline = white(1.0, 0.07);

} // namespace TrafficTheme
