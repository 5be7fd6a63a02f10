#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

// Where the floating ball goes when it is dragged, dropped, tucked against a screen edge or
// brought back. Screen coordinates with y growing downward; `visible` is the available area of
// the screen the ball is on. A rectangle's right edge here is x + width (not QRect::right()).
namespace BallGeometry {

enum class TuckEdge { none, left, right };

inline constexpr QSize kWidgetSize{216, 92};
// What stays on screen of a tucked ball.
inline constexpr int kPeekWidth = 30;
// A ball dropped this close to a side edge (or beyond it) tucks there.
inline constexpr int kTuckThreshold = 24;
// A press that moves the pointer no more than this on both axes is a click.
inline constexpr int kClickTolerance = 3;

// The frame of a ball tucked against `edge` (not none) at height y.
QRect tuckedFrame(TuckEdge edge, int y, const QRect& visible);
// The frame of a ball brought back from `edge`: flush with the left edge when it was tucked
// left, flush with the right edge otherwise.
QRect expandedFrame(TuckEdge edge, int y, const QRect& visible);
// The edge whose zone a dropped frame lies in; left wins when both apply.
TuckEdge tuckZone(const QRect& frame, const QRect& visible);
// The nearer side edge; a ball exactly in the middle goes left.
TuckEdge nearestEdge(const QRect& frame, const QRect& visible);
// Keeps a dragged ball of the given height inside the visible area vertically; when the ball
// is taller than the area its top stays at the area's top minus the excess.
int clampedY(int y, int height, const QRect& visible);
bool movedBeyondClick(const QPoint& pressedAt, const QPoint& now);

// What a mouse release does, from the tuck state, whether the press became a drag and the
// frame where the ball was dropped.
struct ReleaseAction {
    enum Kind {
        openMenu,    // click on the untucked ball
        expand,      // click on the tucked ball: back out at the same edge
        tuck,        // dropped in a tuck zone: tuck at `edge`
        stayDropped, // dropped elsewhere: untucked where it lies, frame saved
    };
    Kind kind;
    TuckEdge edge = TuckEdge::none;

    friend bool operator==(const ReleaseAction&, const ReleaseAction&) = default;
};
ReleaseAction releaseAction(TuckEdge tucked, bool dragMoved, const QRect& frame,
                            const QRect& visible);

// The frame moved the least distance to lie inside the visible area (as far as it fits).
QRect pulledInside(const QRect& frame, const QRect& visible);
// The part of the frame meant to be on screen: the peek strip of a tucked ball, else all of it.
// A ball tucked against an edge between two screens belongs to the screen of its strip.
QRect onScreenPart(const QRect& frame, TuckEdge tucked);
// The index of the screen holding the largest part of the frame, or -1 when it touches none.
int screenIndexForFrame(const QRect& frame, const QList<QRect>& screens);
// Where the ball goes after the screens changed (one removed, resized, its available area
// changed); `screens` are the available areas now, `fallback` the primary one. A tucked ball
// goes to its edge of the screen holding its peek strip; an untucked one stays while it is
// wholly visible, else it is pulled inside the screen holding most of it. A ball on no
// screen goes to the fallback.
QRect frameForScreens(const QRect& frame, TuckEdge tucked, const QList<QRect>& screens,
                      const QRect& fallback);

// Stored text of a tuck edge ("left", "right"; none is stored as absence) and back; any other
// text reads as none.
QString edgeText(TuckEdge edge);
TuckEdge edgeFromText(const QString& text);

} // namespace BallGeometry
