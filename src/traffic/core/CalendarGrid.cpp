#include "traffic/core/CalendarGrid.h"

CalendarGrid CalendarGrid::of(const QDate& day) {
    CalendarGrid grid;
    if (!day.isValid())
        return grid;
    grid.first = QDate(day.year(), day.month(), 1);
    grid.days = grid.first.daysInMonth();
    // Qt numbers Monday 1 to Sunday 7, so Monday-first blanks are dayOfWeek - 1.
    grid.leadingBlanks = grid.first.dayOfWeek() - 1;
    grid.rows = (grid.leadingBlanks + grid.days + 6) / 7;
    return grid;
}

QDate CalendarGrid::dayAt(int row, int column) const {
    const int d = 7 * row + column - leadingBlanks;
    if (d < 0 || d >= days || column < 0 || column > 6)
        return {};
    return first.addDays(d);
}

QRect CalendarGrid::cellRect(int row, int column) {
    const int bottomYUp = kFirstRowBottomY - kRowHeight - (kRowHeight + kRowSpacing) * row;
    return {kLeftPad + (kColWidth + kColSpacing) * column, mirroredTop(bottomYUp, kRowHeight),
            kColWidth, kRowHeight};
}

QRect CalendarGrid::weekHeadRect(int column) {
    return {kLeftPad + (kColWidth + kColSpacing) * column, mirroredTop(kHeadY, kHeadHeight),
            kColWidth, kHeadHeight};
}

QRect CalendarGrid::topBarRect() {
    return {0, mirroredTop(kTopBarY, kTopBarHeight), kContainerWidth, kTopBarHeight};
}

QRect CalendarGrid::hintRect() {
    return {kLeftPad, mirroredTop(kHintY, kHintHeight), kContainerWidth - 2 * kLeftPad,
            kHintHeight};
}
