#pragma once

#include <QRect>
#include <QString>

#include <optional>

// Where the floating panel opens and how opaque it is, from the stored settings.
namespace PanelPlacement {

inline constexpr QSize kWidgetSize{216, 92};
inline constexpr int kRightMargin = 16;
inline constexpr int kTopMargin = 12;
// Used when no screen is known.
inline constexpr QRect kFallbackScreen{0, 0, 1440, 900};

// A stored frame wider than 10 is honoured (kept within sane bounds so a hostile value cannot
// make a giant window); a narrower or unparseable one opens at (0, 0) with the default size;
// no stored frame opens at the top-right corner of the available area.
QRect initialFrame(const std::optional<QString>& storedFrame,
                   const std::optional<QRect>& availableGeometry);

// The stored opacity; 0 or less (or never stored) means fully opaque.
double initialOpacity(double stored);

} // namespace PanelPlacement
