#include "traffic/windows/RangeCalendarVC.h"

#include "common/Clock.h"
#include "traffic/core/CalendarGrid.h"
#include "ui/TrafficFont.h"
#include "ui/TrafficTheme.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace {

QString cssColor(const QColor& color) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

} // namespace

RangeCalendarVC::RangeCalendarVC(const QDate& initialStart, const QDate& initialEnd,
                                 const Clock& clock, QWidget* parent)
    : QWidget(parent), m_clock(clock), m_initialStart(initialStart), m_initialEnd(initialEnd) {
    const QDate month = initialStart.isValid() ? initialStart : clock.now().toLocalTime().date();
    m_displayMonth = QDate(month.year(), month.month(), 1);
    buildView();
    rebuildGrid();
}

void RangeCalendarVC::buildView() {
    setObjectName(QStringLiteral("rangeCalendar"));
    setFixedSize(CalendarGrid::kContainerWidth, CalendarGrid::kContainerHeight);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, TrafficTheme::windowBG);
    setPalette(palette);

    const QRect bar = CalendarGrid::topBarRect();
    auto* prev = new QPushButton(QStringLiteral("◀"), this);
    prev->setObjectName(QStringLiteral("prevMonth"));
    prev->setGeometry(12, bar.top(), 32, bar.height());
    connect(prev, &QPushButton::clicked, this, &RangeCalendarVC::prevMonth);

    m_titleLabel = new QLabel(this);
    m_titleLabel->setObjectName(QStringLiteral("titleLabel"));
    m_titleLabel->setGeometry(48, bar.top(), 204, bar.height());
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->setFont(trafficFont(14, QFont::Bold));
    m_titleLabel->setStyleSheet(
        QStringLiteral("color: %1;").arg(cssColor(TrafficTheme::textPrimary)));

    auto* next = new QPushButton(QStringLiteral("▶"), this);
    next->setObjectName(QStringLiteral("nextMonth"));
    next->setGeometry(256, bar.top(), 32, bar.height());
    connect(next, &QPushButton::clicked, this, &RangeCalendarVC::nextMonth);
    const QString navStyle =
        QStringLiteral("QPushButton { background: %1; color: %2; border: 1px solid %3;"
                       " border-radius: 5px; }"
                       "QPushButton:pressed { background: %3; }")
            .arg(cssColor(TrafficTheme::white(1.0, 0.08)), cssColor(TrafficTheme::textPrimary),
                 cssColor(TrafficTheme::white(1.0, 0.16)));
    prev->setStyleSheet(navStyle);
    next->setStyleSheet(navStyle);

    // The container holds the week heads as well as the cells, so the heads stay visible.
    const int containerTop = CalendarGrid::weekHeadRect(0).top();
    m_calendarContainer = new QWidget(this);
    m_calendarContainer->setObjectName(QStringLiteral("calendarContainer"));
    m_calendarContainer->setGeometry(0, containerTop, CalendarGrid::kContainerWidth,
                                     CalendarGrid::hintRect().top() - containerTop);

    auto* hint =
        new QLabel(QStringLiteral("先点开始日期，再点结束日期；同一天点两次 = 指定日"), this);
    hint->setObjectName(QStringLiteral("hintLabel"));
    hint->setGeometry(CalendarGrid::hintRect());
    hint->setAlignment(Qt::AlignCenter);
    hint->setFont(trafficFont(10));
    hint->setStyleSheet(QStringLiteral("color: %1;").arg(cssColor(TrafficTheme::textDim)));
}

QString RangeCalendarVC::title() const {
    return m_titleLabel->text();
}

QPushButton* RangeCalendarVC::cellFor(const QDate& date) const {
    for (auto it = m_dayDateMap.constBegin(); it != m_dayDateMap.constEnd(); ++it) {
        if (it.value() == date)
            return it.key();
    }
    return nullptr;
}

void RangeCalendarVC::rebuildGrid() {
    m_titleLabel->setText(
        QStringLiteral("%1 年 %2 月").arg(m_displayMonth.year()).arg(m_displayMonth.month()));
    // Deleted later: the grid is rebuilt from inside a day button's own click.
    for (QWidget* child : m_calendarContainer->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->hide();
        child->setParent(nullptr);
        child->deleteLater();
    }
    m_dayCells.clear();
    m_dayDateMap.clear();

    const QPoint offset(0, -m_calendarContainer->y());
    for (int i = 0; i < 7; ++i) {
        auto* head = new QLabel(weekHeads[i], m_calendarContainer);
        head->setGeometry(CalendarGrid::weekHeadRect(i).translated(offset));
        head->setAlignment(Qt::AlignCenter);
        head->setFont(trafficFont(12, QFont::DemiBold));
        head->setStyleSheet(QStringLiteral("color: %1;").arg(cssColor(TrafficTheme::textDim)));
        head->show();
    }

    const CalendarGrid grid = CalendarGrid::of(m_displayMonth);
    const QDate today = m_clock.now().toLocalTime().date();
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < 7; ++column) {
            auto* button = new QPushButton(m_calendarContainer);
            button->setGeometry(CalendarGrid::cellRect(row, column).translated(offset));
            button->setFlat(true);
            button->setFocusPolicy(Qt::NoFocus);
            const QDate day = grid.dayAt(row, column);
            if (!day.isValid()) {
                // A blank: no text, no background, no clicks.
                button->setEnabled(false);
                button->setStyleSheet(
                    QStringLiteral("QPushButton { background: transparent; border: none; }"));
            } else {
                button->setText(QString::number(day.day()));
                m_dayCells.push_back(button);
                m_dayDateMap.insert(button, day);
                styleDayButton(button, day, today);
                connect(button, &QPushButton::clicked, this,
                        [this, button] { dayClicked(button); });
            }
            button->show();
        }
    }
}

void RangeCalendarVC::styleDayButton(QPushButton* button, const QDate& dayDate,
                                     const QDate& today) const {
    QColor background = Qt::transparent;
    QColor text = TrafficTheme::textSecondary;
    bool bold = false;
    if (m_pendingStart && *m_pendingStart == dayDate) {
        background = TrafficTheme::downBlue;
        text = Qt::white;
        bold = true;
    } else if (dayDate == today) {
        background = TrafficTheme::white(1.0, 0.07);
        text = TrafficTheme::textPrimary;
        bold = true;
    }
    button->setFont(trafficFont(13, bold ? QFont::Bold : QFont::Normal));
    button->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: %2; border: none;"
                                         " border-radius: 6px; }")
                              .arg(cssColor(background), cssColor(text)));
}

void RangeCalendarVC::dayClicked(QPushButton* button) {
    const auto found = m_dayDateMap.constFind(button);
    if (found == m_dayDateMap.constEnd())
        return;
    const QDate date = *found;
    if (!m_pendingStart) {
        m_pendingStart = date;
        rebuildGrid();
        return;
    }
    // The pending day stays: the host closes the calendar.
    const QDate start = std::min(*m_pendingStart, date);
    const QDate end = std::max(*m_pendingStart, date);
    if (onConfirm)
        onConfirm(start, end);
}

void RangeCalendarVC::prevMonth() {
    m_displayMonth = m_displayMonth.addMonths(-1);
    rebuildGrid();
}

void RangeCalendarVC::nextMonth() {
    m_displayMonth = m_displayMonth.addMonths(1);
    rebuildGrid();
}
