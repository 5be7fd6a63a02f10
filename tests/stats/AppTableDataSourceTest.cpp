#include "traffic/windows/AppTableDataSource.h"

#include "StatsFixture.h"
#include "ui/TrafficTheme.h"

#include <QFont>
#include <QHeaderView>
#include <QTableView>

#include <gtest/gtest.h>

TEST(AppTableDataSource, ColumnsHeadersAndWidths) {
    AppTableDataSource source;
    const char* ids[] = {"name", "in", "out", "total", "pct"};
    const char* titles[] = {"应用", "下载", "上传", "合计", "占比"};
    const int widths[] = {160, 110, 110, 110, 64};
    const int minimums[] = {120, 84, 84, 84, 56};
    ASSERT_EQ(source.columnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(AppTableDataSource::identifier(c), ids[c]);
        EXPECT_EQ(source.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
        EXPECT_EQ(source.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                  int(Qt::AlignCenter));
        EXPECT_EQ(AppTableDataSource::defaultWidth(c), widths[c]);
        EXPECT_EQ(AppTableDataSource::minimumWidth(c), minimums[c]);
    }
    EXPECT_EQ(AppTableDataSource::identifier(5), "");
}

TEST(AppTableDataSource, CellTextsColoursAndFonts) {
    AppTableDataSource source;
    source.setRows(
        {{"微信", 1536, 100, 1636, 0.3333}, {"idle", 0, 0, 0, 0}, {"over", 5, 5, 10, 1.0417}});
    ASSERT_EQ(source.rowCount(), 3);
    EXPECT_EQ(source.cellText(0, AppTableDataSource::nameCol), "微信");
    EXPECT_EQ(source.cellText(0, AppTableDataSource::inCol), "1.5 KB");
    EXPECT_EQ(source.cellText(0, AppTableDataSource::outCol), "100 B");
    EXPECT_EQ(source.cellText(0, AppTableDataSource::totalCol), "1.6 KB");
    EXPECT_EQ(source.cellText(0, AppTableDataSource::pctCol), "33.3%");
    EXPECT_EQ(source.cellText(1, AppTableDataSource::pctCol), "0.0%");
    EXPECT_EQ(source.cellText(2, AppTableDataSource::pctCol), "104.2%");
    EXPECT_EQ(source.cellText(3, AppTableDataSource::nameCol), "");
    EXPECT_FALSE(source.data(source.index(3, 0), Qt::DisplayRole).isValid());

    const auto colour = [&](int column) {
        return source.data(source.index(0, column), Qt::ForegroundRole).value<QColor>();
    };
    EXPECT_EQ(colour(AppTableDataSource::nameCol), TrafficTheme::textPrimary);
    EXPECT_EQ(colour(AppTableDataSource::inCol), TrafficTheme::downBlue);
    EXPECT_EQ(colour(AppTableDataSource::outCol), TrafficTheme::upGreen);
    EXPECT_EQ(colour(AppTableDataSource::totalCol), TrafficTheme::textPrimary);
    EXPECT_EQ(colour(AppTableDataSource::pctCol), TrafficTheme::textSecondary);
    const auto font = [&](int column) {
        return source.data(source.index(0, column), Qt::FontRole).value<QFont>();
    };
    EXPECT_EQ(font(AppTableDataSource::nameCol).weight(), QFont::Medium);
    EXPECT_EQ(font(AppTableDataSource::inCol).weight(), QFont::Normal);
    EXPECT_EQ(font(AppTableDataSource::totalCol).pixelSize(), 12);
    EXPECT_EQ(source.data(source.index(2, 4), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
}

TEST(AppTableDataSource, TableViewRowsWidthsAndElision) {
    AppTableDataSource source;
    source.setRows({{"a-very-long-display-name-that-cannot-fit", 1, 2, 3, 0.5}, {"b", 1, 1, 2, 0}});
    std::unique_ptr<QTableView> table(source.makeTableView());
    table->resize(554, 24 + 2 * 24);
    table->show();
    EXPECT_EQ(table->rowHeight(0), 24);
    EXPECT_EQ(table->horizontalHeader()->height(), 24);
    EXPECT_TRUE(table->alternatingRowColors());
    EXPECT_EQ(table->selectionMode(), QAbstractItemView::NoSelection);
    EXPECT_EQ(table->textElideMode(), Qt::ElideRight);
    EXPECT_EQ(table->columnWidth(0), 160);
    EXPECT_EQ(table->columnWidth(4), 64);

    // Width changes are shared by all columns; none falls below its minimum.
    table->resize(831, 72);
    EXPECT_EQ(table->columnWidth(0), 240);
    EXPECT_EQ(table->columnWidth(1), 165);
    int sum = 0;
    for (int c = 0; c < 5; ++c)
        sum += table->columnWidth(c);
    EXPECT_EQ(sum, 831);
    table->resize(300, 72);
    for (int c = 0; c < 5; ++c)
        EXPECT_GE(table->columnWidth(c), AppTableDataSource::minimumWidth(c));

    table->resize(554, 72);
    const QImage image = grabAndSave(*table, "stats-table");
    EXPECT_EQ(image.height(), 72 * int(image.devicePixelRatio()));
}
