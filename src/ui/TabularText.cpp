#include "ui/TabularText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

double digitCell(const QFontMetricsF& metrics) {
    double cell = 0;
    for (char16_t digit = u'0'; digit <= u'9'; ++digit)
        cell = std::max(cell, metrics.horizontalAdvance(QChar(digit)));
    return cell;
}

// Walks the text as runs: each digit alone in its cell, everything between digits as one run.
template <typename Visit>
double layOut(const QFontMetricsF& metrics, const QString& text, Visit visit) {
    const double cell = digitCell(metrics);
    double x = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i].isDigit()) {
            const QString digit(text[i]);
            visit(digit, x + (cell - metrics.horizontalAdvance(digit)) / 2);
            x += cell;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !text[end].isDigit())
            ++end;
        const QString run = text.mid(i, end - i);
        visit(run, x);
        x += metrics.horizontalAdvance(run);
        i = end;
    }
    return x;
}

} // namespace

namespace TabularText {

void draw(QPainter& painter, const QPointF& topLeft, const QString& text) {
    const QFontMetricsF metrics(painter.font());
    const double baseline = topLeft.y() + metrics.ascent();
    layOut(metrics, text, [&](const QString& run, double x) {
        painter.drawText(QPointF(topLeft.x() + x, baseline), run);
    });
}

double width(const QFont& font, const QString& text) {
    return layOut(QFontMetricsF(font), text, [](const QString&, double) {});
}

} // namespace TabularText
