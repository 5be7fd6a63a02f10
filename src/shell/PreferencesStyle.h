#pragma once

#include <QColor>
#include <QFont>

class QLabel;
class QWidget;

// The preferences window's dark look, the same on every desktop theme.
namespace PreferencesStyle {

// The system font at a size in points of a 96-dpi screen (one point per pixel at scale 1).
QFont systemFont(double points, QFont::Weight weight);
QLabel* label(const QString& text, double points, QFont::Weight weight, const QColor& color);
// Dark palette and control styling for window and all its children.
void applyDarkLook(QWidget* window);

} // namespace PreferencesStyle
