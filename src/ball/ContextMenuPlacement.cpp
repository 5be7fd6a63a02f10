#include "ball/ContextMenuPlacement.h"

#include <algorithm>

ContextMenuPlacement ContextMenuPlacement::compute(const QRect& ball, const QRect& visible,
                                                   int itemCount) {
    ContextMenuPlacement placement;
    const int visibleRight = visible.x() + visible.width();
    const int visibleBottom = visible.y() + visible.height();
    const int ballBottom = ball.y() + ball.height();
    placement.x = std::min(ball.x(), visibleRight - kMenuWidth);
    if (itemCount * kItemHeight + kItemHeight <= visibleBottom - ballBottom) {
        placement.y = ballBottom + kGap;
    } else {
        placement.y = ball.y() - kGap;
        placement.above = true;
    }
    return placement;
}
