#include "speedtest/windows/SpeedTestHistoryView.h"

#include "settings/UserDefaults.h"
#include "speedtest/windows/SpeedTestRecordView.h"
#include "speedtest/windows/SpeedTestStyle.h"
#include "support/FakeClock.h"
#include "support/Screenshots.h"
#include "ui/TrafficTheme.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

SpeedTestRecord numbered(int n) {
    SpeedTestRecord record;
    record.ts = 1765000000 + n * 60;
    record.downMbps = 10 + n;
    record.upMbps = 5 + n / 2.0;
    record.latencyMs = 12 + n % 7;
    record.jitterMs = 0.5 * (n % 5);
    const char* grades[] = {"极速", "优秀", "很好", "良好", "够用", "偏慢", ""};
    record.grade = QString::fromUtf8(grades[n % 7]);
    record.downNode = QStringLiteral("节点 %1").arg(n);
    record.upNode = QStringLiteral("中科大 USTC");
    record.iface = QStringLiteral("eth0");
    record.mac = QStringLiteral("52:54:00:12:34:%1").arg(n, 2, 10, QLatin1Char('0'));
    record.ipv4 = QStringLiteral("192.168.1.%1").arg(n);
    record.ipv6 = QStringLiteral("2001:db8::%1").arg(n);
    record.publicIP = QStringLiteral("2001:db8:85a3::%1").arg(n);
    return record;
}

class SpeedTestHistoryViewTest : public testing::Test {
protected:
    void SetUp() override {
        UserDefaults::remove(SpeedTestHistoryView::kPageSize);
        store.emplace(historyPath());
    }

    QString historyPath() const { return m_dir.filePath(QStringLiteral("speedtest-history.json")); }

    // Record 1 is the oldest; the newest is first in the store.
    void addRecords(int count) {
        for (int n = 1; n <= count; ++n)
            store->add(numbered(n));
    }

    SpeedTestHistoryView& makeView() {
        view.emplace(*store);
        view->resize(560, 640);
        view->show();
        view->confirmClear = [this](const QString& message, const QString& informative) {
            dialogs << message << informative;
            return confirmAnswer;
        };
        view->warn = [this](const QString& message, const QString& informative) {
            dialogs << message << informative;
        };
        return *view;
    }

    template <typename T> T* child(const char* name) const {
        T* found = view->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* label) const { return child<QLabel>(label)->text(); }
    bool enabled(const char* button) const { return child<QPushButton>(button)->isEnabled(); }
    QList<SpeedTestRecordView*> visibleRows() const {
        QList<SpeedTestRecordView*> rows;
        for (SpeedTestRecordView* row : view->findChildren<SpeedTestRecordView*>())
            if (row->isVisibleTo(view.operator->()))
                rows << row;
        return rows;
    }

    QTemporaryDir m_dir;
    std::optional<SpeedTestHistoryStore> store;
    std::optional<SpeedTestHistoryView> view;
    QStringList dialogs;
    bool confirmAnswer = true;
};

TEST_F(SpeedTestHistoryViewTest, EmptyHistory) {
    SpeedTestHistoryView& v = makeView();
    EXPECT_EQ(v.pageCount(), 1);
    EXPECT_EQ(v.pageIndex(), 0);
    EXPECT_TRUE(v.rows().isEmpty());
    EXPECT_EQ(text("pageLabel"), "第 1 / 1 页");
    EXPECT_EQ(text("rangeLabel"), "");
    EXPECT_EQ(text("countLabel"), "永久保留");
    for (const char* button :
         {"firstBtn", "prevBtn", "nextBtn", "lastBtn", "exportBtn", "clearBtn"})
        EXPECT_FALSE(enabled(button)) << button;
    EXPECT_TRUE(child<QLabel>("emptyLabel")->isVisibleTo(&v));
    EXPECT_FALSE(child<QScrollArea>("scrollView")->isVisibleTo(&v));
    EXPECT_EQ(v.hintText().toStdString(),
              "记录永久保存，仅手动清空才会删除　｜　时间 · 评级 · 速率 · 延迟 · "
              "网络标识（悬停查看完整信息与 IPv6）");
    // One line, cut at the tail when the view is narrow.
    EXPECT_TRUE(text("hintLabel").endsWith(QStringLiteral("…")));
    v.resize(1200, 640);
    EXPECT_EQ(text("hintLabel"), v.hintText());
    EXPECT_EQ(text("emptyLabel").toStdString(),
              "暂无测速记录\n切换到「测速」标签跑一次，结果会自动存到这里并永久保留");
}

