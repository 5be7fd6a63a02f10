#include "speedtest/core/SpeedTestRecord.h"

#include "support/ScopedTimeZone.h"

#include <QJsonDocument>

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

SpeedTestRecord fromJsonText(const char* json) {
    return SpeedTestRecord::fromJson(QJsonDocument::fromJson(json).object());
}

// 14 March, 09:26:53 local time.
SpeedTestRecord workedExample() {
    SpeedTestRecord record;
    record.ts = double(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)).toMSecsSinceEpoch()) / 1000;
    record.downMbps = 312.44;
    record.upMbps = 41.2;
    record.latencyMs = 17.6;
    record.jitterMs = 2.3;
    record.grade = QStringLiteral("优秀");
    record.downNode = QStringLiteral("清华 TUNA");
    record.upNode = QStringLiteral("中科大 USTC");
    record.iface = QStringLiteral("en0");
    record.ipv4 = QStringLiteral("192.168.1.23");
    record.publicIP = QStringLiteral("203.0.113.7");
    return record;
}

TEST(SpeedTestRecordText, WorkedExampleByteForByte) {
    const SpeedTestRecord record = workedExample();
    EXPECT_EQ(record.csvLine().toStdString(), "03-14 09:26:53,312.4,41.2,18,2.3,优秀,清华 TUNA,"
                                              "中科大 USTC,en0,,192.168.1.23,,203.0.113.7");
    EXPECT_EQ(record.identityLine().toStdString(),
              "MAC — · 192.168.1.23 · 公网 203.0.113.7 · en0 · 清华 TUNA");
    EXPECT_EQ(record.pingText().toStdString(), "⏱ 18 ms ±2.3");
    EXPECT_EQ(record.tooltip().toStdString(), "时间　03-14 09:26:53\n"
                                              "下载　312.4 Mbps\n"
                                              "上传　41.2 Mbps\n"
                                              "延迟　18 ms（抖动 ±2.3 ms）\n"
                                              "评级　优秀\n"
                                              "节点　清华 TUNA / 中科大 USTC\n"
                                              "网卡　en0\n"
                                              "MAC　—\n"
                                              "本地 IPv4　192.168.1.23\n"
                                              "本地 IPv6　—\n"
                                              "公网 IP　203.0.113.7\n"
                                              "负载延迟　下载时 -- · 上传时 --");
}

TEST(SpeedTestRecordText, DefaultRecordForms) {
    const SpeedTestRecord record = fromJsonText("{}");
    EXPECT_EQ(record, SpeedTestRecord());
    {
        const ScopedTimeZone shanghai("Asia/Shanghai"); // UTC+8 all year
        EXPECT_EQ(record.timeText().toStdString(), "01-01 08:00:00");
    }
    EXPECT_EQ(record.pingText().toStdString(), "⏱ --");
    EXPECT_EQ(record.identityLine().toStdString(), "MAC — · IP —");
    const QStringList lines = record.tooltip().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[3].toStdString(), "延迟　0 ms（抖动 ±0.0 ms）");
    EXPECT_EQ(lines[5].toStdString(), "节点　");
    EXPECT_EQ(lines[6].toStdString(), "网卡　");
    EXPECT_EQ(record.csvLine().section(QLatin1Char(','), 1).toStdString(), "0.0,0.0,0,0.0,,,,,,,,");
}

TEST(SpeedTestRecordText, TooltipNodeLineWithoutUploadNode) {
    SpeedTestRecord record;
    record.downNode = QStringLiteral("华为云镜像");
    EXPECT_EQ(record.tooltip().split(QLatin1Char('\n'))[5].toStdString(), "节点　华为云镜像");
}

TEST(SpeedTestRecordText, PingTextNeedsPositiveLatency) {
    SpeedTestRecord record;
    record.jitterMs = 3;
    EXPECT_EQ(record.pingText().toStdString(), "⏱ --");
    record.latencyMs = -1;
    EXPECT_EQ(record.pingText().toStdString(), "⏱ --");
    record.latencyMs = 0.4;
    EXPECT_EQ(record.pingText().toStdString(), "⏱ 0 ms ±3.0");
}

TEST(SpeedTestRecordText, ShortenIP) {
    EXPECT_EQ(SpeedTestRecord::shortenIP(QStringLiteral("203.0.113.7")), "203.0.113.7");
    EXPECT_EQ(SpeedTestRecord::shortenIP(QStringLiteral("2001:db8:85a3::1")), "2001:db8:…");
    EXPECT_EQ(SpeedTestRecord::shortenIP(QStringLiteral("::1")), "::1…");
    EXPECT_EQ(SpeedTestRecord::shortenIP(QStringLiteral("fe80:::::::::::::")), "fe80::::::…");
    EXPECT_EQ(SpeedTestRecord::shortenIP(QString()), "");
}

