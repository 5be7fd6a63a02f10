#pragma once

#include <QDate>
#include <QHash>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class Clock;
class QLabel;
class QPushButton;

// The month calendar that picks a custom range: the first click marks a start day, the second
// (in any month, before or after it) confirms the range; the same day twice is one day.
class RangeCalendarVC : public QWidget {
    Q_OBJECT
public:
    // Opens on the month of initialStart. clock supplies today for the today mark.
    RangeCalendarVC(const QDate& initialStart, const QDate& initialEnd, const Clock& clock,
                    QWidget* parent = nullptr);

    // Called with start ≤ end on the second click.
    std::function<void(const QDate& start, const QDate& end)> onConfirm;

    static inline const QStringList weekHeads = {"一", "二", "三", "四", "五", "六", "日"};

    QDate initialStart() const { return m_initialStart; }
    QDate initialEnd() const { return m_initialEnd; }
    QDate displayMonth() const { return m_displayMonth; }
    std::optional<QDate> pendingStart() const { return m_pendingStart; }
    // The day buttons of the month shown in grid order, blanks left out.
    const std::vector<QPushButton*>& dayCells() const { return m_dayCells; }
    // The day button of date in the month shown, if any.
    QPushButton* cellFor(const QDate& date) const;
    QString title() const;

    void prevMonth();
    void nextMonth();
    void dayClicked(QPushButton* button);

private:
    void buildView();
    void rebuildGrid();
    void styleDayButton(QPushButton* button, const QDate& dayDate, const QDate& today) const;

    const Clock& m_clock;
    QDate m_initialStart;
    QDate m_initialEnd;
    QDate m_displayMonth;
    std::optional<QDate> m_pendingStart;
    QLabel* m_titleLabel = nullptr;
    QWidget* m_calendarContainer = nullptr;
    std::vector<QPushButton*> m_dayCells;
    QHash<QPushButton*, QDate> m_dayDateMap;
};
