#include "ball/BallGeometry.h"

#include <QString>

#include <algorithm>
#include <cstdlib>

namespace {

int rightOf(const QRect& r) {
    return r.x() + r.width();
}

qint64 area(const QRect& r) {
    return r.isEmpty() ? 0 : qint64(r.width()) * r.height();
}

} // namespace

namespace BallGeometry {

QRect tuckedFrame(TuckEdge edge, int y, const QRect& visible) {
    const int x = edge == TuckEdge::left ? visible.x() - (kWidgetSize.width() - kPeekWidth)
                                         : rightOf(visible) - kPeekWidth;
    return QRect(QPoint(x, y), kWidgetSize);
}

QRect expandedFrame(TuckEdge edge, int y, const QRect& visible) {
    const int x = edge == TuckEdge::left ? visible.x() : rightOf(visible) - kWidgetSize.width();
    return QRect(QPoint(x, y), kWidgetSize);
}

TuckEdge tuckZone(const QRect& frame, const QRect& visible) {
    if (frame.x() <= visible.x() + kTuckThreshold)
        return TuckEdge::left;
    if (rightOf(frame) >= rightOf(visible) - kTuckThreshold)
        return TuckEdge::right;
    return TuckEdge::none;
}

TuckEdge nearestEdge(const QRect& frame, const QRect& visible) {
    const int toLeft = frame.x() - visible.x();
    const int toRight = rightOf(visible) - rightOf(frame);
    return toLeft <= toRight ? TuckEdge::left : TuckEdge::right;
}

int clampedY(int y, int height, const QRect& visible) {
    y = std::max(y, visible.y());
    return std::min(y, visible.y() + visible.height() - height);
}

bool movedBeyondClick(const QPoint& pressedAt, const QPoint& now) {
    return std::abs(now.x() - pressedAt.x()) > kClickTolerance ||
           std::abs(now.y() - pressedAt.y()) > kClickTolerance;
}

ReleaseAction releaseAction(TuckEdge tucked, bool dragMoved, const QRect& frame,
                            const QRect& visible) {
    if (!dragMoved) {
        if (tucked == TuckEdge::none)
            return {ReleaseAction::openMenu};
        return {ReleaseAction::expand, tucked};
    }
    const TuckEdge zone = tuckZone(frame, visible);
    if (zone == TuckEdge::none)
        return {ReleaseAction::stayDropped};
    return {ReleaseAction::tuck, zone};
}

QRect pulledInside(const QRect& frame, const QRect& visible) {
    const int x = std::min(std::max(frame.x(), visible.x()), rightOf(visible) - frame.width());
    return QRect(QPoint(x, clampedY(frame.y(), frame.height(), visible)), frame.size());
}

QRect onScreenPart(const QRect& frame, TuckEdge tucked) {
    switch (tucked) {
    case TuckEdge::left:
        return QRect(rightOf(frame) - kPeekWidth, frame.y(), kPeekWidth, frame.height());
    case TuckEdge::right:
        return QRect(frame.x(), frame.y(), kPeekWidth, frame.height());
    case TuckEdge::none:
        break;
    }
    return frame;
}

int screenIndexForFrame(const QRect& frame, const QList<QRect>& screens) {
    int best = -1;
    qint64 bestArea = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const qint64 overlap = area(frame.intersected(screens[i]));
        if (overlap > bestArea) {
            best = i;
            bestArea = overlap;
        }
    }
    return best;
}

QRect frameForScreens(const QRect& frame, TuckEdge tucked, const QList<QRect>& screens,
                      const QRect& fallback) {
    const int index = screenIndexForFrame(onScreenPart(frame, tucked), screens);
    const QRect visible = index >= 0 ? screens[index] : fallback;
    if (tucked != TuckEdge::none)
        return tuckedFrame(tucked, clampedY(frame.y(), frame.height(), visible), visible);
    qint64 shown = 0;
    for (const QRect& screen : screens)
        shown += area(frame.intersected(screen));
    if (index >= 0 && shown >= area(frame))
        return frame;
    return pulledInside(frame, visible);
}

QString edgeText(TuckEdge edge) {
    switch (edge) {
    case TuckEdge::left:
        return QStringLiteral("left");
    case TuckEdge::right:
        return QStringLiteral("right");
    case TuckEdge::none:
        break;
    }
    return {};
}

TuckEdge edgeFromText(const QString& text) {
    if (text == QLatin1String("left"))
        return TuckEdge::left;
    if (text == QLatin1String("right"))
        return TuckEdge::right;
    return TuckEdge::none;
}

} // namespace BallGeometry