TEST_F(SpeedTestHistoryViewTest, PagesThroughTwentyFiveRecords) {
    addRecords(25);
    SpeedTestHistoryView& v = makeView();
    EXPECT_EQ(v.pageCount(), 3);
    EXPECT_EQ(v.rows().size(), 10);
    EXPECT_EQ(v.rows().front(), numbered(25));
    EXPECT_EQ(visibleRows().size(), 10);
    EXPECT_EQ(text("rangeLabel"), "显示第 1–10 条");
    EXPECT_EQ(text("countLabel"),
              QStringLiteral("共 25 条 · 永久保留 · ") + store->storageSizeText());
    EXPECT_FALSE(enabled("firstBtn"));
    EXPECT_FALSE(enabled("prevBtn"));
    EXPECT_TRUE(enabled("nextBtn"));
    EXPECT_TRUE(enabled("lastBtn"));

    child<QPushButton>("lastBtn")->click();
    EXPECT_EQ(v.pageIndex(), 2);
    ASSERT_EQ(v.rows().size(), 5);
    EXPECT_EQ(v.rows().front(), numbered(5));
    EXPECT_EQ(v.rows().back(), numbered(1));
    EXPECT_EQ(visibleRows().size(), 5);
    EXPECT_EQ(text("pageLabel"), "第 3 / 3 页");
    EXPECT_EQ(text("rangeLabel"), "显示第 21–25 条");
    EXPECT_FALSE(enabled("nextBtn"));
    EXPECT_FALSE(enabled("lastBtn"));
    EXPECT_TRUE(enabled("firstBtn"));

    v.nextPage();
    EXPECT_EQ(v.pageIndex(), 2);
    child<QPushButton>("prevBtn")->click();
    EXPECT_EQ(text("rangeLabel"), "显示第 11–20 条");
    child<QPushButton>("firstBtn")->click();
    EXPECT_EQ(v.pageIndex(), 0);
    v.prevPage();
    EXPECT_EQ(v.pageIndex(), 0);
}

TEST_F(SpeedTestHistoryViewTest, PageSizeChangeGoesToPageOneAndIsRemembered) {
    addRecords(25);
    SpeedTestHistoryView& v = makeView();
    v.lastPage();
    v.pageSizeChanged(1);
    EXPECT_EQ(v.pageIndex(), 0);
    EXPECT_EQ(v.pageSize(), 20);
    EXPECT_EQ(v.rows().size(), 20);
    EXPECT_EQ(text("pageLabel"), "第 1 / 2 页");
    EXPECT_EQ(UserDefaults::integerValue(SpeedTestHistoryView::kPageSize), 20);
    v.pageSizeChanged(7);
    EXPECT_EQ(v.pageSize(), 20);

    view.reset();
    makeView();
    EXPECT_EQ(view->pageSize(), 20);
    EXPECT_EQ(child<QComboBox>("pageSizePopup")->currentIndex(), 1);
    EXPECT_EQ(child<QComboBox>("pageSizePopup")->itemText(3), "每页 100 条");
}

TEST_F(SpeedTestHistoryViewTest, UnknownStoredPageSizeReadsAsTen) {
    for (qint64 stored : {30, 0, -20, 1000}) {
        UserDefaults::setInteger(SpeedTestHistoryView::kPageSize, stored);
        view.reset();
        makeView();
        EXPECT_EQ(view->pageSize(), 10) << stored;
        EXPECT_EQ(child<QComboBox>("pageSizePopup")->currentIndex(), 0);
    }
    UserDefaults::setString(SpeedTestHistoryView::kPageSize, QStringLiteral("lots"));
    EXPECT_EQ(SpeedTestHistoryView::storedPageSize(), 10);
    UserDefaults::setInteger(SpeedTestHistoryView::kPageSize, 50);
    EXPECT_EQ(SpeedTestHistoryView::storedPageSize(), 50);
}

TEST_F(SpeedTestHistoryViewTest, AddingARecordJumpsToPageOne) {
    addRecords(25);
    SpeedTestHistoryView& v = makeView();
    v.lastPage();
    SpeedTestRecord fresh = numbered(99);
    store->add(fresh);
    EXPECT_EQ(v.pageIndex(), 0);
    EXPECT_EQ(v.rows().front(), fresh);
    EXPECT_EQ(text("pageLabel"), "第 1 / 3 页");
}

TEST_F(SpeedTestHistoryViewTest, ClearAsksFirst) {
    addRecords(15);
    SpeedTestHistoryView& v = makeView();
    v.nextPage();
    confirmAnswer = false;
    child<QPushButton>("clearBtn")->click();
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_EQ(dialogs[0], "清空全部测速记录？");
    EXPECT_EQ(dialogs[1].toStdString(),
              "记录默认永久保留，这是唯一会删除它们的操作。\n15 条记录（" +
                  store->storageSizeText().toStdString() +
                  "）将被彻底删除，不可恢复。\n建议先用「导出 CSV」备份。");
    EXPECT_EQ(store->records().size(), 15);
    EXPECT_EQ(v.pageIndex(), 1);

    confirmAnswer = true;
    v.clearPressed();
    EXPECT_TRUE(store->records().isEmpty());
    EXPECT_EQ(v.pageIndex(), 0);
    EXPECT_EQ(text("pageLabel"), "第 1 / 1 页");
    EXPECT_TRUE(child<QLabel>("emptyLabel")->isVisibleTo(&v));
    EXPECT_TRUE(visibleRows().isEmpty());
}

