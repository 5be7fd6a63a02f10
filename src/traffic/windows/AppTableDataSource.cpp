#include "traffic/windows/AppTableDataSource.h"

#include "common/CFormat.h"
#include "traffic/core/TrafficFormat.h"
#include "ui/TrafficFont.h"
#include "ui/TrafficTheme.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <array>

namespace {

struct ColumnLayout {
    const char* identifier;
    const char* title;
    int width;
    int minimum;
};

constexpr std::array<ColumnLayout, AppTableDataSource::columnCount_> kColumns = {{
    {"name", "应用", 160, 120},
    {"in", "下载", 110, 84},
    {"out", "上传", 110, 84},
    {"total", "合计", 110, 84},
    {"pct", "占比", 64, 56},
}};

bool validColumn(int column) {
    return column >= 0 && column < AppTableDataSource::columnCount_;
}

} // namespace

AppTableDataSource::AppTableDataSource(QObject* parent) : QAbstractTableModel(parent) {}

void AppTableDataSource::setRows(std::vector<AppRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

QString AppTableDataSource::identifier(int column) {
    return validColumn(column) ? QString::fromLatin1(kColumns[column].identifier) : QString();
}

int AppTableDataSource::defaultWidth(int column) {
    return validColumn(column) ? kColumns[column].width : 0;
}

int AppTableDataSource::minimumWidth(int column) {
    return validColumn(column) ? kColumns[column].minimum : 0;
}

int AppTableDataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int AppTableDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount_;
}

QString AppTableDataSource::cellText(int row, int column) const {
    if (row < 0 || row >= int(m_rows.size()))
        return {};
    const AppRow& r = m_rows[std::size_t(row)];
    switch (column) {
    case nameCol:
        return r.name;
    case inCol:
        return fmtBytesTraffic(r.inBytes);
    case outCol:
        return fmtBytesTraffic(r.outBytes);
    case totalCol:
        return fmtBytesTraffic(r.total);
    case pctCol:
        return cformat("%.1f%%", r.pct * 100);
    default:
        return {};
    }
}

QVariant AppTableDataSource::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()) || !validColumn(index.column()))
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cellText(index.row(), column);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::FontRole:
        return trafficFont(12,
                           column == nameCol || column == totalCol ? QFont::Medium : QFont::Normal);
    case Qt::ForegroundRole:
        switch (column) {
        case nameCol:
        case totalCol:
            return TrafficTheme::textPrimary;
        case inCol:
            return TrafficTheme::downBlue;
        case outCol:
            return TrafficTheme::upGreen;
        default:
            return TrafficTheme::textSecondary;
        }
    default:
        return {};
    }
}

QVariant AppTableDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || !validColumn(section))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromUtf8(kColumns[section].title);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::FontRole:
        return trafficFont(11, QFont::Medium);
    case Qt::ForegroundRole:
        return TrafficTheme::textDim;
    default:
        return {};
    }
}

QTableView* AppTableDataSource::makeTableView(QWidget* parent) {
    auto* table = new QTableView(parent);
    table->setObjectName(QStringLiteral("tableView"));
    table->setModel(this);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setFocusPolicy(Qt::NoFocus);
    table->setShowGrid(false);
    table->setWordWrap(false);
    table->setTextElideMode(Qt::ElideRight);
    table->setAlternatingRowColors(true);
    table->setFrameShape(QFrame::NoFrame);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    table->verticalHeader()->setMinimumSectionSize(kRowHeight);

    QHeaderView* header = table->horizontalHeader();
    header->setFixedHeight(kHeaderHeight);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setDefaultAlignment(Qt::AlignCenter);
    for (int column = 0; column < columnCount_; ++column)
        header->resizeSection(column, kColumns[column].width);

    QPalette palette = table->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::AlternateBase, TrafficTheme::white(1.0, 0.035));
    palette.setColor(QPalette::Text, TrafficTheme::textSecondary);
    table->setPalette(palette);
    table->viewport()->setAutoFillBackground(false);
    table->setStyleSheet(
        QStringLiteral("QTableView { background: transparent; border: none; }"
                       "QHeaderView { background: transparent; }"
                       "QHeaderView::section { background: transparent; border: none;"
                       " border-bottom: 1px solid rgba(255, 255, 255, 18); padding: 0px; }"));
    table->installEventFilter(this);
    return table;
}

bool AppTableDataSource::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (auto* table = qobject_cast<QTableView*>(watched))
            fitColumns(table);
    }
    return QAbstractTableModel::eventFilter(watched, event);
}

void AppTableDataSource::fitColumns(QTableView* table) const {
    // Every column grows and shrinks in proportion to its default width, never below its
    // minimum; the last column takes the rounding remainder.
    int defaultTotal = 0;
    for (const ColumnLayout& column : kColumns)
        defaultTotal += column.width;
    const int available = table->width(); // no frame and no scroll bars
    if (available <= 0)
        return;
    int used = 0;
    for (int column = 0; column < columnCount_; ++column) {
        int width = column == columnCount_ - 1 ? available - used
                                               : kColumns[column].width * available / defaultTotal;
        width = std::max(width, kColumns[column].minimum);
        table->horizontalHeader()->resizeSection(column, width);
        used += width;
    }
}
