#include "speedtest/windows/SpeedTestHistoryView.h"

#include "common/NotificationCenter.h"
#include "settings/UserDefaults.h"
#include "speedtest/windows/SpeedTestRecordView.h"
#include "speedtest/windows/SpeedTestStyle.h"
#include "ui/TrafficTheme.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kSideInset = 24;

const QString kNormalHint =
    QStringLiteral("记录永久保存，仅手动清空才会删除　｜　时间 · 评级 · 速率 · 延迟 · "
                   "网络标识（悬停查看完整信息与 IPv6）");

QLabel* makeListLabel(const QString& text, const QFont& font, const QColor& color) {
    auto* label = new QLabel(text);
    label->setFont(font);
    SpeedTestStyle::setTextColor(label, color);
    return label;
}

QPushButton* makeSmallButton(const QString& title, const QString& tooltip) {
    auto* button = new QPushButton(title);
    button->setFont(SpeedTestStyle::system(11));
    button->setToolTip(tooltip);
    button->setAutoDefault(false);
    return button;
}

QString pageSizeTitle(int size) {
    return QStringLiteral("每页 %1 条").arg(size);
}

QString defaultAskExportPath(QWidget* parent, const QString& suggestedName) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("导出测速记录"),
                                        QDir::home().filePath(suggestedName),
                                        QStringLiteral("CSV 文件 (*.csv)"));
}

bool defaultConfirmClear(QWidget* parent, const QString& message, const QString& informative) {
    QMessageBox alert(QMessageBox::Warning, QString(), message, QMessageBox::NoButton, parent);
    alert.setInformativeText(informative);
    QPushButton* clear = alert.addButton(QStringLiteral("清空"), QMessageBox::AcceptRole);
    alert.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    alert.setDefaultButton(clear);
    alert.exec();
    return alert.clickedButton() == clear;
}

void defaultWarn(QWidget* parent, const QString& message, const QString& informative) {
    QMessageBox alert(QMessageBox::Warning, QString(), message, QMessageBox::Ok, parent);
    alert.setInformativeText(informative);
    alert.exec();
}

} // namespace

SpeedTestHistoryView::SpeedTestHistoryView(SpeedTestHistoryStore& store, QWidget* parent)
    : QWidget(parent), store(store), m_pageSize(storedPageSize()) {
    askExportPath = [this](const QString& name) { return defaultAskExportPath(this, name); };
    confirmClear = [this](const QString& message, const QString& informative) {
        return defaultConfirmClear(this, message, informative);
    };
    warn = [this](const QString& message, const QString& informative) {
        defaultWarn(this, message, informative);
    };
    build();
    // Tests that `vorn speedtest` stores while the list exists show up too.
    store.watchForChanges();
    NotificationCenter::instance().observe(SpeedTestHistoryStore::speedTestHistoryChanged, this,
                                           [this](const QVariant&) { historyChanged(); });
    reload();
}

int SpeedTestHistoryView::storedPageSize() {
    const qint64 stored = UserDefaults::integerValue(kPageSize);
    const bool known = std::find(kPageSizes.begin(), kPageSizes.end(), stored) != kPageSizes.end();
    return known ? int(stored) : 10;
}

QString SpeedTestHistoryView::suggestedExportName(const QDateTime& now) {
    return QStringLiteral("岚-测速记录-") + now.toString(QStringLiteral("yyyyMMdd-HHmm")) +
           QStringLiteral(".csv");
}

int SpeedTestHistoryView::pageCount() const {
    const qsizetype count = store.records().size();
    return int(std::max<qsizetype>(1, (count + m_pageSize - 1) / m_pageSize));
}

