#include "traffic/core/TrafficExport.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

QString displayName(const QString& process) {
    if (process == QLatin1String("WeChat"))
        return QStringLiteral("微信");
    if (process == QLatin1String("netease"))
        return QStringLiteral("网易,云音乐");
    return process;
}

ExportPeriod fullPeriod() {
    RangeSummary summary;
    summary.totalIn = 600;
    summary.totalOut = 200;
    summary.perDay = {{"2024-03-01", 100, 50}, {"2024-03-04", 500, 150}};
    summary.apps = {{"WeChat", {200, 100}},
                    {"a,b", {100, 0}},
                    {"say \"hi\"", {0, 0}},
                    {"netease", {10, 6}},
                    {"two\nlines", {0, 4}}};
    return {QDate(2024, 3, 1), QDate(2024, 3, 7), summary};
}

ExportPeriod emptyPeriod() {
    return {QDate(2024, 3, 1), QDate(2024, 3, 7), RangeSummary{}};
}

} // namespace

TEST(TrafficExport, DefaultName) {
    EXPECT_EQ(TrafficExport::defaultExportName(QDate(2024, 3, 1), QDate(2024, 3, 7), "csv"),
              "netdial-2024-03-01-2024-03-07.csv");
    EXPECT_EQ(TrafficExport::defaultExportName(QDate(2024, 12, 9), QDate(2025, 1, 2), "json"),
              "netdial-2024-12-09-2025-01-02.json");
}

TEST(TrafficExport, CsvCellQuotesOnlyWhenNeeded) {
    EXPECT_EQ(TrafficExport::csvCell("微信"), "微信");
    EXPECT_EQ(TrafficExport::csvCell(""), "");
    EXPECT_EQ(TrafficExport::csvCell("a,b"), "\"a,b\"");
    EXPECT_EQ(TrafficExport::csvCell("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(TrafficExport::csvCell("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(TrafficExport::csvCell("cr\rhere"), "\"cr\rhere\"");
}

TEST(TrafficExport, CsvFullPeriodByteForByte) {
    const QByteArray expected = "\xEF\xBB\xBF"
                                "# 岚 (Vorn) 流量导出\n"
                                "# 区间,2024-03-01 ~ 2024-03-07,共7天\n"
                                "类型,下载,上传,合计\n"
                                "区间汇总,600,200,800\n"
                                "\n"
                                "日期,下载,上传,合计\n"
                                "2024-03-01,100,50,150\n"
                                "2024-03-04,500,150,650\n"
                                "\n"
                                "应用,进程,下载,上传,合计,占比\n"
                                "微信,WeChat,200,100,300,37.5%\n"
                                "\"a,b\",\"a,b\",100,0,100,12.5%\n"
                                "\"网易,云音乐\",netease,10,6,16,2.0%\n"
                                "\"two\nlines\",\"two\nlines\",0,4,4,0.5%\n"
                                "\"say \"\"hi\"\"\",\"say \"\"hi\"\"\",0,0,0,0.0%\n";
    EXPECT_EQ(TrafficExport::csvFileBytes(fullPeriod(), displayName), expected);
}

TEST(TrafficExport, CsvEmptyPeriodAndNoSummary) {
    const QByteArray expected = "\xEF\xBB\xBF"
                                "# 岚 (Vorn) 流量导出\n"
                                "# 区间,2024-03-01 ~ 2024-03-07,共7天\n"
                                "类型,下载,上传,合计\n"
                                "区间汇总,0,0,0\n"
                                "\n"
                                "日期,下载,上传,合计\n"
                                "\n"
                                "应用,进程,下载,上传,合计,占比\n";
    EXPECT_EQ(TrafficExport::csvFileBytes(emptyPeriod(), displayName), expected);
    EXPECT_EQ(TrafficExport::csvFileBytes({QDate(2024, 3, 1), QDate(2024, 3, 7), std::nullopt},
                                          displayName),
              QByteArray("\xEF\xBB\xBF"));
}

TEST(TrafficExport, CsvReversedRangeCountsOneDayAndAppsWithoutBytesAreLeftOut) {
    RangeSummary summary;
    summary.totalIn = 10;
    summary.apps = {{"idle", {0, 0}}};
    const QString csv =
        TrafficExport::buildCSV({QDate(2024, 3, 9), QDate(2024, 3, 1), summary}, displayName);
    EXPECT_TRUE(csv.contains("# 区间,2024-03-09 ~ 2024-03-01,共1天\n"));
    EXPECT_TRUE(csv.endsWith("应用,进程,下载,上传,合计,占比\n"));
}

TEST(TrafficExport, JsonFullPeriodByteForByte) {
    const QByteArray expected = R"({
    "app": "Vorn",
    "apps": [
        {
            "download": 200,
            "name": "微信",
            "pct": 37.5,
            "process": "WeChat",
            "total": 300,
            "upload": 100
        },
        {
            "download": 100,
            "name": "a,b",
            "pct": 12.5,
            "process": "a,b",
            "total": 100,
            "upload": 0
        },
        {
            "download": 10,
            "name": "网易,云音乐",
            "pct": 2,
            "process": "netease",
            "total": 16,
            "upload": 6
        },
        {
            "download": 0,
            "name": "two\nlines",
            "pct": 0.5,
            "process": "two\nlines",
            "total": 4,
            "upload": 4
        },
        {
            "download": 0,
            "name": "say \"hi\"",
            "pct": 0,
            "process": "say \"hi\"",
            "total": 0,
            "upload": 0
        }
    ],
    "days": 7,
    "from": "2024-03-01",
    "perDay": [
        {
            "date": "2024-03-01",
            "download": 100,
            "total": 150,
            "upload": 50
        },
        {
            "date": "2024-03-04",
            "download": 500,
            "total": 650,
            "upload": 150
        }
    ],
    "summary": {
        "download": 600,
        "total": 800,
        "upload": 200
    },
    "to": "2024-03-07",
    "version": "1.5"
}
)";
    EXPECT_EQ(TrafficExport::jsonFileBytes(fullPeriod(), displayName), expected);
}