TEST_F(SpeedTestHistoryViewTest, ClearKeepsATestStoredByAnotherProcessWhileTheAlertWasOpen) {
    addRecords(3);
    SpeedTestHistoryView& v = makeView();
    SpeedTestHistoryStore otherProcess(historyPath());
    v.confirmClear = [&](const QString&, const QString& informative) {
        EXPECT_TRUE(informative.contains(QStringLiteral("\n3 条记录（")));
        otherProcess.add(numbered(4));
        return true;
    };
    v.clearPressed();
    ASSERT_EQ(store->records().size(), 1);
    EXPECT_EQ(store->records()[0], numbered(4));
    EXPECT_EQ(SpeedTestHistoryStore(historyPath()).records(), store->records());
    EXPECT_EQ(visibleRows().size(), 1);
    EXPECT_EQ(text("countLabel"),
              QStringLiteral("共 1 条 · 永久保留 · ") + store->storageSizeText());
}

TEST_F(SpeedTestHistoryViewTest, ExportWritesTheStoreCsv) {
    addRecords(3);
    SpeedTestHistoryView& v = makeView();
    FakeClock clock;
    clock.setNow(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
    v.clock = &clock;
    QString suggested;
    const QString target = m_dir.filePath(QStringLiteral("导出.csv"));
    v.askExportPath = [&](const QString& name) {
        suggested = name;
        return target;
    };
    child<QPushButton>("exportBtn")->click();
    EXPECT_EQ(suggested.toStdString(), "岚-测速记录-20260314-0926.csv");
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), store->exportCSV().toUtf8());
    EXPECT_TRUE(dialogs.isEmpty());
}