void SpeedTestHistoryView::build() {
    setObjectName(QStringLiteral("SpeedTestHistoryView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kSideInset, 4, kSideInset, 4);
    layout->setSpacing(0);
    layout->addWidget(buildTopBar());
    layout->addSpacing(4);
    hintLabel = makeListLabel(kNormalHint, SpeedTestStyle::system(10.5), TrafficTheme::textDim);
    hintLabel->setObjectName(QStringLiteral("hintLabel"));
    hintLabel->setMinimumWidth(0);
    hintLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(hintLabel);
    layout->addSpacing(8);
    layout->addWidget(buildTableArea(), 1);
    layout->addSpacing(10);
    layout->addWidget(buildBottomBar());
}

QWidget* SpeedTestHistoryView::buildTopBar() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    QLabel* title =
        makeListLabel(QStringLiteral("测速记录"), SpeedTestStyle::system(13, QFont::DemiBold),
                      TrafficTheme::textPrimary);
    title->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    countLabel = makeListLabel(QString(), SpeedTestStyle::system(11), TrafficTheme::textDim);
    countLabel->setObjectName(QStringLiteral("countLabel"));
    exportBtn =
        makeSmallButton(QStringLiteral("导出 CSV"), QStringLiteral("把全部记录导出为 CSV 备份"));
    exportBtn->setObjectName(QStringLiteral("exportBtn"));
    clearBtn = makeSmallButton(QStringLiteral("清空…"),
                               QStringLiteral("记录默认永久保留，只有这里可以主动删除"));
    clearBtn->setObjectName(QStringLiteral("clearBtn"));
    connect(exportBtn, &QPushButton::clicked, this, &SpeedTestHistoryView::exportPressed);
    connect(clearBtn, &QPushButton::clicked, this, &SpeedTestHistoryView::clearPressed);
    row->addWidget(title, 0, Qt::AlignVCenter);
    row->addWidget(countLabel, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(exportBtn, 0, Qt::AlignVCenter);
    row->addWidget(clearBtn, 0, Qt::AlignVCenter);
    return bar;
}

QWidget* SpeedTestHistoryView::buildTableArea() {
    auto* area = new QWidget;
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);

    scrollView = new QScrollArea;
    scrollView->setObjectName(QStringLiteral("scrollView"));
    scrollView->setFrameShape(QFrame::NoFrame);
    scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollView->setWidgetResizable(true);
    scrollView->viewport()->setAutoFillBackground(false);
    scrollView->installEventFilter(this);

    auto* rowsHolder = new QWidget;
    rowsHolder->setMinimumWidth(200);
    tableView = new QVBoxLayout(rowsHolder);
    tableView->setContentsMargins(0, 0, 0, 0);
    tableView->setSpacing(0);
    tableView->addStretch(1);
    scrollView->setWidget(rowsHolder);
    // setWidget turns filling on; the rows sit directly on the card.
    rowsHolder->setAutoFillBackground(false);

    emptyLabel = makeListLabel(QStringLiteral("暂无测速记录\n切换到「测速」标签跑一次，"
                                              "结果会自动存到这里并永久保留"),
                               SpeedTestStyle::system(12), TrafficTheme::textDim);
    emptyLabel->setObjectName(QStringLiteral("emptyLabel"));
    emptyLabel->setAlignment(Qt::AlignCenter);
    emptyLabel->setWordWrap(true);

    grid->addWidget(scrollView, 0, 0);
    grid->addWidget(emptyLabel, 0, 0, Qt::AlignCenter);
    return area;
}

QWidget* SpeedTestHistoryView::buildBottomBar() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);

    pageSizePopup = new QComboBox;
    pageSizePopup->setObjectName(QStringLiteral("pageSizePopup"));
    pageSizePopup->setFont(SpeedTestStyle::system(11));
    for (int size : kPageSizes)
        pageSizePopup->addItem(pageSizeTitle(size));
    pageSizePopup->setCurrentIndex(
        int(std::find(kPageSizes.begin(), kPageSizes.end(), m_pageSize) - kPageSizes.begin()));
    // The list is a window of its own: without the palette it takes the desktop's colours.
    pageSizePopup->view()->setPalette(SpeedTestStyle::darkPalette());
    connect(pageSizePopup, &QComboBox::activated, this, &SpeedTestHistoryView::pageSizeChanged);

    firstBtn = makeSmallButton(QStringLiteral("«"), QStringLiteral("第一页（最新）"));
    prevBtn = makeSmallButton(QStringLiteral("‹"), QStringLiteral("上一页"));
    nextBtn = makeSmallButton(QStringLiteral("›"), QStringLiteral("下一页"));
    lastBtn = makeSmallButton(QStringLiteral("»"), QStringLiteral("最后一页（最早）"));
    const std::pair<QPushButton*, const char*> names[] = {
        {firstBtn, "firstBtn"}, {prevBtn, "prevBtn"}, {nextBtn, "nextBtn"}, {lastBtn, "lastBtn"}};
    for (const auto& [button, name] : names) {
        button->setObjectName(QLatin1String(name));
        button->setFixedWidth(32);
    }
    connect(firstBtn, &QPushButton::clicked, this, &SpeedTestHistoryView::firstPage);
    connect(prevBtn, &QPushButton::clicked, this, &SpeedTestHistoryView::prevPage);
    connect(nextBtn, &QPushButton::clicked, this, &SpeedTestHistoryView::nextPage);
    connect(lastBtn, &QPushButton::clicked, this, &SpeedTestHistoryView::lastPage);

    pageLabel = makeListLabel(QString(), SpeedTestStyle::monospacedDigit(11, QFont::Medium),
                              TrafficTheme::textSecondary);
    pageLabel->setObjectName(QStringLiteral("pageLabel"));
    pageLabel->setAlignment(Qt::AlignCenter);
    pageLabel->setMinimumWidth(78);
    rangeLabel = makeListLabel(QString(), SpeedTestStyle::system(10.5), TrafficTheme::textDim);
    rangeLabel->setObjectName(QStringLiteral("rangeLabel"));
    rangeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    row->addWidget(pageSizePopup, 0, Qt::AlignVCenter);
    row->addStretch(1);
    for (QWidget* item :
         std::initializer_list<QWidget*>{firstBtn, prevBtn, pageLabel, nextBtn, lastBtn})
        row->addWidget(item, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(rangeLabel, 0, Qt::AlignVCenter);
    return bar;
}

