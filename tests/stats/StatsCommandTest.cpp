#include "cli/StatsCommand.h"

#include "SampleHistory.h"
#include "cli/CommandLine.h"
#include "support/FakeClock.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QString sameName(const QString& process) {
    return process == QLatin1String("WeChat") ? QStringLiteral("微信") : process;
}

class StatsCommandTest : public ::testing::Test {
protected:
    int run(QStringList arguments) {
        return StatsCommand::runWith(arguments, history, clock, &sameName, [this] {
            ++sourceAsked;
            return source;
        });
    }
    QByteArray readOutput() {
        QFile file(output);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    TrafficData history = sampleWeek();
    FakeClock clock; // 2026-12-06
    AppTrafficSource source = AppTrafficSource::AllProtocols;
    int sourceAsked = 0;
    QString output = testRoot() + "/stats-out";
};

// The sample week's last seven days (2026-11-30 to 2026-12-06) as both exports hold them.
const char* const kWeekCsv =
    "\xEF\xBB\xBF# 岚 (Vorn) 流量导出\n"
    "# 区间,2026-11-30 ~ 2026-12-06,共7天\n"
    "类型,下载,上传,合计\n"
    "区间汇总,1370000000,114000000,1484000000\n"
    "\n"
    "日期,下载,上传,合计\n"
    "2026-11-30,300000000,20000000,320000000\n"
    "2026-12-02,50000000,4000000,54000000\n"
    "2026-12-05,900000000,60000000,960000000\n"
    "2026-12-06,120000000,30000000,150000000\n"
    "\n"
    "应用,进程,下载,上传,合计,占比\n"
    "微信,WeChat,300000000,15000000,315000000,21.2%\n"
    "firefox-esr,firefox-esr,40000000,3000000,43000000,2.9%\n"
    "a-very-long-process-name-that-will-not-fit-the-column,"
    "a-very-long-process-name-that-will-not-fit-the-column,1024,0,1024,0.0%\n"
    "curl,curl,0,0,0,0.0%\n";

QByteArray weekJsonApp(const char* name, const char* process, const char* download,
                       const char* upload, const char* total, const char* pct) {
    return QByteArray("        {\n            \"download\": ") + download +
           ",\n            \"name\": \"" + name + "\",\n            \"pct\": " + pct +
           ",\n            \"process\": \"" + process + "\",\n            \"total\": " + total +
           ",\n            \"upload\": " + upload + "\n        }";
}

QByteArray weekJsonDay(const char* date, const char* download, const char* upload,
                       const char* total) {
    return QByteArray("        {\n            \"date\": \"") + date +
           "\",\n            \"download\": " + download + ",\n            \"total\": " + total +
           ",\n            \"upload\": " + upload + "\n        }";
}

QByteArray weekJson() {
    const char* const longName = "a-very-long-process-name-that-will-not-fit-the-column";
    return "{\n    \"app\": \"Vorn\",\n    \"apps\": [\n" +
           weekJsonApp("微信", "WeChat", "300000000", "15000000", "315000000", "21.23") + ",\n" +
           weekJsonApp("firefox-esr", "firefox-esr", "40000000", "3000000", "43000000", "2.9") +
           ",\n" + weekJsonApp(longName, longName, "1024", "0", "1024", "0") + ",\n" +
           weekJsonApp("curl", "curl", "0", "0", "0", "0") +
           "\n    ],\n    \"days\": 7,\n    \"from\": \"2026-11-30\",\n    \"perDay\": [\n" +
           weekJsonDay("2026-11-30", "300000000", "20000000", "320000000") + ",\n" +
           weekJsonDay("2026-12-02", "50000000", "4000000", "54000000") + ",\n" +
           weekJsonDay("2026-12-05", "900000000", "60000000", "960000000") + ",\n" +
           weekJsonDay("2026-12-06", "120000000", "30000000", "150000000") +
           "\n    ],\n    \"summary\": {\n        \"download\": 1370000000,\n"
           "        \"total\": 1484000000,\n        \"upload\": 114000000\n    },\n"
           "    \"to\": \"2026-12-06\",\n    \"version\": \"1.5\"\n}\n";
}

} // namespace

