#pragma once

#include <QPoint>
#include <QRect>

// Where the ball's context menu opens: pulled in from the right edge of the visible area, and
// below the ball when its items fit there (24 per item plus 24), otherwise above it.
struct ContextMenuPlacement {
    static constexpr int kMenuWidth = 220;
    static constexpr int kItemHeight = 24;
    static constexpr int kGap = 2;

    int x = 0;
    // Below: the menu's top edge. Above: the menu's bottom edge.
    int y = 0;
    bool above = false;

    // ball and visible in screen coordinates (y down).
    static ContextMenuPlacement compute(const QRect& ball, const QRect& visible, int itemCount);
    // The menu's top-left corner for a menu of the given height.
    QPoint topLeft(int menuHeight) const { return {x, above ? y - menuHeight : y}; }
};