void SpeedTestHistoryView::reload() {
    const QList<SpeedTestRecord>& records = store.records();
    const qsizetype count = records.size();
    if (m_pageIndex >= pageCount())
        m_pageIndex = pageCount() - 1;
    else if (m_pageIndex < 0)
        m_pageIndex = 0;

    const qsizetype start = qsizetype(m_pageIndex) * m_pageSize;
    const qsizetype end = std::min(count, start + m_pageSize);
    showPage(records, start, end);

    emptyLabel->setVisible(count == 0);
    scrollView->setVisible(count > 0);
    countLabel->setText(
        count > 0
            ? QStringLiteral("共 %1 条 · 永久保留 · %2").arg(count).arg(store.storageSizeText())
            : QStringLiteral("永久保留"));
    if (const auto& backup = store.lastQuarantinePath()) {
        m_hintText = QStringLiteral("⚠️ 上次的历史文件无法解析，已备份为 ") +
                     QFileInfo(*backup).fileName() + QStringLiteral("，未做删除");
        SpeedTestStyle::setTextColor(hintLabel, TrafficTheme::upGreen);
    } else {
        m_hintText = kNormalHint;
        SpeedTestStyle::setTextColor(hintLabel, TrafficTheme::textDim);
    }
    elideHint();
    pageLabel->setText(QStringLiteral("第 %1 / %2 页").arg(m_pageIndex + 1).arg(pageCount()));
    rangeLabel->setText(count > 0 ? QStringLiteral("显示第 %1–%2 条").arg(start + 1).arg(end)
                                  : QString());

    const bool hasPrevious = m_pageIndex >= 1;
    const bool hasNext = m_pageIndex + 1 < pageCount();
    firstBtn->setEnabled(hasPrevious);
    prevBtn->setEnabled(hasPrevious);
    nextBtn->setEnabled(hasNext);
    lastBtn->setEnabled(hasNext);
    exportBtn->setEnabled(count > 0);
    clearBtn->setEnabled(count > 0);
}

