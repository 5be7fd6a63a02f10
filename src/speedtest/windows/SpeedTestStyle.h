#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QLabel;
class QWidget;

// The look shared by the speed test window and the history list: fonts, the system accent
// colours of the dark appearance, and the dark palette for standard controls.
namespace SpeedTestStyle {

// Sizes are in layout units (the units of widget geometry), so text keeps its proportion to
// the fixed layouts whatever the screen's DPI.
QFont system(double size, QFont::Weight weight = QFont::Normal);
// For figures that change while shown. The default sans faces of both platforms draw digits
// with tabular widths, so this is the system face at the given size.
QFont monospacedDigit(double size, QFont::Weight weight = QFont::Normal);
// "Menlo" where it exists, the system's fixed-pitch font otherwise.
QFont monospaced(double size);

inline const QColor systemRed = QColor(255, 69, 58);
inline const QColor systemOrange = QColor(255, 159, 10);
inline const QColor systemYellow = QColor(255, 214, 10);

// Window background and controls in the dark appearance, whatever the desktop theme.
QPalette darkPalette();

void setTextColor(QWidget* widget, const QColor& color);
QColor textColor(const QWidget* widget);

} // namespace SpeedTestStyle
