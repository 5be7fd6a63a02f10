#pragma once

#include <QDate>
#include <QRect>

// The month grid of the range calendar: Monday-first weeks, blank cells before the first day,
// and the cell geometry of a 300 × 360 view with y growing downward (the layout was drawn
// with y growing upward from the bottom edge; every y here is mirrored from it).
struct CalendarGrid {
    static constexpr int kContainerWidth = 300;
    static constexpr int kContainerHeight = 360;
    static constexpr int kLeftPad = 12;
    static constexpr int kColSpacing = 4;
    static constexpr int kColWidth = 36;
    static constexpr int kRowSpacing = 4;
    static constexpr int kRowHeight = 32;
    static constexpr int kTopBarY = 320;
    static constexpr int kTopBarHeight = 24;
    static constexpr int kHeadY = 270;
    static constexpr int kHeadHeight = 18;
    static constexpr int kFirstRowBottomY = 240;
    static constexpr int kHintY = 12;
    static constexpr int kHintHeight = 14;

    QDate first;  // first day of the month shown
    int days = 0; // days in that month
    int leadingBlanks = 0;
    int rows = 0; // 4, 5 or 6

    // The grid of the month that contains day; an invalid day gives no rows.
    static CalendarGrid of(const QDate& day);

    // The day of cell (row, column), or an invalid date for a blank cell.
    QDate dayAt(int row, int column) const;

    // Geometry in the view, y downward.
    static QRect cellRect(int row, int column);
    static QRect weekHeadRect(int column);
    static QRect topBarRect();
    static QRect hintRect();

    // y downward of a band given by its bottom edge and height with y upward.
    static int mirroredTop(int bottomYUp, int height) {
        return kContainerHeight - bottomYUp - height;
    }
};