void SpeedTestHistoryView::showPage(const QList<SpeedTestRecord>& records, qsizetype start,
                                    qsizetype end) {
    m_rows = end > start ? records.mid(start, end - start) : QList<SpeedTestRecord>();
    // Row views are kept and refilled, so paging never rebuilds widgets.
    while (m_rowViews.size() < std::size_t(m_rows.size())) {
        auto* row = new SpeedTestRecordView;
        tableView->insertWidget(int(m_rowViews.size()), row);
        m_rowViews.push_back(row);
    }
    for (std::size_t i = 0; i < m_rowViews.size(); ++i) {
        const bool used = i < std::size_t(m_rows.size());
        if (used)
            m_rowViews[i]->configure(m_rows[qsizetype(i)]);
        m_rowViews[i]->setVisible(used);
    }
    scrollView->verticalScrollBar()->setValue(0);
}

void SpeedTestHistoryView::firstPage() {
    if (m_pageIndex < 1)
        return;
    m_pageIndex = 0;
    reload();
}

void SpeedTestHistoryView::prevPage() {
    if (m_pageIndex < 1)
        return;
    --m_pageIndex;
    reload();
}

void SpeedTestHistoryView::nextPage() {
    if (m_pageIndex + 1 >= pageCount())
        return;
    ++m_pageIndex;
    reload();
}

void SpeedTestHistoryView::lastPage() {
    if (m_pageIndex + 1 >= pageCount())
        return;
    m_pageIndex = pageCount() - 1;
    reload();
}

void SpeedTestHistoryView::pageSizeChanged(int index) {
    if (index < 0 || index >= int(kPageSizes.size()))
        return;
    m_pageSize = kPageSizes[std::size_t(index)];
    UserDefaults::setInteger(kPageSize, m_pageSize);
    m_pageIndex = 0;
    reload();
}

void SpeedTestHistoryView::historyChanged() {
    m_pageIndex = 0;
    reload();
}

void SpeedTestHistoryView::exportPressed() {
    const QString csv = store.exportCSV();
    bringToFront();
    const QString path = askExportPath(suggestedExportName(clock->now()));
    if (!path.isEmpty())
        exportTo(path, csv);
}

bool SpeedTestHistoryView::exportTo(const QString& path, const QString& csv) {
    const QByteArray bytes = csv.toUtf8();
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    warn(QStringLiteral("导出失败"), QStringLiteral("无法写入「%1」：%2")
                                         .arg(QDir::toNativeSeparators(path), file.errorString()));
    return false;
}

void SpeedTestHistoryView::clearPressed() {
    bringToFront();
    // What the alert counts is what goes: a test that another process stores while the alert
    // is open was never shown, so it stays.
    const QList<SpeedTestRecord> shown = store.records();
    const QString informative =
        QStringLiteral("记录默认永久保留，这是唯一会删除它们的操作。\n%1 条记录（%2）将被彻底删除，"
                       "不可恢复。\n建议先用「导出 CSV」备份。")
            .arg(shown.size())
            .arg(store.storageSizeText());
    if (!confirmClear(QStringLiteral("清空全部测速记录？"), informative))
        return;
    store.remove(shown);
    m_pageIndex = 0;
    reload();
}

void SpeedTestHistoryView::bringToFront() {
    window()->raise();
    window()->activateWindow();
}

void SpeedTestHistoryView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emptyLabel->setMaximumWidth(std::max(0, width() - 2 * kSideInset - 40));
    elideHint();
}

void SpeedTestHistoryView::elideHint() {
    const int available = std::max(0, width() - 2 * kSideInset);
    hintLabel->setText(
        QFontMetrics(hintLabel->font()).elidedText(m_hintText, Qt::ElideRight, available));
    hintLabel->setToolTip(hintLabel->text() == m_hintText ? QString() : m_hintText);
}

bool SpeedTestHistoryView::eventFilter(QObject* watched, QEvent* event) {
    // The scroll view itself is the rounded card the rows sit on.
    if (watched == scrollView && event->type() == QEvent::Paint) {
        QPainter painter(scrollView);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(TrafficTheme::hairline, 1));
        painter.setBrush(TrafficTheme::cardBG);
        painter.drawRoundedRect(QRectF(scrollView->rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
