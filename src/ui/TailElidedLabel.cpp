#include "ui/TailElidedLabel.h"

#include <QPainter>
#include <QStyle>

TailElidedLabel::TailElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

TailElidedLabel* TailElidedLabel::make(const QString& objectName, const QFont& font,
                                       const QColor& color) {
    auto* label = new TailElidedLabel;
    label->setObjectName(objectName);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

QString TailElidedLabel::shownText() const {
    const QRect area = contentsRect();
    return fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
}

QSize TailElidedLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

void TailElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                          shownText(), foregroundRole());
    updateToolTip();
}

void TailElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateToolTip();
}

void TailElidedLabel::updateToolTip() {
    const bool elided = shownText() != text();
    if (toolTip() != (elided ? text() : QString()))
        setToolTip(elided ? text() : QString());
}
