#include "speedtest/windows/SpeedTestWindowParts.h"

#include "speedtest/windows/SpeedTestStyle.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>

namespace SpeedTestWindowParts {

QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color, const char* name) {
    auto* label = new QLabel(text);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    SpeedTestStyle::setTextColor(label, color);
    if (name)
        label->setObjectName(QLatin1String(name));
    return label;
}

QWidget* inset(QWidget* widget, int side) {
    auto* holder = new QWidget;
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(side, 0, side, 0);
    row->addWidget(widget);
    return holder;
}

void setElidedText(QLabel* label, const QString& text) {
    const int width = kWidth - 2 * kTextInset;
    const QString shown = QFontMetrics(label->font()).elidedText(text, Qt::ElideRight, width);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

} // namespace SpeedTestWindowParts
