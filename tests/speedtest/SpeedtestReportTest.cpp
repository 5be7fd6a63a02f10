#include "cli/SpeedtestReport.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <limits>

namespace {

using Phase = SpeedTestEngine::Phase;

TEST(SpeedtestReportTest, ProgressLineShowsRatesOnlyWhileTransferring) {
    EXPECT_EQ(SpeedtestReport::progressLine(Phase::download, 12.34, 10, 0.5, 4),
              "下载测速中…    12.3 Mbps（平均 10.0） ██░░  50%");
    EXPECT_EQ(SpeedtestReport::progressLine(Phase::probing, 0, 0, 0, 4),
              "正在选择最优测速节点… ░░░░   0%");
    EXPECT_EQ(SpeedtestReport::progressLine(Phase::ping, 0, 0, 1.7, 4), "测量延迟中… ████ 100%");
}

TEST(SpeedtestReportTest, JsonHasTheRecordKeysAndNoNonFiniteNumbers) {
    SpeedTestEngine::Result result;
    result.downMbps = 312.44;
    result.upMbps = std::numeric_limits<double>::infinity();
    result.downNode = "清华 TUNA";
    result.networkInfo = "出口 CN";
    const QByteArray json = SpeedtestReport::resultJson(result, 1700000000.5);
    ASSERT_TRUE(json.endsWith('\n'));
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    EXPECT_EQ(object.size(), 20); // the record's 13, two texts, five figures under load
    EXPECT_EQ(object["ts"].toDouble(), 1700000000.5);
    EXPECT_EQ(object["downMbps"].toDouble(), 312.44);
    EXPECT_EQ(object["upMbps"].toDouble(), 0);
    EXPECT_EQ(object["grade"].toString(), "优秀");
    EXPECT_EQ(object["downNode"].toString(), "清华 TUNA");
    EXPECT_EQ(object["networkInfo"].toString(), "出口 CN");
    EXPECT_TRUE(object["mac"].isString());
}

TEST(SpeedtestReportTest, ResultTextNamesEveryPart) {
    SpeedTestEngine::Result result;
    result.downMbps = 93.46;
    result.upNode = "中科大 USTC";
    result.downNode = "华为云镜像";
    result.downNodeDetail = "云 · 多线";
    const QString text = SpeedtestReport::resultText(result);
    EXPECT_TRUE(text.startsWith("下载　93.5 Mbps\n上传　0.0 Mbps\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("评级　良好 · 可流畅 4K 视频\n"));
    EXPECT_TRUE(text.contains("节点　华为云镜像（云 · 多线） / 中科大 USTC\n"));
    EXPECT_TRUE(text.contains("网卡　— · MAC — · IPv4 — · IPv6 —\n"));
    EXPECT_TRUE(text.endsWith(result.summaryLine() + "\n"));
}

// A run without an upload node has no upload figure; 0 would read as a measurement.
TEST(SpeedtestReportTest, UnmeasuredUploadIsNamedNotZero) {
    SpeedTestEngine::Result result;
    result.downMbps = 93.46;
    result.latencyMs = 12.4;
    result.jitterMs = 1.25;
    result.downNode = "本地节点";
    result.upNode = "—";
    result.noUploadNode = true;
    const QString text = SpeedtestReport::resultText(result);
    EXPECT_TRUE(text.startsWith("下载　93.5 Mbps\n上传　未测量\n　　　没有上传节点，未测上传\n"))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("↓ 93.5 Mbps  ↑ 未测量  ⏱ 12 ms（±1.2）  本地节点 / —\n"))
        << text.toStdString();
    const QJsonObject object =
        QJsonDocument::fromJson(SpeedtestReport::resultJson(result, 1700000000)).object();
    EXPECT_TRUE(object["upMbps"].isNull());
    EXPECT_EQ(object["downMbps"].toDouble(), 93.46);
    EXPECT_EQ(object.size(), 20); // the record's 13, two texts, five figures under load
}

// The figures under load: the person's line and the script's keys, with and without them.
TEST(SpeedtestReportTest, LoadedLatencyLineAndKeys) {
    struct Case {
        const char* name;
        std::optional<double> down, up;
        const char* line;
        QJsonValue bloat, grade, rpm;
    };
    const Case cases[] = {
        {"measured", 38, 52,
         "负载延迟  下载时 38 ms · 上传时 52 ms · 增加 36 ms（B 级）· 响应度 1333 RPM\n", 36.0, "B",
         60000.0 / 45},
        {"short queue", 16.4, 18.2,
         "负载延迟  下载时 16 ms · 上传时 18 ms · 增加 2 ms（A+ 级）· 响应度 3468 RPM\n", 2.2, "A+",
         60000.0 / 17.3},
        {"no upload answer", 38, std::nullopt,
         "负载延迟  下载时 38 ms · 上传时 -- · 增加 -- · 响应度 --\n", QJsonValue::Null,
         QJsonValue::Null, QJsonValue::Null},
        {"none", std::nullopt, std::nullopt,
         "负载延迟  下载时 -- · 上传时 -- · 增加 -- · 响应度 --\n", QJsonValue::Null,
         QJsonValue::Null, QJsonValue::Null},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpeedTestEngine::Result result;
        result.downMbps = 93.46;
        result.latencyMs = 16;
        result.jitterMs = 1.25;
        result.loadedDownMs = c.down;
        result.loadedUpMs = c.up;
        const QString text = SpeedtestReport::resultText(result);
        EXPECT_TRUE(
            text.contains("延迟　16 ms（抖动 ±1.2 ms）\n" + QString::fromUtf8(c.line) + "评级　"))
            << text.toStdString();
        const QJsonObject object =
            QJsonDocument::fromJson(SpeedtestReport::resultJson(result, 1700000000)).object();
        EXPECT_EQ(object.size(), 20);
        EXPECT_EQ(object["loadedDownMs"], c.down ? QJsonValue(*c.down) : QJsonValue::Null);
        EXPECT_EQ(object["loadedUpMs"], c.up ? QJsonValue(*c.up) : QJsonValue::Null);
        ASSERT_TRUE(object.contains("bloatMs"));
        if (c.bloat.isDouble())
            EXPECT_NEAR(object["bloatMs"].toDouble(), c.bloat.toDouble(), 1e-9);
        else
            EXPECT_TRUE(object["bloatMs"].isNull());
        EXPECT_EQ(object["bloatGrade"], c.grade);
        ASSERT_TRUE(object.contains("rpm"));
        if (c.rpm.isDouble())
            EXPECT_NEAR(object["rpm"].toDouble(), c.rpm.toDouble(), 1e-9);
        else
            EXPECT_TRUE(object["rpm"].isNull());
    }
}

} // namespace
