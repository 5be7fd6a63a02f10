#pragma once

#include "platform/ProcessTraffic.h"
#include "settings/DataPlanSettings.h"
#include "traffic/core/DailyTraffic.h"
#include "traffic/core/RangeMode.h"
#include "traffic/core/RangeSummary.h"
#include "traffic/core/TrafficExport.h"
#include "traffic/windows/AppTableDataSource.h"
#include "traffic/windows/RangeCalendarVC.h"

#include <QDate>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class Clock;
class DataPlanCard;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class QWidget;
class TrafficChartView;
class TrafficSummaryCard;

// The traffic statistics window: a period menu and custom range, the period's totals, a bar
// chart, the per-application table and CSV/JSON export. It shows a snapshot, refreshed when it
// is shown and whenever the period changes. Built on first show; closing only hides it.
class TrafficHistoryWindow : public QObject {
    Q_OBJECT
public:
    // The whole traffic history, read on every refresh.
    using DataSource = std::function<const TrafficData&()>;
    // The file an export goes to, chosen by the user; empty when cancelled.
    using SaveLocationChooser = std::function<QString(
        QWidget* parent, const QString& title, const QString& startPath, const QString& ext)>;
    using Warner =
        std::function<void(QWidget* parent, const QString& title, const QString& message)>;
    using AppSourceOf = std::function<AppTrafficSource()>;
    // The data plan, read on every refresh; absent while none is set.
    using PlanSource = std::function<std::optional<DataPlanSettings>()>;

    // What the window reads and asks; anything left empty gets the desktop's default (the
    // shared traffic store and its per-application source, the system clock, name resolution,
    // file dialogue, message box, the stored data plan).
    struct Services {
        DataSource data;
        const Clock* clock = nullptr;
        DisplayNameOf displayName;
        SaveLocationChooser chooseSaveLocation;
        Warner warn;
        AppSourceOf appSource;
        PlanSource plan;
    };

    explicit TrafficHistoryWindow(QObject* parent = nullptr);
    explicit TrafficHistoryWindow(Services services, QObject* parent = nullptr);
    ~TrafficHistoryWindow() override;

    // Builds the window on first use, refreshes, and brings it to the front.
    void show();
    // Recomputes everything shown from the data source.
    void refresh();
    // The window; nullptr before the first show().
    QWidget* window() const { return m_window.get(); }

    RangeMode mode() const { return m_mode; }
    QDate customStart() const { return m_customStart; }
    QDate customEnd() const { return m_customEnd; }
    QDate currentFrom() const { return m_currentFrom; }
    QDate currentTo() const { return m_currentTo; }
    const std::optional<RangeSummary>& currentSummary() const { return m_currentSummary; }
    DateRange resolveRange() const;
    // Days of the last refresh's interval, at least 1.
    int rangeDays() const;

    // Period menu: selects the mode with that raw value; other indexes, and the billing cycle
    // while no plan is set, are ignored.
    void onModeChange(int index);
    // Pops the calendar up below the range button.
    void openCalendar();
    void updateRangeField();
    // Adopts start..end as the custom range and refreshes (what a calendar confirmation does).
    void setCustomRange(const QDate& start, const QDate& end);
    // The calendar currently open, if any.
    RangeCalendarVC* calendarPopover() const { return m_calendarPopover; }

    // Pops up the menu of the two exports (nothing before a refresh).
    void onExport();
    QMenu* exportMenu() const { return m_exportMenu; }
    void exportCSV();
    void exportJSON();
    QString buildCSV() const;
    QString buildJSON() const;
    QString defaultExportName(const QString& ext) const;

    static inline const QString kExportDir = QStringLiteral("exportDir");

private:
    void build();
    // The billing cycle's menu entry and card follow the plan: both only while one is set.
    void followPlan(const std::optional<DataPlanSettings>& plan);
    ExportPeriod exportPeriod() const;
    void runSavePanel(const QString& ext, const QByteArray& bytes);

    Services m_services;
    RangeMode m_mode = RangeMode::last7;
    QDate m_customStart;
    QDate m_customEnd;
    int m_planResetDay = 1;
    QDate m_currentFrom;
    QDate m_currentTo;
    std::optional<RangeSummary> m_currentSummary;

    AppTableDataSource tableDS;
    std::unique_ptr<QWidget> m_window;
    TrafficChartView* chartView = nullptr;
    QTableView* tableView = nullptr;
    QComboBox* modePopUp = nullptr;
    QPushButton* rangeField = nullptr;
    QPointer<RangeCalendarVC> m_calendarPopover;
    QLabel* rangeInfo = nullptr;
    QPushButton* exportBtn = nullptr;
    QMenu* m_exportMenu = nullptr; // owned by the window
    TrafficSummaryCard* card = nullptr;
    QWidget* planHolder = nullptr;
    DataPlanCard* planCard = nullptr;
    QLabel* summaryLabel = nullptr;
    QLabel* appSourceLabel = nullptr;
};