TEST_F(StatsCommandTest, ExportsAreTheWindowsBytes) {
    ASSERT_EQ(run({"--csv", "-o", output}), 0);
    EXPECT_EQ(readOutput().toStdString(), kWeekCsv);
    ASSERT_EQ(run({"--last7", "--json", "-o", output}), 0);
    EXPECT_EQ(readOutput().toStdString(), weekJson().toStdString());

    ASSERT_EQ(run({"--from", "2026-12-05", "--to", "2026-12-06", "--csv", "-o", output}), 0);
    EXPECT_TRUE(readOutput().contains("# 区间,2026-12-05 ~ 2026-12-06,共2天\n"));
    ASSERT_EQ(run({"--today", "--csv", "--output", output}), 0);
    EXPECT_TRUE(readOutput().contains("区间汇总,120000000,30000000,150000000\n"));
    ASSERT_EQ(run({"--year", "--json", "-o", output}), 0);
    EXPECT_TRUE(readOutput().contains("\"from\": \"2026-01-01\""));
    EXPECT_EQ(sourceAsked, 0) << "exports never start the traffic helper";
}

TEST_F(StatsCommandTest, TextSummary) {
    ASSERT_EQ(run({"--month", "-o", output}), 0);
    const QString text = QString::fromUtf8(readOutput());
    EXPECT_TRUE(text.startsWith("区间 2026-12-01 ~ 2026-12-06  ·  共 6 天\n"
                                "下载 1020.4 MB · 上传 89.6 MB · 合计 1.08 GB\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("2026-12-05    858.3 MB     57.2 MB    915.5 MB\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("  微信 (WeChat)\n"));
    EXPECT_TRUE(text.contains("  firefox-esr\n"));
    EXPECT_TRUE(text.contains(" 143.1 MB\n\n应用流量：全部协议\n        下载        上传"))
        << text.toStdString();

    ASSERT_EQ(run({"--from", "2020-01-01", "--to", "2020-01-31", "-o", output}), 0);
    EXPECT_EQ(QString::fromUtf8(readOutput()),
              "区间 2020-01-01 ~ 2020-01-31  ·  共 31 天\n"
              "下载 0 B · 上传 0 B · 合计 0 B\n\n区间内没有记录。\n");
}

TEST_F(StatsCommandTest, TheTextSaysWhatTheApplicationCountsCover) {
    source = AppTrafficSource::TcpOnly;
    ASSERT_EQ(run({"--month", "-o", output}), 0);
    const QString tcpOnly = QString::fromUtf8(readOutput());
    EXPECT_TRUE(tcpOnly.contains("\n\n应用流量：仅 TCP（未启用全部协议的统计）\n        下载"))
        << tcpOnly.toStdString();
    EXPECT_EQ(sourceAsked, 1);

    // A day with totals but no applications still says it: that is when it matters most.
    history = {{QStringLiteral("2026-12-06"), DailyTraffic{4096, 1024, {}}}};
    ASSERT_EQ(run({"--today", "-o", output}), 0);
    EXPECT_TRUE(QString::fromUtf8(readOutput())
                    .endsWith("2026-12-06      4.0 KB      1.0 KB      5.0 KB\n\n应用流量：仅 "
                              "TCP（未启用全部协议的统计）\n"))
        << readOutput().toStdString();
}

TEST_F(StatsCommandTest, BadUsageAndWriteFailure) {
    for (const QStringList& arguments :
         {QStringList{"--from", "2026-12-01"}, QStringList{"--to", "2026-12-01"},
          QStringList{"--from", "2026-12-07", "--to", "2026-12-01"},
          QStringList{"--from", "12/01/2026", "--to", "2026-12-01"},
          QStringList{"--today", "--year"}, QStringList{"--csv", "--json"}, QStringList{"-o"},
          QStringList{"--bogus"}, QStringList{"--from"}}) {
        EXPECT_EQ(run(arguments), kExitUsage) << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(run({"--csv", "-o", testRoot() + "/no/such/dir/out.csv"}), kExitFailure);
}
