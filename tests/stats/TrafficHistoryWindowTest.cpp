#include "traffic/windows/TrafficHistoryWindow.h"

#include "StatsFixture.h"
#include "settings/UserDefaults.h"
#include "support/LightDesktop.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/TrafficRecorder.h"
#include "traffic/windows/RangeCalendarVC.h"
#include "traffic/windows/TrafficChartView.h"
#include "ui/TailElidedLabel.h"
#include "ui/TrafficTheme.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

class TrafficHistoryWindowTest : public ::testing::Test {
protected:
    void SetUp() override { UserDefaults::remove(TrafficHistoryWindow::kExportDir); }

    std::unique_ptr<TrafficHistoryWindow> makeWindow() {
        TrafficHistoryWindow::Services services;
        services.data = [this]() -> const TrafficData& { return data; };
        services.clock = &clock;
        services.displayName = [](const QString& process) {
            return process == QLatin1String("WeChat") ? QStringLiteral("微信") : process;
        };
        services.chooseSaveLocation = [this](QWidget*, const QString& title,
                                             const QString& startPath, const QString& ext) {
            dialogTitles << title;
            startPaths << startPath;
            return chosenPath;
        };
        services.warn = [this](QWidget*, const QString& title, const QString& message) {
            warnings << title + QLatin1Char('|') + message;
        };
        services.appSource = [this] { return appSource; };
        return std::make_unique<TrafficHistoryWindow>(services);
    }

    template <typename T> T* child(TrafficHistoryWindow& window, const char* name) {
        T* found = window.window()->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(TrafficHistoryWindow& window, const char* name) {
        return child<QLabel>(window, name)->text();
    }

    TrafficData data;
    FakeClock clock;
    AppTrafficSource appSource = AppTrafficSource::AllProtocols;
    QString chosenPath;
    QStringList dialogTitles;
    QStringList startPaths;
    QStringList warnings;
};

} // namespace

TEST_F(TrafficHistoryWindowTest, BuiltOnFirstShowWithLastSevenDays) {
    auto history = makeWindow();
    EXPECT_EQ(history->window(), nullptr);
    history->show();
    QWidget* window = history->window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "岚 · 流量统计");
    EXPECT_EQ(window->size(), QSize(620, 680));
    EXPECT_EQ(window->minimumSize(), QSize(540, 600));
    EXPECT_EQ(history->mode(), RangeMode::last7);
    auto* modes = child<QComboBox>(*history, "modePopUp");
    EXPECT_EQ(modes->count(), 6);
    EXPECT_EQ(modes->currentText(), "近 7 天");
    EXPECT_FALSE(child<QPushButton>(*history, "rangeField")->isVisible());
    EXPECT_EQ(child<QPushButton>(*history, "exportBtn")->text(), "导出 ▾");
    EXPECT_EQ(text(*history, "rangeInfo"), "2026-11-30 ~ 2026-12-06  ·  共 7 天");
    EXPECT_EQ(history->rangeDays(), 7);

    // Closing hides; the next show() comes back with the same window.
    window->close();
    EXPECT_FALSE(window->isVisible());
    history->show();
    EXPECT_EQ(history->window(), window);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(TrafficHistoryWindowTest, EmptyPeriod) {
    auto history = makeWindow();
    history->show();
    EXPECT_EQ(text(*history, "totalDownLabel"), "↓ 0 B");
    EXPECT_EQ(text(*history, "totalUpLabel"), "↑ 0 B");
    EXPECT_EQ(text(*history, "totalAllLabel"), "∑ 0 B");
    EXPECT_EQ(text(*history, "summaryLabel"),
              "应用流量明细（区间合计）    下载 0 B · 上传 0 B · 合计 0 B");
    EXPECT_TRUE(child<TrafficChartView>(*history, "chartView")->barData().empty());
    auto* table = child<QTableView>(*history, "tableView");
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_EQ(table->height(), 24);
}