TEST(SpeedTestRecordText, PublicIPv6ShortenedOnlyInIdentityLine) {
    SpeedTestRecord record;
    record.mac = QStringLiteral("AA:BB:CC:DD:EE:FF");
    record.publicIP = QStringLiteral("2001:db8:85a3::1");
    EXPECT_EQ(record.identityLine().toStdString(), "AA:BB:CC:DD:EE:FF · IP — · 公网 2001:db8:…");
    EXPECT_EQ(record.tooltip().split(QLatin1Char('\n'))[10],
              QStringLiteral("公网 IP　2001:db8:85a3::1"));
}

TEST(SpeedTestRecordCsv, EscapesCommaQuoteAndLineBreaks) {
    const struct {
        const char* value;
        const char* cell;
    } cases[] = {
        {"", ""},
        {"plain node", "plain node"},
        {"北京, 教育网", "\"北京, 教育网\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        // A bare line break would split the record across two rows.
        {"line\nbreak", "\"line\nbreak\""},
        {"carriage\rreturn", "\"carriage\rreturn\""},
        {"crlf\r\n", "\"crlf\r\n\""},
    };
    for (const auto& c : cases) {
        SpeedTestRecord record;
        record.downNode = QString::fromUtf8(c.value);
        record.publicIP = QString::fromUtf8(c.value);
        const QString expected =
            record.timeText() +
            QStringLiteral(",0.0,0.0,0,0.0,,%1,,,,,,%1").arg(QString::fromUtf8(c.cell));
        EXPECT_EQ(record.csvLine(), expected) << c.value;
    }
}

TEST(SpeedTestRecordCsv, TimeAndNumbersNeverQuoted) {
    SpeedTestRecord record = workedExample();
    record.downMbps = 1234567.89;
    EXPECT_TRUE(record.csvLine().startsWith(QStringLiteral("03-14 09:26:53,1234567.9,41.2,")));
}

TEST(SpeedTestRecordJson, ReadsToleratingWrongTypes) {
    const SpeedTestRecord record = fromJsonText(
        R"({"ts": 1700000000, "downMbps": 93, "upMbps": "41.2", "latencyMs": null,
            "jitterMs": "1.25", "grade": 5, "downNode": "华为云镜像", "upNode": ["x"],
            "iface": {"a": 1}, "mac": true, "ipv4": "10.0.0.2", "ipv6": "", "future": 1})");
    EXPECT_EQ(record.ts, 1700000000.0);
    EXPECT_EQ(record.downMbps, 93.0);
    EXPECT_EQ(record.upMbps, 0.0);
    EXPECT_EQ(record.latencyMs, 0.0);
    EXPECT_EQ(record.jitterMs, 0.0);
    EXPECT_EQ(record.grade, "");
    EXPECT_EQ(record.downNode, "华为云镜像");
    EXPECT_EQ(record.upNode, "");
    EXPECT_EQ(record.iface, "");
    EXPECT_EQ(record.mac, "");
    EXPECT_EQ(record.ipv4, "10.0.0.2");
    EXPECT_EQ(record.publicIP, "");
}

QJsonObject written(const SpeedTestRecord& record) {
    QByteArray bytes;
    record.appendJson(bytes);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << bytes.toStdString();
    EXPECT_FALSE(bytes.contains('\n'));
    return document.object();
}

TEST(SpeedTestRecordJson, WritesAllThirteenKeysAndRoundTrips) {
    SpeedTestRecord record = workedExample();
    record.ts += 0.123456;
    const QJsonObject object = written(record);
    EXPECT_EQ(object.keys(),
              (QStringList{"downMbps", "downNode", "grade", "iface", "ipv4", "ipv6", "jitterMs",
                           "latencyMs", "mac", "publicIP", "ts", "upMbps", "upNode"}));
    EXPECT_TRUE(object.value(QLatin1String("mac")).isString());
    EXPECT_EQ(object.value(QLatin1String("mac")).toString(), "");
    EXPECT_TRUE(object.value(QLatin1String("ts")).isDouble());
    EXPECT_EQ(SpeedTestRecord::fromJson(object), record);
}

