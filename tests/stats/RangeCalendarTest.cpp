#include "traffic/windows/RangeCalendarVC.h"

#include "StatsFixture.h"
#include "traffic/core/CalendarGrid.h"
#include "ui/TrafficTheme.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

TEST(CalendarGrid, MonthShapes) {
    struct Case {
        QDate month;
        int blanks;
        int rows;
    };
    for (const Case& c : {Case{QDate(2021, 2, 14), 0, 4}, Case{QDate(2021, 5, 1), 5, 6},
                          Case{QDate(2026, 3, 31), 6, 6}, Case{QDate(2024, 2, 1), 3, 5}}) {
        const CalendarGrid grid = CalendarGrid::of(c.month);
        EXPECT_EQ(grid.leadingBlanks, c.blanks) << c.month.toString().toStdString();
        EXPECT_EQ(grid.rows, c.rows) << c.month.toString().toStdString();
    }
    const CalendarGrid may = CalendarGrid::of(QDate(2021, 5, 20));
    EXPECT_FALSE(may.dayAt(0, 4).isValid()); // Friday before the 1st
    EXPECT_EQ(may.dayAt(0, 5), QDate(2021, 5, 1));
    EXPECT_EQ(may.dayAt(5, 0), QDate(2021, 5, 31));
    EXPECT_FALSE(may.dayAt(5, 1).isValid());
    EXPECT_EQ(CalendarGrid::of(QDate()).rows, 0);
}

TEST(CalendarGrid, GeometryMirroredToYDown) {
    EXPECT_EQ(CalendarGrid::cellRect(0, 0), QRect(12, 120, 36, 32));
    EXPECT_EQ(CalendarGrid::cellRect(5, 6), QRect(12 + 240, 120 + 180, 36, 32));
    EXPECT_EQ(CalendarGrid::weekHeadRect(3), QRect(132, 72, 36, 18));
    EXPECT_EQ(CalendarGrid::topBarRect(), QRect(0, 16, 300, 24));
    EXPECT_EQ(CalendarGrid::hintRect(), QRect(12, 334, 276, 14));
    // Rows never reach the hint.
    EXPECT_LE(CalendarGrid::cellRect(5, 0).bottom(), CalendarGrid::hintRect().top());
}

namespace {

class RangeCalendarTest : public ::testing::Test {
protected:
    std::unique_ptr<RangeCalendarVC> make(QDate start, QDate end) {
        auto calendar = std::make_unique<RangeCalendarVC>(start, end, clock);
        calendar->onConfirm = [this](const QDate& s, const QDate& e) { confirmed = {s, e}; };
        return calendar;
    }

    FakeClock clock; // today is 2026-12-06
    std::optional<std::pair<QDate, QDate>> confirmed;
};

} // namespace

TEST_F(RangeCalendarTest, ShowsTheStartsMonthWithAllDaysEnabled) {
    auto calendar = make(QDate(2026, 3, 30), QDate(2026, 4, 2));
    EXPECT_EQ(calendar->displayMonth(), QDate(2026, 3, 1));
    EXPECT_EQ(calendar->title(), "2026 年 3 月");
    ASSERT_EQ(calendar->dayCells().size(), 31u);
    EXPECT_EQ(calendar->dayCells().front()->text(), "1");
    EXPECT_EQ(calendar->dayCells().front()->geometry().translated(0, 72),
              CalendarGrid::cellRect(0, 6));
    for (QPushButton* cell : calendar->dayCells())
        EXPECT_TRUE(cell->isEnabled());
    const auto buttons =
        calendar->findChild<QWidget*>("calendarContainer")->findChildren<QPushButton*>();
    int blanks = 0;
    for (QPushButton* button : buttons) {
        if (!button->isEnabled()) {
            ++blanks;
            EXPECT_TRUE(button->text().isEmpty());
        }
    }
    EXPECT_EQ(blanks, 6 * 7 - 31);

    calendar->nextMonth();
    calendar->nextMonth();
    EXPECT_EQ(calendar->title(), "2026 年 5 月");
    EXPECT_EQ(calendar->dayCells().size(), 31u);
    calendar->prevMonth();
    EXPECT_EQ(calendar->dayCells().size(), 30u);
}

TEST_F(RangeCalendarTest, ClickSequences) {
    auto calendar = make(QDate(2026, 11, 1), QDate(2026, 11, 7));
    calendar->cellFor(QDate(2026, 11, 20))->click();
    EXPECT_EQ(calendar->pendingStart(), QDate(2026, 11, 20));
    EXPECT_FALSE(confirmed);
    calendar->cellFor(QDate(2026, 11, 5))->click();
    ASSERT_TRUE(confirmed);
    EXPECT_EQ(*confirmed, std::make_pair(QDate(2026, 11, 5), QDate(2026, 11, 20)));

    auto single = make(QDate(2026, 11, 1), QDate(2026, 11, 7));
    single->cellFor(QDate(2026, 11, 5))->click();
    single->cellFor(QDate(2026, 11, 5))->click();
    EXPECT_EQ(*confirmed, std::make_pair(QDate(2026, 11, 5), QDate(2026, 11, 5)));

    auto across = make(QDate(2026, 11, 1), QDate(2026, 11, 7));
    across->cellFor(QDate(2026, 11, 28))->click();
    across->nextMonth();
    EXPECT_EQ(across->pendingStart(), QDate(2026, 11, 28));
    across->nextMonth(); // into the future, also allowed
    across->cellFor(QDate(2027, 1, 3))->click();
    EXPECT_EQ(*confirmed, std::make_pair(QDate(2026, 11, 28), QDate(2027, 1, 3)));
    // The pending day stays until the host closes the calendar.
    EXPECT_EQ(across->pendingStart(), QDate(2026, 11, 28));
}

TEST_F(RangeCalendarTest, RendersHeadsTodayAndPendingDay) {
    auto calendar = make(QDate(2026, 12, 1), QDate(2026, 12, 6));
    calendar->show();
    const auto cellPixel = [&](const QImage& image, const QDate& date) {
        QPushButton* cell = calendar->cellFor(date);
        return image.pixelColor(cell->mapTo(calendar.get(), QPoint(4, 16)));
    };
    QImage image = grabAndSave(*calendar, "stats-calendar");
    EXPECT_TRUE(near(image.pixelColor(150, 5), TrafficTheme::windowBG));
    EXPECT_TRUE(near(cellPixel(image, QDate(2026, 12, 2)), TrafficTheme::windowBG));
    const QColor todayMark = cellPixel(image, QDate(2026, 12, 6));
    EXPECT_FALSE(near(todayMark, TrafficTheme::windowBG, 2));
    EXPECT_FALSE(near(todayMark, TrafficTheme::downBlue));

    // Week heads are drawn above the rows: some pixels of the head row differ from the background.
    int inked = 0;
    for (int x = 12; x < 288; ++x) {
        for (int y = 72; y < 90; ++y)
            inked += !near(image.pixelColor(x, y), TrafficTheme::windowBG, 20);
    }
    EXPECT_GT(inked, 50);
    const auto heads = calendar->findChild<QWidget*>("calendarContainer")->findChildren<QLabel*>();
    ASSERT_EQ(heads.size(), 7);
    EXPECT_EQ(heads[0]->text(), "一");
    EXPECT_EQ(heads[6]->text(), "日");

    // A first click on today shows the pending style, not the today style.
    calendar->cellFor(QDate(2026, 12, 6))->click();
    image = grabAndSave(*calendar, "stats-calendar-pending");
    EXPECT_TRUE(near(cellPixel(image, QDate(2026, 12, 6)), TrafficTheme::downBlue));
}