TEST_F(TrafficHistoryWindowTest, FilledPeriodFeedsCardChartAndTable) {
    data = sampleWeek();
    auto history = makeWindow();
    history->show();
    EXPECT_EQ(text(*history, "totalDownLabel"), "↓ 1.28 GB"); // 1 370 000 000 bytes
    EXPECT_EQ(text(*history, "totalUpLabel"), "↑ 108.7 MB");
    EXPECT_EQ(text(*history, "downTitle"), "区间下载");
    const auto& bars = child<TrafficChartView>(*history, "chartView")->barData();
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[0], (BarGroup{"11/30", 300000000, 20000000}));
    EXPECT_EQ(bars[3].label, "12/6");

    auto* table = child<QTableView>(*history, "tableView");
    const QAbstractItemModel* model = table->model();
    ASSERT_EQ(model->rowCount(), 4); // curl has no bytes but others do, so it is listed
    EXPECT_EQ(model->index(0, 0).data().toString(), "微信");
    EXPECT_EQ(model->index(0, 3).data().toString(), "300.4 MB");
    EXPECT_EQ(model->index(0, 4).data().toString(), "21.2%"); // 315 000 000 of 1 484 000 000
    EXPECT_EQ(model->index(1, 0).data().toString(), "firefox-esr");
    EXPECT_EQ(model->index(3, 0).data().toString(), "curl");
    EXPECT_EQ(table->height(), 24 + 4 * 24);
}

TEST_F(TrafficHistoryWindowTest, TheTableSaysWhatItsCountsCover) {
    data = sampleWeek();
    auto history = makeWindow();
    history->show();
    EXPECT_EQ(text(*history, "appSourceLabel"), "应用流量：全部协议");
    appSource = AppTrafficSource::TcpOnly;
    history->refresh();
    EXPECT_EQ(text(*history, "appSourceLabel"), "应用流量：仅 TCP（未启用全部协议的统计）");
    // Between the table's summary line and the table.
    const QWidget* summary = child<QLabel>(*history, "summaryLabel");
    const QWidget* source = child<QLabel>(*history, "appSourceLabel");
    const QWidget* table = child<QWidget>(*history, "tableScroll");
    EXPECT_LT(summary->geometry().bottom(), source->geometry().top());
    EXPECT_LT(source->geometry().bottom(), table->geometry().top());
}

TEST_F(TrafficHistoryWindowTest, ModesSwitchTitlesAndRange) {
    data = sampleWeek();
    auto history = makeWindow();
    history->show();
    history->onModeChange(rawValue(RangeMode::today));
    EXPECT_EQ(child<QComboBox>(*history, "modePopUp")->currentText(), "今日");
    EXPECT_EQ(text(*history, "downTitle"), "今日下载");
    EXPECT_EQ(text(*history, "upTitle"), "今日上传");
    EXPECT_EQ(text(*history, "totalTitle"), "今日合计");
    EXPECT_EQ(text(*history, "totalDownLabel"), "↓ 114.4 MB");
    EXPECT_EQ(text(*history, "rangeInfo"), "2026-12-06 ~ 2026-12-06  ·  共 1 天");

    history->onModeChange(rawValue(RangeMode::thisYear));
    EXPECT_EQ(text(*history, "totalTitle"), "区间合计");
    EXPECT_EQ(text(*history, "rangeInfo"), "2026-01-01 ~ 2026-12-06  ·  共 340 天");
    // 340 days are charted by month: November and December.
    const auto& bars = child<TrafficChartView>(*history, "chartView")->barData();
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].label, "11月");
    EXPECT_EQ(bars[1].label, "12月");

    history->onModeChange(6);
    history->onModeChange(-1);
    EXPECT_EQ(history->mode(), RangeMode::thisYear);
}

TEST_F(TrafficHistoryWindowTest, CustomRangeThroughTheCalendar) {
    data = sampleWeek();
    auto history = makeWindow();
    history->show();
    history->onModeChange(rawValue(RangeMode::custom));
    auto* rangeField = child<QPushButton>(*history, "rangeField");
    EXPECT_TRUE(rangeField->isVisible());
    EXPECT_EQ(rangeField->text(), "2026-11-30 ~ 2026-12-06");
    EXPECT_EQ(history->rangeDays(), 7);
    history->window()->layout()->activate();
    grabAndSave(*history->window(), "stats-window-custom");
    // The range button sits right of the period menu, on the same row.
    auto* modes = child<QComboBox>(*history, "modePopUp");
    EXPECT_EQ(rangeField->x(), modes->geometry().right() + 1 + 10);
    EXPECT_EQ(history->calendarPopover(), nullptr);

    rangeField->click();
    RangeCalendarVC* calendar = history->calendarPopover();
    ASSERT_NE(calendar, nullptr);
    EXPECT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->size(), QSize(300, 360));
    EXPECT_TRUE(calendar->windowFlags().testFlag(Qt::Popup));
    EXPECT_GE(calendar->y(), rangeField->mapToGlobal(QPoint(0, rangeField->height())).y());
    EXPECT_EQ(calendar->displayMonth(), QDate(2026, 11, 1)); // the start's month

    QPushButton* fifth = calendar->cellFor(QDate(2026, 11, 5));
    ASSERT_NE(fifth, nullptr);
    fifth->click();
    calendar->cellFor(QDate(2026, 11, 5))->click();
    EXPECT_EQ(history->customStart(), QDate(2026, 11, 5));
    EXPECT_EQ(history->customEnd(), QDate(2026, 11, 5));
    EXPECT_EQ(rangeField->text(), "2026-11-05");
    EXPECT_EQ(text(*history, "rangeInfo"), "2026-11-05 ~ 2026-11-05  ·  共 1 天");
    EXPECT_EQ(history->calendarPopover(), nullptr);
    EXPECT_FALSE(calendar->isVisible());

    // A new calendar each time, starting over.
    rangeField->click();
    calendar = history->calendarPopover();
    ASSERT_NE(calendar, nullptr);
    EXPECT_FALSE(calendar->pendingStart().has_value());
    calendar->nextMonth();
    calendar->cellFor(QDate(2026, 12, 6))->click();
    calendar->prevMonth();
    calendar->cellFor(QDate(2026, 11, 29))->click();
    EXPECT_EQ(rangeField->text(), "2026-11-29 ~ 2026-12-06");
    EXPECT_EQ(text(*history, "totalDownLabel"), "↓ 1.28 GB");
}

