#pragma once

#include <QString>

#include <array>
#include <optional>

// The floating ball's opacity: the menu presets, the slider's range and the clamping rule.
namespace BallOpacity {

struct Preset {
    QString title;
    double value;
};

// In menu order.
inline const std::array<Preset, 5> kPresets{{
    {QStringLiteral("100%（不透明）"), 1.0},
    {QStringLiteral("80%"), 0.8},
    {QStringLiteral("60%"), 0.6},
    {QStringLiteral("40%"), 0.4},
    {QStringLiteral("20%（极淡）"), 0.2},
}};

inline constexpr double kMinimum = 0.1;
inline constexpr double kMaximum = 1.0;
// The opacity slider works in percent: 10 to 100.
inline constexpr int kSliderMinimum = 10;
inline constexpr int kSliderMaximum = 100;

// The value to apply and store for a chosen opacity, clamped to [0.1, 1.0]; nothing for a value
// that is not a number.
std::optional<double> chosen(double value);
double fromSliderPercent(int percent);
int toSliderPercent(double opacity);
// A preset carries the menu's on-state mark when the current opacity is within 0.01 of it.
bool presetIsCurrent(double current, double presetValue);

} // namespace BallOpacity
