#include "ball/SpeedBallPainter.h"

#include "ball/SparklineLayout.h"
#include "rates/RateFormat.h"
#include "ui/TabularText.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double kCornerRadius = 22;
constexpr double kFontPixels = 13;
constexpr double kArrowX = 14;
constexpr double kValueX = 34;
constexpr double kUpRowY = 12;
constexpr double kDownRowY = 35;
constexpr double kBarRadius = 1;
constexpr double kHandleWidth = 3;
constexpr double kHandleHeight = 28;
constexpr double kHandleRadius = 1.5;

QFont systemFont(QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(int(kFontPixels));
    font.setWeight(weight);
    return font;
}

void paintBackgroundShape(QPainter& painter, const QSizeF& size) {
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius,
                        kCornerRadius);
    painter.fillPath(path, QColor::fromRgbF(0.07f, 0.07f, 0.07f, 0.82f));
    painter.strokePath(path, QPen(QColor::fromRgbF(1, 1, 1, 0.13f), 1));
}

void paintRow(QPainter& painter, const QString& arrow, const QColor& arrowColor, double y,
              double rate) {
    const QFont arrowFont = systemFont(QFont::Bold);
    const QFont valueFont = systemFont(QFont::DemiBold);
    painter.setFont(arrowFont);
    painter.setPen(arrowColor);
    painter.drawText(QPointF(kArrowX, y + QFontMetricsF(arrowFont).ascent()), arrow);
    painter.setFont(valueFont);
    painter.setPen(Qt::white);
    TabularText::draw(painter, QPointF(kValueX, y), fmtSpeed(rate));
}

QColor withAlpha(QColor color, float alpha) {
    color.setAlphaF(alpha);
    return color;
}

void paintSparkline(QPainter& painter, const SpeedBallPainter::Content& content) {
    const QColor down = withAlpha(SpeedBallPainter::kDownColor, 0.75f);
    const QColor up = withAlpha(SpeedBallPainter::kUpColor, 0.75f);
    painter.setPen(Qt::NoPen);
    for (const SparklineLayout::Bar& bar :
         SparklineLayout::bars(content.upHistory, content.downHistory, content.size.width())) {
        if (bar.downHeight > 0) {
            painter.setBrush(down);
            painter.drawRoundedRect(QRectF(bar.x, SparklineLayout::kTop, bar.width, bar.downHeight),
                                    kBarRadius, kBarRadius);
        }
        if (bar.upHeight > 0) {
            painter.setBrush(up);
            painter.drawRoundedRect(
                QRectF(bar.x, SparklineLayout::kTop + bar.downHeight, bar.width, bar.upHeight),
                kBarRadius, kBarRadius);
        }
    }
}

void paintHandle(QPainter& painter, const SpeedBallPainter::Content& content) {
    using BallGeometry::TuckEdge;
    if (content.tuckedEdge == TuckEdge::none)
        return;
    // The handle sits in the peek strip, against the screen edge.
    const double x = content.tuckedEdge == TuckEdge::left
                         ? content.size.width() - BallGeometry::kPeekWidth
                         : BallGeometry::kPeekWidth - kHandleWidth;
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(SpeedBallPainter::kDownColor, 0.9f));
    painter.drawRoundedRect(
        QRectF(x, content.size.height() / 2 - kHandleHeight / 2, kHandleWidth, kHandleHeight),
        kHandleRadius, kHandleRadius);
}

} // namespace

const QImage& SpeedBallPainter::background(const QSizeF& size, qreal devicePixelRatio) {
    const QSize pixels = (size * devicePixelRatio).toSize();
    if (m_background.size() != pixels || m_background.devicePixelRatio() != devicePixelRatio) {
        m_background = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_background.setDevicePixelRatio(devicePixelRatio);
        m_background.fill(Qt::transparent);
        QPainter painter(&m_background);
        paintBackgroundShape(painter, size);
    }
    return m_background;
}

void SpeedBallPainter::paint(QPainter& painter, const Content& content) {
    painter.save();
    painter.drawImage(QPointF(0, 0),
                      background(content.size, painter.device()->devicePixelRatioF()));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintRow(painter, QStringLiteral("↑"), kUpColor, kUpRowY, content.uploadSpeed);
    paintRow(painter, QStringLiteral("↓"), kDownColor, kDownRowY, content.downloadSpeed);
    paintSparkline(painter, content);
    paintHandle(painter, content);
    painter.restore();
}
