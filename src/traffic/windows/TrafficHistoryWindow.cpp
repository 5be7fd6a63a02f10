#include "traffic/windows/TrafficHistoryWindow.h"

#include "common/Brand.h"
#include "common/Clock.h"
#include "common/Saturating.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "traffic/core/AppNameResolver.h"
#include "traffic/core/AppTrafficSourceText.h"
#include "traffic/core/DataPlan.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/TrafficChartData.h"
#include "traffic/core/TrafficFormat.h"
#include "traffic/core/TrafficRecorder.h"
#include "traffic/windows/DataPlanCard.h"
#include "traffic/windows/RangeCalendarVC.h"
#include "traffic/windows/TrafficChartView.h"
#include "traffic/windows/TrafficSummaryCard.h"
#include "ui/TailElidedLabel.h"
#include "ui/TrafficFont.h"
#include "ui/TrafficTheme.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kInset = 16;

QString chooseWithDialog(QWidget* parent, const QString& title, const QString& startPath,
                         const QString& ext) {
    QFileDialog dialog(parent, title, startPath);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(ext);
    dialog.setNameFilter(ext == QLatin1String("csv") ? QStringLiteral("CSV 文件 (*.csv)")
                                                     : QStringLiteral("JSON 文件 (*.json)"));
    dialog.selectFile(startPath);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

void warnWithMessageBox(QWidget* parent, const QString& title, const QString& message) {
    QMessageBox::warning(parent, title, message);
}

QPalette darkPalette(QPalette palette) {
    const QColor button = TrafficTheme::rgb(0.12, 0.14, 0.20);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, TrafficTheme::windowBG);
        palette.setColor(group, QPalette::WindowText, TrafficTheme::textPrimary);
        palette.setColor(group, QPalette::Base, TrafficTheme::cardBG);
        palette.setColor(group, QPalette::AlternateBase, TrafficTheme::white(1.0, 0.035));
        palette.setColor(group, QPalette::Text, TrafficTheme::textPrimary);
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::ButtonText, TrafficTheme::textPrimary);
        palette.setColor(group, QPalette::Highlight, TrafficTheme::downBlue);
        palette.setColor(group, QPalette::HighlightedText, TrafficTheme::windowBG);
        palette.setColor(group, QPalette::ToolTipBase, TrafficTheme::cardBG);
        palette.setColor(group, QPalette::ToolTipText, TrafficTheme::textPrimary);
        palette.setColor(group, QPalette::PlaceholderText, TrafficTheme::textDim);
        palette.setColor(group, QPalette::Light, TrafficTheme::white(0.3));
        palette.setColor(group, QPalette::Midlight, TrafficTheme::white(0.22));
        palette.setColor(group, QPalette::Mid, TrafficTheme::white(0.16));
        palette.setColor(group, QPalette::Dark, TrafficTheme::white(0.08));
        palette.setColor(group, QPalette::Shadow, Qt::black);
    }
    palette.setColor(QPalette::Disabled, QPalette::WindowText, TrafficTheme::textDim);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, TrafficTheme::textDim);
    palette.setColor(QPalette::Disabled, QPalette::Text, TrafficTheme::textDim);
    palette.setColor(QPalette::Disabled, QPalette::Window, TrafficTheme::windowBG);
    palette.setColor(QPalette::Disabled, QPalette::Button, TrafficTheme::windowBG);
    return palette;
}

} // namespace

TrafficHistoryWindow::TrafficHistoryWindow(QObject* parent)
    : TrafficHistoryWindow(Services{}, parent) {}

TrafficHistoryWindow::TrafficHistoryWindow(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services)) {
    if (!m_services.data)
        m_services.data = []() -> const TrafficData& { return TrafficRecorder::shared().data(); };
    if (!m_services.clock)
        m_services.clock = &Clock::system();
    if (!m_services.displayName)
        m_services.displayName = &AppNameResolver::friendlyName;
    if (!m_services.chooseSaveLocation)
        m_services.chooseSaveLocation = &chooseWithDialog;
    if (!m_services.warn)
        m_services.warn = &warnWithMessageBox;
    if (!m_services.appSource)
        m_services.appSource = [] { return TrafficRecorder::shared().appTrafficSource(); };
    if (!m_services.plan)
        m_services.plan = &PreferencesCatalogue::dataPlan;

    const QDate today = m_services.clock->now().toLocalTime().date();
    m_customStart = today.addDays(-6);
    m_customEnd = today;
    m_currentFrom = today;
    m_currentTo = today;
}

