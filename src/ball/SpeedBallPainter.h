#pragma once

#include "ball/BallGeometry.h"

#include <QColor>
#include <QImage>
#include <QSizeF>

#include <span>

class QPainter;

// Draws the floating ball: dark rounded background, the two rate rows, the one-minute
// sparkline and, when tucked, the handle in the peek strip. Top-left origin, y downward.
// The background never changes with the content, so it is rasterised once per size.
class SpeedBallPainter {
public:
    static inline const QColor kUpColor = QColor::fromRgbF(0.30f, 0.85f, 0.52f);
    static inline const QColor kDownColor = QColor::fromRgbF(0.35f, 0.64f, 1.0f);

    struct Content {
        QSizeF size;
        double uploadSpeed = 0;
        double downloadSpeed = 0;
        std::span<const double> upHistory;
        std::span<const double> downHistory;
        BallGeometry::TuckEdge tuckedEdge = BallGeometry::TuckEdge::none;
    };

    void paint(QPainter& painter, const Content& content);

private:
    const QImage& background(const QSizeF& size, qreal devicePixelRatio);

    QImage m_background;
};
