#include "traffic/windows/DataPlanCard.h"

#include "StatsFixture.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "traffic/core/DayKey.h"
#include "traffic/windows/DataPlanBar.h"
#include "traffic/windows/TrafficChartView.h"
#include "traffic/windows/TrafficHistoryWindow.h"
#include "ui/TrafficTheme.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

constexpr quint64 kGB = 1024ull * 1024 * 1024;

class DataPlanCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserDefaults::remove(PreferencesCatalogue::kRetentionDays);
        // 22 days of 1.95 GB down from 11/15 to the fake clock's 12/06: 42.90 GB.
        for (QDate day(2026, 11, 15); day <= clock.now().date(); day = day.addDays(1))
            data[dayKey(day)] = DailyTraffic{quint64(1.95 * double(kGB)), 0, {}};
    }
    void TearDown() override { UserDefaults::remove(PreferencesCatalogue::kRetentionDays); }

    std::unique_ptr<TrafficHistoryWindow> makeWindow() {
        TrafficHistoryWindow::Services services;
        services.data = [this]() -> const TrafficData& { return data; };
        services.clock = &clock;
        services.displayName = [](const QString& process) { return process; };
        services.appSource = [] { return AppTrafficSource::AllProtocols; };
        services.plan = [this] { return plan; };
        auto window = std::make_unique<TrafficHistoryWindow>(services);
        window->show();
        QApplication::processEvents();
        return window;
    }
    template <typename T> T* child(TrafficHistoryWindow& window, const char* name) {
        T* found = window.window()->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(TrafficHistoryWindow& window, const char* name) {
        return child<QLabel>(window, name)->text();
    }
    static QStringList items(const QComboBox& box) {
        QStringList all;
        for (int i = 0; i < box.count(); ++i)
            all << box.itemText(i);
        return all;
    }

    TrafficData data;
    FakeClock clock; // 2026-12-06
    std::optional<DataPlanSettings> plan;
};

const QStringList kPlainModes = {"今日", "近 7 天", "近 30 天", "本月", "本年", "自定义…"};

} // namespace

TEST_F(DataPlanCardTest, WithoutAPlanNothingChanges) {
    auto window = makeWindow();
    auto* card = child<DataPlanCard>(*window, "dataPlanCard");
    EXPECT_FALSE(card->isVisibleTo(window->window()));
    EXPECT_EQ(items(*child<QComboBox>(*window, "modePopUp")), kPlainModes);
    // The chart stays 12 below the summary card: no gap is left for the hidden card.
    const QWidget* summary = child<QWidget>(*window, "summaryCard");
    const QWidget* chart = window->window()->findChild<TrafficChartView*>();
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->y(), summary->geometry().bottom() + 1 + 12);
    // The billing cycle cannot be chosen.
    window->onModeChange(rawValue(RangeMode::billingCycle));
    EXPECT_EQ(window->mode(), RangeMode::last7);
}

TEST_F(DataPlanCardTest, CardTextsAndTheBillingCycleChoice) {
    plan = DataPlanSettings{100, 15, PlanCounts::total, true};
    auto window = makeWindow();
    auto* card = child<DataPlanCard>(*window, "dataPlanCard");
    EXPECT_TRUE(card->isVisibleTo(window->window()));
    EXPECT_EQ(text(*window, "dataPlanTitle"), QStringLiteral("流量套餐 · 本期 11/15 – 12/14"));
    EXPECT_EQ(text(*window, "dataPlanUsed"), QStringLiteral("已用 42.90 GB / 100.00 GB（42.9%）"));
    EXPECT_EQ(text(*window, "dataPlanRemaining"),
              QStringLiteral("剩余 57.10 GB · 还剩 9 天 · 日均可用 6.34 GB"));
    EXPECT_EQ(text(*window, "dataPlanForecast"), QStringLiteral("按近 7 天用量，本期内不会用完"));
    EXPECT_FALSE(child<QLabel>(*window, "dataPlanRetention")->isVisibleTo(window->window()));
    // Under the summary card.
    EXPECT_GT(card->mapTo(window->window(), QPoint(0, 0)).y(),
              child<QWidget>(*window, "summaryCard")->geometry().bottom());

    auto* modes = child<QComboBox>(*window, "modePopUp");
    EXPECT_EQ(items(*modes), kPlainModes + QStringList{"本计费周期"});
    window->onModeChange(rawValue(RangeMode::billingCycle));
    EXPECT_EQ(modes->currentText(), QStringLiteral("本计费周期"));
    EXPECT_EQ(text(*window, "rangeInfo"), QStringLiteral("2026-11-15 ~ 2026-12-06  ·  共 22 天"));
    grabAndSave(*window->window(), QStringLiteral("data-plan-card"));

    // The plan goes: the choice and the card go with it, the period falls back to 7 days.
    plan.reset();
    window->refresh();
    EXPECT_EQ(items(*modes), kPlainModes);
    EXPECT_EQ(window->mode(), RangeMode::last7);
    EXPECT_EQ(modes->currentText(), QStringLiteral("近 7 天"));
    EXPECT_FALSE(card->isVisibleTo(window->window()));
}

TEST_F(DataPlanCardTest, RetentionShorterThanTheCycleIsNoted) {
    plan = DataPlanSettings{100, 15, PlanCounts::total, true};
    UserDefaults::setInteger(PreferencesCatalogue::kRetentionDays, 20);
    auto window = makeWindow();
    auto* note = child<QLabel>(*window, "dataPlanRetention");
    EXPECT_TRUE(note->isVisibleTo(window->window()));
    EXPECT_EQ(note->text(), QStringLiteral("历史仅保留 20 天，本期 11/17 之前的用量已不再计入"));
    // 20 days of 1.95 GB.
    EXPECT_EQ(text(*window, "dataPlanUsed"), QStringLiteral("已用 39.00 GB / 100.00 GB（39.0%）"));
}

TEST_F(DataPlanCardTest, BarColourFollowsTheShare) {
    struct Case {
        double quotaGB;
        QColor fill;
    };
    const QColor blue = TrafficTheme::downBlue;
    const QColor amber = TrafficTheme::rgb(1.0, 0.74, 0.28);
    const QColor red = TrafficTheme::rgb(1.0, 0.38, 0.38);
    // 46063524232 bytes (42.8999… GB) used: 42.9 %, 80.006 %, 100.02 % and 143 %; a quota of
    // 53.625 GB would leave it a hair under 80 %.
    const Case cases[] = {{100, blue}, {53.625, blue}, {53.62, amber}, {42.89, red}, {30, red}};
    for (const Case& c : cases) {
        plan = DataPlanSettings{c.quotaGB, 15, PlanCounts::total, true};
        auto window = makeWindow();
        auto* bar = child<DataPlanBar>(*window, "dataPlanBar");
        const QImage image = bar->grab().toImage();
        const qreal dpr = image.devicePixelRatio();
        const int midY = int(bar->height() / 2 * dpr);
        // Just inside the left end the fill shows; at the right end only a full bar does.
        EXPECT_TRUE(near(image.pixelColor(int(6 * dpr), midY), c.fill))
            << c.quotaGB << " " << image.pixelColor(int(6 * dpr), midY).name().toStdString();
        const bool full = bar->percent() >= 100;
        EXPECT_EQ(near(image.pixelColor(int((bar->width() - 6) * dpr), midY), c.fill), full)
            << c.quotaGB;
    }
}
