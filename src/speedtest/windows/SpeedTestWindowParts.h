#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

// Measures and small builders the speed test window's views share.
namespace SpeedTestWindowParts {

constexpr int kWidth = 560;
constexpr int kHeight = 700;
constexpr int kTextInset = 20;
constexpr int kControlInset = 24;
constexpr int kProgressScale = 1000;

// A centred label in the font and colour; name is its object name when given.
QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color,
                  const char* name = nullptr);
// widget with side points of empty space on its left and right.
QWidget* inset(QWidget* widget, int side);
// One line, cut at the end to the pane's text width; the whole text becomes the tooltip.
void setElidedText(QLabel* label, const QString& text);

} // namespace SpeedTestWindowParts