TEST(TrafficExport, JsonEmptyPeriodAndShares) {
    const QJsonObject empty =
        QJsonDocument::fromJson(TrafficExport::jsonFileBytes(emptyPeriod(), displayName)).object();
    EXPECT_EQ(empty.keys(),
              QStringList({"app", "apps", "days", "from", "perDay", "summary", "to", "version"}));
    EXPECT_TRUE(empty["apps"].toArray().isEmpty());
    EXPECT_TRUE(empty["perDay"].toArray().isEmpty());
    EXPECT_EQ(empty["summary"].toObject()["total"].toInteger(), 0);
    EXPECT_EQ(
        TrafficExport::buildJSON({QDate(2024, 3, 1), QDate(2024, 3, 7), std::nullopt}, displayName),
        "{}");

    RangeSummary summary;
    summary.totalIn = 3000;
    summary.apps = {{"third", {1000, 0}}, {"part", {450, 0}}};
    const ExportPeriod period{QDate(2024, 3, 1), QDate(2024, 3, 1), summary};
    const QString json = TrafficExport::buildJSON(period, displayName);
    EXPECT_TRUE(json.contains("\"pct\": 33.33,"));
    EXPECT_TRUE(json.contains("\"pct\": 15,"));
    EXPECT_TRUE(TrafficExport::buildCSV(period, displayName).contains(",part,450,0,450,15.0%\n"));
}

TEST(TrafficExport, WriteFileReplacesAndReportsFailure) {
    const QString path = testRoot() + "/export-test.csv";
    ASSERT_FALSE(TrafficExport::writeFile(path, "old contents").has_value());
    ASSERT_FALSE(TrafficExport::writeFile(path, "new").has_value());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "new");

    const auto failure = TrafficExport::writeFile(testRoot() + "/no/such/dir/x.csv", "data");
    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->isEmpty());
}