TrafficHistoryWindow::~TrafficHistoryWindow() = default;

void TrafficHistoryWindow::build() {
    m_window = std::make_unique<QWidget>();
    QWidget* w = m_window.get();
    w->setObjectName(QStringLiteral("trafficHistoryWindow"));
    w->setWindowTitle(Brand::name + QStringLiteral(" · 流量统计"));
    w->setPalette(darkPalette(w->palette()));
    w->setAutoFillBackground(true);
    w->resize(620, 680);
    w->setMinimumSize(540, 600);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), w->size());
        frame.moveCenter(screen->availableGeometry().center());
        w->move(frame.topLeft());
    }

    auto* column = new QVBoxLayout(w);
    column->setContentsMargins(kInset, kInset, kInset, kInset);
    column->setSpacing(0);

    auto* topBar = new QHBoxLayout;
    topBar->setSpacing(10);
    modePopUp = new QComboBox;
    modePopUp->setObjectName(QStringLiteral("modePopUp"));
    modePopUp->setFont(trafficFont(12, QFont::Medium));
    modePopUp->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int raw = 0; raw < kPlainRangeModeCount; ++raw)
        modePopUp->addItem(rangeModeTitle(*rangeModeFromRaw(raw)));
    modePopUp->setCurrentIndex(rawValue(m_mode));
    // Drop-down lists and menus are windows of their own: without the window's palette they
    // take the desktop's colours.
    modePopUp->view()->setPalette(w->palette());
    connect(modePopUp, &QComboBox::activated, this, &TrafficHistoryWindow::onModeChange);
    topBar->addWidget(modePopUp);

    rangeField = new QPushButton(QStringLiteral("选择日期范围"));
    rangeField->setObjectName(QStringLiteral("rangeField"));
    rangeField->setFont(trafficFont(12, QFont::Medium));
    rangeField->setVisible(m_mode == RangeMode::custom);
    connect(rangeField, &QPushButton::clicked, this, &TrafficHistoryWindow::openCalendar);
    topBar->addWidget(rangeField);

    rangeInfo = TailElidedLabel::make(QStringLiteral("rangeInfo"), trafficFont(11, QFont::Medium),
                                      TrafficTheme::textDim);
    rangeInfo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Right-aligned and stretching, the range text is also the bar's flexible space.
    topBar->addWidget(rangeInfo, 1);

    exportBtn = new QPushButton(QStringLiteral("导出 ▾"));
    exportBtn->setObjectName(QStringLiteral("exportBtn"));
    exportBtn->setFont(trafficFont(12, QFont::Medium));
    connect(exportBtn, &QPushButton::clicked, this, &TrafficHistoryWindow::onExport);
    topBar->addWidget(exportBtn);
    column->addLayout(topBar);

    column->addSpacing(12);
    card = new TrafficSummaryCard;
    column->addWidget(card);
    // Its gap above comes and goes with it, so without a plan the layout is as before.
    planHolder = new QWidget;
    auto* planSpacing = new QVBoxLayout(planHolder);
    planSpacing->setContentsMargins(0, 12, 0, 0);
    planCard = new DataPlanCard;
    planSpacing->addWidget(planCard);
    planHolder->hide();
    column->addWidget(planHolder);

    column->addSpacing(12);
    chartView = new TrafficChartView;
    chartView->setFixedHeight(196);
    column->addWidget(chartView);

    column->addSpacing(8);
    summaryLabel =
        TailElidedLabel::make(QStringLiteral("summaryLabel"), trafficFont(12, QFont::Medium),
                              TrafficTheme::textSecondary);
    summaryLabel->setContentsMargins(2, 0, 2, 0); // 18 from the edges
    column->addWidget(summaryLabel);
    column->addSpacing(4);
    appSourceLabel = TailElidedLabel::make(QStringLiteral("appSourceLabel"),
                                           trafficFont(11, QFont::Medium), TrafficTheme::textDim);
    appSourceLabel->setContentsMargins(2, 0, 2, 0);
    column->addWidget(appSourceLabel);

    column->addSpacing(8);
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("tableScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    auto* tableHolder = new QWidget;
    tableHolder->setAutoFillBackground(false);
    auto* holderLayout = new QVBoxLayout(tableHolder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    holderLayout->setSpacing(0);
    tableView = tableDS.makeTableView();
    holderLayout->addWidget(tableView);
    holderLayout->addStretch(1);
    scroll->setWidget(tableHolder);
    column->addWidget(scroll, 1);
}

void TrafficHistoryWindow::show() {
    if (!m_window)
        build();
    refresh();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

DateRange TrafficHistoryWindow::resolveRange() const {
    return ::resolveRange(m_mode, m_services.clock->now(), m_customStart, m_customEnd,
                          m_planResetDay);
}

int TrafficHistoryWindow::rangeDays() const {
    return ::rangeDays(m_currentFrom, m_currentTo);
}

void TrafficHistoryWindow::followPlan(const std::optional<DataPlanSettings>& plan) {
    m_planResetDay = plan ? plan->resetDay : 1;
    if (!plan && m_mode == RangeMode::billingCycle) {
        m_mode = RangeMode::last7;
        if (modePopUp)
            modePopUp->setCurrentIndex(rawValue(m_mode));
    }
    if (!modePopUp)
        return;
    const int billingCycle = rawValue(RangeMode::billingCycle);
    if (plan && modePopUp->count() == billingCycle)
        modePopUp->addItem(rangeModeTitle(RangeMode::billingCycle));
    else if (!plan && modePopUp->count() > billingCycle)
        modePopUp->removeItem(billingCycle);
}

void TrafficHistoryWindow::refresh() {
    const std::optional<DataPlanSettings> plan = m_services.plan();
    followPlan(plan);
    const DateRange range = resolveRange();
    m_currentFrom = range.from;
    m_currentTo = range.to;
    m_currentSummary = aggregate(m_services.data(), dayKeys(range.from, range.to));
    if (!m_window)
        return;
    const RangeSummary& summary = *m_currentSummary;
    const quint64 total = saturatingAdd(summary.totalIn, summary.totalOut);

    card->totalDownLabel->setText(QStringLiteral("↓ ") + fmtBytesTraffic(summary.totalIn));
    card->totalUpLabel->setText(QStringLiteral("↑ ") + fmtBytesTraffic(summary.totalOut));
    card->totalAllLabel->setText(QStringLiteral("∑ ") + fmtBytesTraffic(total));
    if (plan) {
        const qint64 retention = DataPlan::storedRetentionDays();
        planCard->setUsage(DataPlan::usage(m_services.data(), *plan,
                                           m_services.clock->now().toLocalTime().date(), retention),
                           retention);
    }
    planHolder->setVisible(plan.has_value());

    const bool today = m_mode == RangeMode::today;
    card->downTitle->setText(today ? QStringLiteral("今日下载") : QStringLiteral("区间下载"));
    card->upTitle->setText(today ? QStringLiteral("今日上传") : QStringLiteral("区间上传"));
    card->totalTitle->setText(today ? QStringLiteral("今日合计") : QStringLiteral("区间合计"));

    const qint64 n =
        range.from.isValid() && range.to.isValid() ? range.from.daysTo(range.to) + 1 : 1;
    rangeInfo->setText(dayKey(range.from) + QStringLiteral(" ~ ") + dayKey(range.to) +
                       QStringLiteral("  ·  共 ") + QString::number(qMax<qint64>(n, 1)) +
                       QStringLiteral(" 天"));

    chartView->setBarData(
        buildBarData(summary.perDay, int(qBound<qint64>(-1, n, qint64(1) << 30))));

    summaryLabel->setText(QStringLiteral("应用流量明细（区间合计）    下载 ") +
                          fmtBytesTraffic(summary.totalIn) + QStringLiteral(" · 上传 ") +
                          fmtBytesTraffic(summary.totalOut) + QStringLiteral(" · 合计 ") +
                          fmtBytesTraffic(total));
    appSourceLabel->setText(appTrafficSourceText(m_services.appSource()));

    std::vector<AppRow> rows;
    for (const NamedAppTraffic& app : sortedApps(summary.apps)) {
        const AppTraffic& t = app.traffic;
        rows.push_back({m_services.displayName(app.name), t.bytesIn, t.bytesOut,
                        saturatingAdd(t.bytesIn, t.bytesOut), appShare(t, summary)});
    }
    const int rowCount = int(rows.size());
    tableDS.setRows(std::move(rows));
    // The table shows every row; the scroll area around it scrolls.
    tableView->setFixedHeight(AppTableDataSource::kHeaderHeight +
                              AppTableDataSource::kRowHeight * rowCount);
}

void TrafficHistoryWindow::onModeChange(int index) {
    const auto mode = rangeModeFromRaw(index);
    if (!mode)
        return;
    const std::optional<DataPlanSettings> plan = m_services.plan();
    if (*mode == RangeMode::billingCycle && !plan)
        return;
    m_mode = *mode;
    followPlan(plan);
    if (modePopUp && modePopUp->currentIndex() != index)
        modePopUp->setCurrentIndex(index);
    if (rangeField) {
        rangeField->setVisible(m_mode == RangeMode::custom);
        if (m_mode == RangeMode::custom)
            updateRangeField();
    }
    refresh();
}

void TrafficHistoryWindow::updateRangeField() {
    if (!rangeField)
        return;
    const QString start = dayKey(m_customStart);
    rangeField->setText(
        m_customStart == m_customEnd ? start : start + QStringLiteral(" ~ ") + dayKey(m_customEnd));
}

void TrafficHistoryWindow::setCustomRange(const QDate& start, const QDate& end) {
    m_customStart = start;
    m_customEnd = end;
    updateRangeField();
    refresh();
}

void TrafficHistoryWindow::openCalendar() {
    if (!m_window)
        return;
    if (m_calendarPopover)
        m_calendarPopover->close();
    auto* calendar =
        new RangeCalendarVC(m_customStart, m_customEnd, *m_services.clock, m_window.get());
    calendar->setWindowFlag(Qt::Popup);
    calendar->setAttribute(Qt::WA_DeleteOnClose);
    calendar->onConfirm = [this](const QDate& start, const QDate& end) {
        setCustomRange(start, end);
        if (m_calendarPopover)
            m_calendarPopover->close();
        m_calendarPopover = nullptr;
    };
    m_calendarPopover = calendar;

    // Below the range button, centred on it, kept on the screen.
    QPoint topLeft = rangeField->mapToGlobal(
        QPoint((rangeField->width() - calendar->width()) / 2, rangeField->height() + 4));
    if (QScreen* screen = rangeField->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(qBound(area.left(), topLeft.x(), area.right() - calendar->width()));
        topLeft.setY(qBound(area.top(), topLeft.y(), area.bottom() - calendar->height()));
    }
    calendar->move(topLeft);
    calendar->show();
}

void TrafficHistoryWindow::onExport() {
    if (!m_currentSummary || !m_window)
        return;
    if (!m_exportMenu) {
        m_exportMenu = new QMenu(m_window.get());
        m_exportMenu->setObjectName(QStringLiteral("exportMenu"));
        m_exportMenu->setPalette(m_window->palette());
        m_exportMenu->addAction(QStringLiteral("导出 CSV…"), this,
                                &TrafficHistoryWindow::exportCSV);
        m_exportMenu->addAction(QStringLiteral("导出 JSON…"), this,
                                &TrafficHistoryWindow::exportJSON);
    }
    m_exportMenu->popup(exportBtn->mapToGlobal(QPoint(0, exportBtn->height())));
}

ExportPeriod TrafficHistoryWindow::exportPeriod() const {
    return {m_currentFrom, m_currentTo, m_currentSummary};
}

QString TrafficHistoryWindow::buildCSV() const {
    return TrafficExport::buildCSV(exportPeriod(), m_services.displayName);
}

QString TrafficHistoryWindow::buildJSON() const {
    return TrafficExport::buildJSON(exportPeriod(), m_services.displayName);
}

QString TrafficHistoryWindow::defaultExportName(const QString& ext) const {
    return TrafficExport::defaultExportName(m_currentFrom, m_currentTo, ext);
}

void TrafficHistoryWindow::exportCSV() {
    runSavePanel(QStringLiteral("csv"),
                 TrafficExport::csvFileBytes(exportPeriod(), m_services.displayName));
}

void TrafficHistoryWindow::exportJSON() {
    runSavePanel(QStringLiteral("json"),
                 TrafficExport::jsonFileBytes(exportPeriod(), m_services.displayName));
}

void TrafficHistoryWindow::runSavePanel(const QString& ext, const QByteArray& bytes) {
    const QString startDir = UserDefaults::stringValue(kExportDir).value_or(QDir::homePath());
    const QString startPath = QDir(startDir).filePath(defaultExportName(ext));
    const QString path = m_services.chooseSaveLocation(
        m_window.get(), QStringLiteral("导出流量数据"), startPath, ext);
    if (path.isEmpty())
        return;
    if (const auto failure = TrafficExport::writeFile(path, bytes)) {
        m_services.warn(
            m_window.get(), QStringLiteral("导出失败"),
            QStringLiteral("无法写入文件“%1”：%2").arg(QDir::toNativeSeparators(path), *failure));
        return;
    }
    UserDefaults::setString(kExportDir, QFileInfo(path).absolutePath());
}
