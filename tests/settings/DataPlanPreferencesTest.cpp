#include "shell/DataPlanPreferences.h"
#include "common/NotificationCenter.h"
#include "settings/UserDefaults.h"
#include "shell/PreferencesWindow.h"
#include "support/Screenshots.h"
#include "ui/NumberField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using P = PreferencesCatalogue;

class DataPlanPreferencesTest : public testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
        NotificationCenter::instance().observe(P::kDataPlanChanged, &context,
                                               [this](const QVariant&) { ++posted; });
    }
    void open() {
        prefs = std::make_unique<PreferencesWindow>();
        prefs->show();
    }
    template <typename T> T* find(const char* name) {
        T* widget = prefs->window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void choose(QComboBox* popup, const QString& text) {
        const int index = popup->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        popup->setCurrentIndex(index);
        Q_EMIT popup->activated(index);
    }

    QObject context;
    int posted = 0;
    std::unique_ptr<PreferencesWindow> prefs;
};

} // namespace

TEST_F(DataPlanPreferencesTest, FifthCardWithItsControls) {
    open();
    QStringList texts;
    for (QLabel* label : prefs->window->findChildren<QLabel*>())
        texts << label->text();
    for (const char* expected :
         {"流量套餐", "按计费周期统计用量，接近上限时提醒", "每月额度", "GB", "每月重置日", "计入"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_EQ(prefs->window->findChildren<QWidget*>(QStringLiteral("card")).size(), 5);

    EXPECT_EQ(find<NumberField>("quotaField")->text(), QStringLiteral("0"));
    auto* resetDay = find<QComboBox>("resetDayPopup");
    ASSERT_EQ(resetDay->count(), 31);
    EXPECT_EQ(resetDay->itemText(0), QStringLiteral("每月 1 日"));
    EXPECT_EQ(resetDay->itemText(30), QStringLiteral("每月 31 日"));
    EXPECT_EQ(resetDay->currentText(), QStringLiteral("每月 1 日"));
    auto* counts = find<QComboBox>("countsPopup");
    QStringList countTitles;
    for (int i = 0; i < counts->count(); ++i)
        countTitles << counts->itemText(i);
    EXPECT_EQ(countTitles, (QStringList{"下载 + 上传", "仅下载", "仅上传"}));
    auto* alerts = find<QCheckBox>("planAlertsCheck");
    EXPECT_EQ(alerts->text(), QStringLiteral("用量达到 80% 和 100% 时提醒"));
    EXPECT_TRUE(alerts->isChecked());
    // Opening the window writes nothing.
    EXPECT_FALSE(UserDefaults::contains(P::kDataPlanQuotaGB));
    EXPECT_EQ(posted, 0);
}

TEST_F(DataPlanPreferencesTest, StoredValuesAreShown) {
    UserDefaults::setDouble(P::kDataPlanQuotaGB, 100);
    UserDefaults::setInteger(P::kDataPlanResetDay, 15);
    UserDefaults::setString(P::kDataPlanCounts, QStringLiteral("upload"));
    UserDefaults::setBool(P::kDataPlanAlerts, false);
    open();
    EXPECT_EQ(find<NumberField>("quotaField")->text(), QStringLiteral("100"));
    EXPECT_EQ(find<QComboBox>("resetDayPopup")->currentText(), QStringLiteral("每月 15 日"));
    EXPECT_EQ(find<QComboBox>("countsPopup")->currentText(), QStringLiteral("仅上传"));
    EXPECT_FALSE(find<QCheckBox>("planAlertsCheck")->isChecked());
}

TEST_F(DataPlanPreferencesTest, EveryControlWritesItsSettingAndPosts) {
    UserDefaults::setString(P::kDataPlanAlerted, QStringLiteral("2026-11-15:80"));
    open();
    auto* quota = find<NumberField>("quotaField");
    quota->setFocus();
    quota->selectAll();
    QTest::keyClicks(quota, QStringLiteral("100"));
    QTest::keyClick(quota, Qt::Key_Return);
    EXPECT_EQ(UserDefaults::doubleValue(P::kDataPlanQuotaGB), 100);
    EXPECT_EQ(posted, 1);
    // A new quota judges this cycle's alerts afresh.
    EXPECT_FALSE(UserDefaults::contains(P::kDataPlanAlerted));

    // The same quota once more keeps what was given.
    UserDefaults::setString(P::kDataPlanAlerted, QStringLiteral("2026-11-15:80"));
    quota->setFocus();
    quota->selectAll();
    QTest::keyClicks(quota, QStringLiteral("100"));
    QTest::keyClick(quota, Qt::Key_Return);
    EXPECT_EQ(UserDefaults::stringValue(P::kDataPlanAlerted), QStringLiteral("2026-11-15:80"));
    posted = 1;

    choose(find<QComboBox>("resetDayPopup"), QStringLiteral("每月 31 日"));
    EXPECT_EQ(UserDefaults::integerValue(P::kDataPlanResetDay), 31);
    EXPECT_EQ(posted, 2);

    choose(find<QComboBox>("countsPopup"), QStringLiteral("仅下载"));
    EXPECT_EQ(UserDefaults::stringValue(P::kDataPlanCounts), QStringLiteral("download"));
    EXPECT_EQ(posted, 3);
    EXPECT_FALSE(UserDefaults::contains(P::kDataPlanAlerted));

    find<QCheckBox>("planAlertsCheck")->click();
    EXPECT_FALSE(UserDefaults::boolValue(P::kDataPlanAlerts));
    EXPECT_TRUE(UserDefaults::contains(P::kDataPlanAlerts));
    EXPECT_EQ(posted, 4);

    const auto plan = P::dataPlan();
    ASSERT_TRUE(plan);
    EXPECT_EQ(*plan, (DataPlanSettings{100, 31, PlanCounts::download, false}));

    // 0 turns the plan off.
    quota->setFocus();
    quota->selectAll();
    QTest::keyClicks(quota, QStringLiteral("0"));
    QTest::keyClick(quota, Qt::Key_Return);
    EXPECT_EQ(UserDefaults::doubleValue(P::kDataPlanQuotaGB), 0);
    EXPECT_FALSE(P::dataPlan());
}

// Every card can be reached: all of them fit, or the scroll area scrolls to the last one.
TEST_F(DataPlanPreferencesTest, TheLastCardCanBeReached) {
    open();
    QApplication::processEvents();
    auto* scroll = find<QScrollArea>("cardsScroll");
    const QList<QWidget*> cards = prefs->window->findChildren<QWidget*>(QStringLiteral("card"));
    ASSERT_EQ(cards.size(), 5);
    QWidget* last = cards.last();
    const int lastBottom = last->mapTo(scroll->widget(), QPoint(0, last->height())).y();
    EXPECT_LE(lastBottom, scroll->viewport()->height() + scroll->verticalScrollBar()->maximum());
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    const QImage image = prefs->window->grab().toImage();
    saveScreenshot(image, QStringLiteral("preferences-data-plan"));
    // The last card's bottom edge is inside the visible part once scrolled down.
    const int bottomInViewport = last->mapTo(scroll->viewport(), QPoint(0, last->height())).y();
    EXPECT_LE(bottomInViewport, scroll->viewport()->height());
    EXPECT_GE(bottomInViewport, scroll->viewport()->height() - 20);
}
