#include "traffic/windows/TrafficSummaryCard.h"

#include "ui/TrafficFont.h"
#include "ui/TrafficTheme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

QLabel* makeLabel(const QString& objectName, const QString& text, const QFont& font,
                  const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

} // namespace

TrafficSummaryCard::TrafficSummaryCard(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("summaryCard"));
    setFixedHeight(kHeight);
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(16, 0, 16, 0);
    columns->setSpacing(0);

    const QFont titleFont = trafficFont(11, QFont::Medium);
    const QFont valueFont = trafficFont(22, QFont::Bold);
    const auto addColumn = [&](QLabel*& title, const QString& titleName, const QString& titleText,
                               QLabel*& value, const QString& valueName, const QColor& color) {
        auto* stack = new QVBoxLayout;
        stack->setSpacing(6);
        stack->addStretch();
        title = makeLabel(titleName, titleText, titleFont, TrafficTheme::textDim, this);
        value = makeLabel(valueName, QStringLiteral("0 B"), valueFont, color, this);
        stack->addWidget(title);
        stack->addWidget(value);
        stack->addStretch();
        columns->addLayout(stack, 1);
    };
    addColumn(downTitle, QStringLiteral("downTitle"), QStringLiteral("区间下载"), totalDownLabel,
              QStringLiteral("totalDownLabel"), TrafficTheme::downBlue);
    addColumn(upTitle, QStringLiteral("upTitle"), QStringLiteral("区间上传"), totalUpLabel,
              QStringLiteral("totalUpLabel"), TrafficTheme::upGreen);
    addColumn(totalTitle, QStringLiteral("totalTitle"), QStringLiteral("区间合计"), totalAllLabel,
              QStringLiteral("totalAllLabel"), TrafficTheme::textPrimary);
}

void TrafficSummaryCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
    gradient.setColorAt(0, TrafficTheme::rgb(0.17, 0.22, 0.34));
    gradient.setColorAt(1, TrafficTheme::rgb(0.09, 0.11, 0.18));
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 14, 14);
    painter.fillPath(path, gradient);
}
