#include "cli/CommandLine.h"
#include "cli/StatsCommand.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "support/FakeClock.h"
#include "support/TestEnvironment.h"
#include "traffic/core/DayKey.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using P = PreferencesCatalogue;
constexpr quint64 kGB = 1024ull * 1024 * 1024;

class StatsPlanCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
        QFile::remove(output);
        // 22 days of 1.95 GB (2093796556 bytes) down from 11/15 to today (12/06): 42.9 GB.
        for (QDate day(2026, 11, 15); day <= clock.now().date(); day = day.addDays(1))
            history[dayKey(day)] = DailyTraffic{quint64(1.95 * double(kGB)), 0, {}};
    }
    void setPlan(double quotaGB, int resetDay, const char* counts = nullptr) {
        UserDefaults::setDouble(P::kDataPlanQuotaGB, quotaGB);
        UserDefaults::setInteger(P::kDataPlanResetDay, resetDay);
        if (counts)
            UserDefaults::setString(P::kDataPlanCounts, QString::fromLatin1(counts));
    }
    int run(QStringList arguments) {
        return StatsCommand::runWith(
            arguments << "-o" << output, history, clock, [](const QString& name) { return name; },
            [] { return AppTrafficSource::AllProtocols; });
    }
    QString written() {
        QFile file(output);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                              : QStringLiteral("<missing>");
    }

    TrafficData history;
    FakeClock clock; // 2026-12-06
    QString output = testRoot() + "/plan-out";
};

} // namespace

TEST_F(StatsPlanCommandTest, JsonIsExact) {
    struct Case {
        const char* what;
        double quotaGB;
        int resetDay;
        const char* counts;
        const char* json;
    };
    const Case cases[] = {
        {"lasts the cycle", 100, 15, nullptr,
         R"({"start":"2026-11-15","end":"2026-12-14","quotaBytes":107374182400,)"
         R"("usedBytes":46063524232,"remainingBytes":61310658168,"percent":42.9,"daysLeft":9,)"
         R"("forecast":null,"counts":"total"})"},
        // 42.9 GB of 50: 7.1 GB left at 1.95 GB a day take four more days.
        {"runs out", 50, 15, nullptr,
         R"({"start":"2026-11-15","end":"2026-12-14","quotaBytes":53687091200,)"
         R"("usedBytes":46063524232,"remainingBytes":7623566968,"percent":85.8,"daysLeft":9,)"
         R"("forecast":"2026-12-10","counts":"total"})"},
        // Over the quota: the day the running sum reached 40 GB (the 21st day, 12/5).
        {"used up, uploads counted too", 40, 15, "total",
         R"({"start":"2026-11-15","end":"2026-12-14","quotaBytes":42949672960,)"
         R"("usedBytes":46063524232,"remainingBytes":0,"percent":107.2,"daysLeft":9,)"
         R"("forecast":"2026-12-05","counts":"total"})"},
        {"upload only", 100, 15, "upload",
         R"({"start":"2026-11-15","end":"2026-12-14","quotaBytes":107374182400,)"
         R"("usedBytes":0,"remainingBytes":107374182400,"percent":0.0,"daysLeft":9,)"
         R"("forecast":null,"counts":"upload"})"},
    };
    for (const Case& c : cases) {
        SetUp();
        setPlan(c.quotaGB, c.resetDay, c.counts);
        EXPECT_EQ(run({"--plan", "--json"}), 0) << c.what;
        EXPECT_EQ(written().toStdString(), std::string(c.json) + '\n') << c.what;
    }
}

TEST_F(StatsPlanCommandTest, TextForPeople) {
    setPlan(50, 15);
    UserDefaults::setInteger(P::kRetentionDays, 20);
    ASSERT_EQ(run({"--plan"}), 0);
    // Retention keeps 11/17..12/06: 20 days of 1.95 GB = 39.00 GB.
    EXPECT_EQ(written().toStdString(),
              std::string("流量套餐 · 本期 2026-11-15 ~ 2026-12-14  ·  还剩 9 天\n"
                          "额度 50.00 GB · 计入 下载 + 上传\n"
                          "已用 39.00 GB（78.0%）· 剩余 11.00 GB · 日均可用 1.22 GB\n"
                          "按近 7 天用量，预计 12 月 12 日用完\n"
                          "历史仅保留 20 天，本期 11/17 之前的用量已不再计入\n"));
}

TEST_F(StatsPlanCommandTest, WithoutAPlanItSaysSoAndFails) {
    EXPECT_EQ(run({"--plan"}), kExitFailure);
    EXPECT_EQ(run({"--plan", "--json"}), kExitFailure);
    EXPECT_EQ(written(), QStringLiteral("<missing>"));
    UserDefaults::setDouble(P::kDataPlanQuotaGB, 0);
    EXPECT_EQ(run({"--plan"}), kExitFailure);
}

TEST_F(StatsPlanCommandTest, PlanWithAPeriodOrCsvIsBadUsage) {
    setPlan(100, 15);
    for (const QStringList& arguments :
         {QStringList{"--plan", "--csv"}, QStringList{"--plan", "--today"},
          QStringList{"--last7", "--plan"},
          QStringList{"--plan", "--from", "2026-12-01", "--to", "2026-12-02"}})
        EXPECT_EQ(run(arguments), kExitUsage) << arguments.join(' ').toStdString();
    EXPECT_EQ(written(), QStringLiteral("<missing>"));
}