TEST_F(TrafficHistoryWindowTest, ExportWritesTheFileAndRemembersTheDirectory) {
    data = sampleWeek();
    auto history = makeWindow();
    history->show();
    const QString dir = testRoot() + "/exports";
    QDir().mkpath(dir);
    chosenPath = dir + "/week.csv";
    history->exportCSV();
    ASSERT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
    EXPECT_EQ(dialogTitles, QStringList({"导出流量数据"}));
    EXPECT_EQ(startPaths[0], QDir::homePath() + "/netdial-2026-11-30-2026-12-06.csv");
    QFile csv(chosenPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF# 岚 (Vorn) 流量导出\n"));
    EXPECT_EQ(bytes, "\xEF\xBB\xBF" + history->buildCSV().toUtf8());
    EXPECT_TRUE(bytes.contains("\n微信,WeChat,300000000,15000000,315000000,21.2%\n"));
    EXPECT_EQ(UserDefaults::stringValue(TrafficHistoryWindow::kExportDir), dir);

    chosenPath = dir + "/week.json";
    history->exportJSON();
    EXPECT_EQ(startPaths[1], dir + "/netdial-2026-11-30-2026-12-06.json");
    QFile json(chosenPath);
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    EXPECT_EQ(json.readAll(), history->buildJSON().toUtf8());
}

TEST_F(TrafficHistoryWindowTest, ExportFailureIsReportedAndCancelWritesNothing) {
    auto history = makeWindow();
    history->show();
    chosenPath = testRoot() + "/missing-dir/out.csv";
    history->exportCSV();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith("导出失败|无法写入文件“" + chosenPath + "”："));
    EXPECT_FALSE(UserDefaults::contains(TrafficHistoryWindow::kExportDir));

    chosenPath.clear();
    history->exportJSON();
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_EQ(startPaths.size(), 2);
}

TEST_F(TrafficHistoryWindowTest, ExportMenuOffersBothFormats) {
    auto history = makeWindow();
    history->onExport(); // before the window exists: nothing
    EXPECT_EQ(history->exportMenu(), nullptr);
    history->show();
    child<QPushButton>(*history, "exportBtn")->click();
    QMenu* menu = history->exportMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), "导出 CSV…");
    EXPECT_EQ(menu->actions()[1]->text(), "导出 JSON…");
    EXPECT_TRUE(menu->isVisible());
    menu->close();
}

TEST_F(TrafficHistoryWindowTest, ExportMenuAndPeriodListAreDarkOnALightDesktop) {
    const LightDesktop lightDesktop;
    auto history = makeWindow();
    history->show();
    child<QPushButton>(*history, "exportBtn")->click();
    ASSERT_NE(history->exportMenu(), nullptr);
    EXPECT_LE(popupBackgroundLightness(grabAndSave(*history->exportMenu(), "stats-export-menu")),
              50);
    history->exportMenu()->close();

    auto* modes = child<QComboBox>(*history, "modePopUp");
    modes->showPopup();
    EXPECT_LE(popupBackgroundLightness(grabAndSave(*modes->view()->window(), "stats-mode-list")),
              50);
    modes->hidePopup();
}

