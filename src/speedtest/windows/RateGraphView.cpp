#include "speedtest/windows/RateGraphView.h"

#include "common/CFormat.h"
#include "speedtest/windows/SpeedTestStyle.h"
#include "ui/TrafficTheme.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

RateGraphView::RateGraphView(QWidget* parent) : QWidget(parent) {}

void RateGraphView::reset() {
    m_samples.clear();
    m_peak = 0;
    update();
}

void RateGraphView::addSample(double value, const QColor& color) {
    m_samples.push_back({value, color});
    m_peak = std::max(m_peak, value);
    while (m_samples.size() > kMaxSamples)
        m_samples.pop_front();
    update();
}

QString RateGraphView::caption() const {
    if (m_peak <= 0)
        return QStringLiteral("Mbps");
    return cformat("峰值 %.1f Mbps", m_peak);
}

QRectF RateGraphView::plotRect() const {
    return QRectF(rect()).adjusted(10, 10, -10, -10);
}

QPointF RateGraphView::samplePoint(std::size_t i) const {
    const QRectF plot = plotRect();
    const double scale = std::max(m_peak, 1.0);
    const double step = m_samples.size() > 1 ? plot.width() / double(m_samples.size() - 1) : 0;
    return {plot.left() + step * double(i),
            plot.bottom() - (m_samples[i].v / scale) * plot.height()};
}

void RateGraphView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(QPen(TrafficTheme::hairline, 1));
    painter.setBrush(TrafficTheme::cardBG);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);

    painter.setPen(TrafficTheme::textDim);
    painter.setFont(SpeedTestStyle::monospacedDigit(10, QFont::Medium));
    const QFontMetricsF captionMetrics(painter.font());
    painter.drawText(QPointF(10, 8 + captionMetrics.ascent()), caption());

    if (m_samples.size() < 2) {
        painter.setFont(SpeedTestStyle::system(12));
        painter.drawText(QRectF(rect()), Qt::AlignCenter, QStringLiteral("等待测速数据…"));
        return;
    }

    const QRectF plot = plotRect();
    QPainterPath line;
    QPainterPath area;
    area.moveTo(samplePoint(0).x(), plot.bottom());
    for (std::size_t i = 0; i < m_samples.size(); ++i) {
        const QPointF point = samplePoint(i);
        if (i == 0)
            line.moveTo(point);
        else
            line.lineTo(point);
        area.lineTo(point);
    }
    const QPointF last = samplePoint(m_samples.size() - 1);
    area.lineTo(last.x(), plot.bottom());
    area.closeSubpath();

    const QColor color = m_samples.back().c;
    QColor fill = color;
    fill.setAlphaF(0.14f);
    painter.fillPath(area, fill);
    painter.strokePath(line, QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(last, 2.5, 2.5);
}
