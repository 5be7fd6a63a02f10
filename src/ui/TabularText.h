#pragma once

#include <QPointF>
#include <QString>

class QFont;
class QPainter;

// Draws text whose digits all take the width of the widest digit, so a changing rate does not
// make its unit jitter left and right. Qt offers no switch for tabular figures, and the
// system font's digits need not be tabular.
namespace TabularText {

// `topLeft` is the top-left corner of the text line, in the painter's current font.
void draw(QPainter& painter, const QPointF& topLeft, const QString& text);
// The width `draw` uses for the text.
double width(const QFont& font, const QString& text);

} // namespace TabularText