TEST_F(TrafficHistoryWindowTest, ResizeWidensChartAndKeepsRows) {
    data = sampleWeek();
    auto history = makeWindow();
    history->show();
    QWidget* window = history->window();
    auto* chart = child<TrafficChartView>(*history, "chartView");
    window->resize(900, 700);
    window->layout()->activate();
    EXPECT_EQ(chart->width(), 900 - 32);
    EXPECT_EQ(chart->height(), 196);
    EXPECT_EQ(child<QTableView>(*history, "tableView")->model()->rowCount(), 4);

    // At the minimum width the range label still fits; squeezed further, it ends in "…".
    window->resize(540, 600);
    window->layout()->activate();
    auto* rangeInfo = child<TailElidedLabel>(*history, "rangeInfo");
    EXPECT_EQ(rangeInfo->shownText(), rangeInfo->text());
    rangeInfo->resize(80, rangeInfo->height());
    EXPECT_TRUE(rangeInfo->shownText().endsWith(QChar(0x2026)));
    EXPECT_EQ(rangeInfo->toolTip(), rangeInfo->text());
}

TEST_F(TrafficHistoryWindowTest, RendersDarkWithCardChartAndTable) {
    for (const bool filled : {false, true}) {
        data = filled ? sampleWeek() : TrafficData{};
        auto history = makeWindow();
        history->show();
        QWidget* window = history->window();
        window->layout()->activate();
        const QImage image =
            grabAndSave(*window, filled ? "stats-window-filled" : "stats-window-empty");
        ASSERT_EQ(image.size(), QSize(620, 680) * image.devicePixelRatio());
        EXPECT_TRUE(near(image.pixelColor(4, 4), TrafficTheme::windowBG));
        EXPECT_TRUE(near(image.pixelColor(4, 670), TrafficTheme::windowBG));

        auto* card = window->findChild<QWidget*>("summaryCard");
        const QPoint cardTopLeft = card->mapTo(window, QPoint(0, 0));
        EXPECT_EQ(card->geometry().height(), 96);
        EXPECT_EQ(cardTopLeft.x(), 16);
        // Gradient: lighter at the top left than at the bottom right.
        const QColor cardStart = image.pixelColor(cardTopLeft + QPoint(20, 8));
        const QColor cardEnd = image.pixelColor(cardTopLeft + QPoint(card->width() - 20, 88));
        EXPECT_GT(cardStart.blue(), cardEnd.blue() + 20);

        auto* chart = window->findChild<TrafficChartView*>("chartView");
        const QPoint chartTopLeft = chart->mapTo(window, QPoint(0, 0));
        EXPECT_EQ(chartTopLeft.y(), cardTopLeft.y() + 96 + 12);
        EXPECT_TRUE(near(image.pixelColor(chartTopLeft + QPoint(30, 100)), TrafficTheme::cardBG));
        int blue = 0;
        int green = 0;
        for (int y = chartTopLeft.y(); y < chartTopLeft.y() + 196; ++y) {
            for (int x = chartTopLeft.x() + 58; x < chartTopLeft.x() + chart->width() - 16; ++x) {
                blue += near(image.pixelColor(x, y), TrafficTheme::downBlue, 3);
                green += near(image.pixelColor(x, y), TrafficTheme::upGreen, 3);
            }
        }
        if (filled) {
            EXPECT_GT(blue, 500); // four download bars
            EXPECT_GT(green, 200);
        } else {
            EXPECT_LT(blue, 80); // the legend squares only
            EXPECT_LT(green, 80);
        }
    }
}

TEST(TrafficHistoryWindowWiring, DefaultsReadTheSharedStore) {
    TrafficRecorder& store = TrafficRecorder::shared();
    ASSERT_TRUE(store.data().empty());
    store.recordTotal(2048, 5 * 1024 * 1024);
    ASSERT_EQ(store.data().size(), 1u);
    const QDate recorded = parseDayKey(store.data().begin()->first);
    TrafficHistoryWindow history;
    history.show();
    // Seven days, so the booked day is in the period even when midnight falls between the
    // store's reading of the real clock and the window's.
    history.onModeChange(rawValue(RangeMode::last7));
    const auto label = [&](const char* name) {
        return history.window()->findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    EXPECT_EQ(label("totalDownLabel"), "↓ 5.0 MB");
    EXPECT_EQ(label("totalUpLabel"), "↑ 2.0 KB");
    EXPECT_GE(history.currentTo(), recorded);
    EXPECT_LE(history.currentTo(), recorded.addDays(1));
}
