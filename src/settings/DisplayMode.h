#pragma once

#include <QString>

#include <array>
#include <optional>

// Where the live rates are shown.
enum class DisplayMode { floating, menubar, both };

inline constexpr std::array<DisplayMode, 3> kAllDisplayModes = {
    DisplayMode::floating, DisplayMode::menubar, DisplayMode::both};

QString rawValue(DisplayMode mode);
QString title(DisplayMode mode);
std::optional<DisplayMode> displayModeFromRawValue(const QString& raw);