TEST_F(SpeedTestHistoryViewTest, ExportCancelledWritesNothing) {
    addRecords(1);
    SpeedTestHistoryView& v = makeView();
    v.askExportPath = [](const QString&) { return QString(); };
    v.exportPressed();
    EXPECT_TRUE(dialogs.isEmpty());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(SpeedTestHistoryViewTest, FailedExportIsReported) {
    addRecords(1);
    SpeedTestHistoryView& v = makeView();
    const QString target = m_dir.filePath(QStringLiteral("missing/dir/out.csv"));
    v.askExportPath = [&](const QString&) { return target; };
    v.exportPressed();
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_EQ(dialogs[0], "导出失败");
    EXPECT_TRUE(
        dialogs[1].startsWith(QStringLiteral("无法写入「") + target + QStringLiteral("」：")))
        << dialogs[1].toStdString();
    EXPECT_GT(dialogs[1].size(), target.size() + 8) << "the reason is named";
}

TEST_F(SpeedTestHistoryViewTest, QuarantineHint) {
    QFile file(historyPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"not\": \"an array\"}");
    file.close();
    store.emplace(historyPath());
    ASSERT_TRUE(store->lastQuarantinePath());
    SpeedTestHistoryView& v = makeView();
    EXPECT_EQ(v.hintText(),
              QStringLiteral("⚠️ 上次的历史文件无法解析，已备份为 ") +
                  QFileInfo(*store->lastQuarantinePath()).fileName() +
                  QStringLiteral("，未做删除"));
    EXPECT_EQ(SpeedTestStyle::textColor(child<QLabel>("hintLabel")), TrafficTheme::upGreen);
    store->add(numbered(1));
    EXPECT_TRUE(text("hintLabel").startsWith(QStringLiteral("⚠️")));
    EXPECT_TRUE(v.hintText().startsWith(QStringLiteral("⚠️")));
}

TEST(SpeedTestRecordViewTest, GradeColours) {
    EXPECT_EQ(SpeedTestRecordView::gradeColor(QStringLiteral("极速")), TrafficTheme::downBlue);
    EXPECT_EQ(SpeedTestRecordView::gradeColor(QStringLiteral("优秀")), TrafficTheme::upGreen);
    EXPECT_EQ(SpeedTestRecordView::gradeColor(QStringLiteral("很好")), TrafficTheme::upGreen);
    EXPECT_EQ(SpeedTestRecordView::gradeColor(QStringLiteral("良好")),
              SpeedTestStyle::systemYellow);
    EXPECT_EQ(SpeedTestRecordView::gradeColor(QStringLiteral("够用")),
              SpeedTestStyle::systemOrange);
    EXPECT_EQ(SpeedTestRecordView::gradeColor(QStringLiteral("偏慢")), SpeedTestStyle::systemRed);
    EXPECT_EQ(SpeedTestRecordView::gradeColor(QStringLiteral("--")), TrafficTheme::textDim);
    EXPECT_EQ(SpeedTestRecordView::gradeColor(QString()), TrafficTheme::textDim);
}

TEST(SpeedTestRecordViewTest, RowLayoutAndTexts) {
    SpeedTestRecordView row;
    row.resize(510, SpeedTestRecordView::kRowHeight);
    SpeedTestRecord record = numbered(3);
    record.grade.clear();
    row.configure(record);
    const SpeedTestRecordView::Texts& texts = row.texts();
    EXPECT_EQ(texts.time, record.timeText());
    EXPECT_EQ(texts.grade, "--");
    EXPECT_EQ(texts.down, "↓ 13.0");
    EXPECT_EQ(texts.up, "↑ 6.5 Mbps");
    EXPECT_EQ(texts.ping, "⏱ 15 ms ±1.5");
    EXPECT_EQ(texts.identity, record.identityLine());
    EXPECT_EQ(row.toolTip(), record.tooltip());
    EXPECT_EQ(row.height(), 52);
    EXPECT_EQ(row.gradeChipColor(), TrafficTheme::textDim);

    const SpeedTestRecordView::Layout at = row.layout();
    EXPECT_EQ(at.timeLabel.topLeft(), QPoint(12, 8));
    EXPECT_EQ(at.gradeChip.height(), 16);
    EXPECT_EQ(at.gradeChip.left(), at.timeLabel.right() + 1 + 8);
    EXPECT_NEAR(at.gradeChip.center().y(), at.timeLabel.center().y(), 1);
    EXPECT_EQ(at.gradeLabel, at.gradeChip.adjusted(6, 0, -6, 0));
    EXPECT_EQ(at.upLabel.right() + 1, 510 - 12);
    EXPECT_EQ(at.downLabel.right() + 1, at.upLabel.left() - 12);
    EXPECT_EQ(at.pingLabel.right() + 1, at.downLabel.left() - 12);
    EXPECT_NEAR(at.upLabel.center().y(), at.timeLabel.center().y(), 1);
    EXPECT_EQ(at.identityLabel.left(), 12);
    EXPECT_EQ(at.identityLabel.top(), at.timeLabel.bottom() + 1 + 5);
    EXPECT_EQ(at.identityLabel.right() + 1, 510 - 12);
    EXPECT_EQ(at.identityShown, record.identityLine());

    // A narrow row cuts the identity in the middle.
    row.resize(200, SpeedTestRecordView::kRowHeight);
    const QString cut = row.layout().identityShown;
    EXPECT_TRUE(cut.contains(QStringLiteral("…")));
    EXPECT_TRUE(cut.startsWith(record.mac.left(4)));
    EXPECT_TRUE(cut.endsWith(QStringLiteral("3")));

    // The chip is filled faintly in the grade colour, framed more strongly.
    row.resize(510, SpeedTestRecordView::kRowHeight);
    QImage image(row.size(), QImage::Format_ARGB32);
    image.fill(TrafficTheme::cardBG);
    row.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QColor fill = image.pixelColor(at.gradeChip.left() + 2, at.gradeChip.top() + 3);
    EXPECT_GT(fill.blue(), TrafficTheme::cardBG.blue());
    EXPECT_LT(fill.blue(), TrafficTheme::textDim.blue());
    const QColor separator = image.pixelColor(100, 51);
    EXPECT_GT(separator.red(), TrafficTheme::cardBG.red());
    EXPECT_EQ(image.pixel(5, 51), TrafficTheme::cardBG.rgb());
}

TEST_F(SpeedTestHistoryViewTest, RenderedList) {
    addRecords(25);
    SpeedTestHistoryView& v = makeView();
    v.setPalette(SpeedTestStyle::darkPalette());
    v.setAutoFillBackground(true);
    v.resize(560, 620);
    const QImage image = v.grab().toImage();
    saveScreenshot(image, QStringLiteral("history-list"));
    // The table card spans the width between the 24-point insets.
    const QScrollArea* scroll = child<QScrollArea>("scrollView");
    const QRect card(scroll->mapTo(&v, QPoint(0, 0)), scroll->size());
    EXPECT_EQ(card.left(), 24);
    EXPECT_EQ(card.right() + 1, 560 - 24);
    const QColor inside = image.pixelColor(card.left() + 6, card.bottom() - 6);
    EXPECT_LT(std::abs(inside.blue() - TrafficTheme::cardBG.blue()), 3);
    EXPECT_LT(std::abs(image.pixelColor(card.left() - 6, card.center().y()).blue() -
                       TrafficTheme::windowBG.blue()),
              3);
}

} // namespace
