#include "traffic/windows/TrafficChartView.h"

#include "traffic/core/TrafficChartLayout.h"
#include "traffic/core/TrafficFormat.h"
#include "ui/TrafficFont.h"
#include "ui/TrafficTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr double kUnbounded = 10000;

void fillRounded(QPainter& painter, const QRectF& rect, double radius, const QColor& color) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, color);
}

// Draws text with its top-left corner at origin, as the original layout places its labels.
void drawTextAt(QPainter& painter, QPointF origin, const QString& text) {
    painter.drawText(QRectF(origin, QSizeF(kUnbounded, kUnbounded)),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

} // namespace

TrafficChartView::TrafficChartView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("chartView"));
}

void TrafficChartView::setBarData(std::vector<BarGroup> groups) {
    m_barData = std::move(groups);
    update();
}

void TrafficChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = width();
    const double h = height();

    QPainterPath card;
    card.addRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 12, 12);
    painter.fillPath(card, TrafficTheme::cardBG);
    painter.setPen(QPen(TrafficTheme::hairline, 1));
    painter.drawPath(card);

    if (m_barData.empty()) {
        painter.setFont(trafficFont(13));
        painter.setPen(TrafficTheme::textDim);
        painter.drawText(QRectF(0, 0, w, h), Qt::AlignCenter, QStringLiteral("暂无数据"));
        return;
    }

    const auto layout = TrafficChartLayout::compute(w, h, int(m_barData.size()));
    quint64 maxValue = 1;
    for (const BarGroup& group : m_barData)
        maxValue = std::max({maxValue, group.inBytes, group.outBytes});
    const double top = chartScaleTop(maxValue);

    const QFont smallFont = trafficFont(9);
    painter.setFont(smallFont);
    for (int i = 0; i <= 4; ++i) {
        const double y = TrafficChartLayout::kPlotTop + layout.plotHeight * i / 4;
        painter.setPen(QPen(TrafficTheme::hairline, 0.5));
        painter.drawLine(QPointF(TrafficChartLayout::kPlotLeft, y), QPointF(layout.plotRight(), y));
        painter.setPen(TrafficTheme::textDim);
        drawTextAt(painter, {4, y - 6}, fmtBytesTraffic(quint64(top * (4 - i) / 4)));
    }

    const QFontMetricsF metrics(smallFont);
    const double barWidth = layout.groupWidth * 0.45;
    const double zeroY = layout.zeroLineY();
    for (int k = 0; k < int(m_barData.size()); ++k) {
        const BarGroup& group = m_barData[std::size_t(k)];
        const double x = layout.groupX(k);
        const double hIn = layout.barHeight(group.inBytes, top);
        const double hOut = layout.barHeight(group.outBytes, top);
        fillRounded(painter, QRectF(x, zeroY - hIn, barWidth, hIn), 2, TrafficTheme::downBlue);
        fillRounded(painter, QRectF(x + layout.groupWidth * 0.5, zeroY - hOut, barWidth, hOut), 2,
                    TrafficTheme::upGreen);
        if (k % layout.labelStep == 0) {
            painter.setPen(TrafficTheme::textSecondary);
            const double labelWidth = metrics.horizontalAdvance(group.label);
            drawTextAt(painter, {x + (layout.groupWidth - labelWidth) / 2, zeroY + 9}, group.label);
        }
    }

    const QFont legendFont = trafficFont(10, QFont::Medium);
    painter.setFont(legendFont);
    painter.setPen(TrafficTheme::textPrimary);
    fillRounded(painter, QRectF(58, 9, 8, 8), 2, TrafficTheme::downBlue);
    const QString down = QStringLiteral("下载");
    drawTextAt(painter, {70, 8}, down);
    const double x2 = 70 + QFontMetricsF(legendFont).horizontalAdvance(down) + 16;
    fillRounded(painter, QRectF(x2, 9, 8, 8), 2, TrafficTheme::upGreen);
    drawTextAt(painter, {x2 + 12, 8}, QStringLiteral("上传"));
}