TEST(SpeedTestRecordJson, AnyTextAndFigureSurvivesTheFile) {
    SpeedTestRecord record;
    record.ts = 1765000000.123456789;
    record.downMbps = 0.1 + 0.2;
    record.upMbps = 1e-300;
    record.latencyMs = 123456789012345.0;
    record.jitterMs = -0.0;
    record.grade = QStringLiteral("quote \" backslash \\ slash /");
    record.downNode =
        QStringLiteral("tab\tnewline\ncr\rbell\x07nul") + QChar(0) + QStringLiteral("end");
    record.upNode = QStringLiteral("中科大 USTC ⚡ 😀 \u2028\u2029");
    record.iface = QString(QChar(0x1F));
    record.mac = QStringLiteral("\x7f");
    const SpeedTestRecord back = SpeedTestRecord::fromJson(written(record));
    EXPECT_EQ(back, record);
    EXPECT_EQ(back.downMbps, 0.1 + 0.2);
    EXPECT_EQ(back.downNode.size(), record.downNode.size());
}

// Half a surrogate pair in the file cannot be written back as UTF-8: it reads as U+FFFD.
TEST(SpeedTestRecordJson, ALoneSurrogateReadsAsTheReplacementCharacterAndStaysSo) {
    const QJsonObject object =
        QJsonDocument::fromJson(R"({"downNode": "华\ud800为", "upNode": "\udfff\ud83d\ude00"})")
            .object();
    const SpeedTestRecord record = SpeedTestRecord::fromJson(object);
    EXPECT_EQ(record.downNode, QStringLiteral("华\uFFFD为"));
    EXPECT_EQ(record.upNode, QStringLiteral("\uFFFD😀"));
    EXPECT_EQ(SpeedTestRecord::fromJson(written(record)), record);
}

TEST(SpeedTestRecordJson, NonFiniteFiguresAreWrittenAsZero) {
    SpeedTestRecord record;
    record.downMbps = std::numeric_limits<double>::quiet_NaN();
    record.upMbps = -std::numeric_limits<double>::infinity();
    const QJsonObject object = written(record);
    EXPECT_EQ(object.value(QLatin1String("downMbps")).toDouble(-1), 0.0);
    EXPECT_EQ(object.value(QLatin1String("upMbps")).toDouble(-1), 0.0);
}

TEST(SpeedTestRecordJson, NonFiniteFiguresBecomeZero) {
    SpeedTestRecord record = workedExample();
    record.downMbps = std::numeric_limits<double>::quiet_NaN();
    record.upMbps = std::numeric_limits<double>::infinity();
    record.jitterMs = -std::numeric_limits<double>::infinity();
    record.zeroNonFiniteFigures();
    EXPECT_EQ(record.downMbps, 0.0);
    EXPECT_EQ(record.upMbps, 0.0);
    EXPECT_EQ(record.jitterMs, 0.0);
    EXPECT_EQ(record.latencyMs, 17.6);
    EXPECT_EQ(record.grade, "优秀");
}

TEST(SpeedTestRecordJson, HostileTimeStampsStillFormat) {
    for (double ts : {1e300, -1e300, std::numeric_limits<double>::quiet_NaN()}) {
        SpeedTestRecord record;
        record.ts = ts;
        EXPECT_EQ(record.timeText().size(), 14) << ts;
    }
}

} // namespace

namespace {

TEST(SpeedTestRecordFromResult, CopiesFiguresTextsAndGrade) {
    SpeedTestResult result;
    result.latencyMs = 17.6;
    result.jitterMs = 2.3;
    result.downMbps = 312.44;
    result.upMbps = 41.2;
    result.downNode = QStringLiteral("清华 TUNA");
    result.downNodeDetail = QStringLiteral("北京 · 教育网");
    result.upNode = QStringLiteral("中科大 USTC");
    result.networkInfo = QStringLiteral("出口 CN · CF HKG · 203.0.113.7");
    result.iface = QStringLiteral("en0");
    result.ipv4 = QStringLiteral("192.168.1.23");
    result.publicIP = QStringLiteral("203.0.113.7");
    SpeedTestRecord expected = workedExample();
    const SpeedTestRecord record = SpeedTestRecord::fromResult(result, expected.ts);
    EXPECT_EQ(record, expected);

    result.downMbps = 0;
    EXPECT_EQ(SpeedTestRecord::fromResult(result, 0).grade, "--");
    result.downMbps = 20;
    EXPECT_EQ(SpeedTestRecord::fromResult(result, 0).grade, "够用");
}

TEST(SpeedTestRecordFromResult, NonFiniteFiguresAreKeptAsZero) {
    SpeedTestResult result;
    result.downMbps = std::numeric_limits<double>::infinity();
    result.upMbps = std::numeric_limits<double>::quiet_NaN();
    result.latencyMs = 12;
    const SpeedTestRecord record =
        SpeedTestRecord::fromResult(result, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(record.downMbps, 0.0);
    EXPECT_EQ(record.upMbps, 0.0);
    EXPECT_EQ(record.ts, 0.0);
    EXPECT_EQ(record.latencyMs, 12.0);
    EXPECT_EQ(record.grade, "--");
}

} // namespace
