#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

class QTableView;

// One application row of the statistics window: display name and bytes of the period.
struct AppRow {
    QString name;
    quint64 inBytes = 0;
    quint64 outBytes = 0;
    quint64 total = 0;
    double pct = 0; // share as a fraction: 0.25 is 25 %
};

// The read-only application table: columns 应用, 下载, 上传, 合计, 占比 with their texts,
// fonts and colours, and the table view that shows them.
class AppTableDataSource : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { nameCol, inCol, outCol, totalCol, pctCol, columnCount_ };
    static constexpr int kRowHeight = 24;
    static constexpr int kHeaderHeight = 24;

    explicit AppTableDataSource(QObject* parent = nullptr);

    const std::vector<AppRow>& rows() const { return m_rows; }
    void setRows(std::vector<AppRow> rows);

    // A table on this model: 24-point rows, alternating backgrounds, no selection, centred
    // headers, columns that share width changes in proportion to their default widths.
    QTableView* makeTableView(QWidget* parent = nullptr);

    // The identifier ("name", "in", …), default width and minimum width of a column.
    static QString identifier(int column);
    static int defaultWidth(int column);
    static int minimumWidth(int column);
    // The text of a cell; empty outside the table.
    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitColumns(QTableView* table) const;

    std::vector<AppRow> m_rows;
};
