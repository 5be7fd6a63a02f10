#include "speedtest/core/SpeedTestHistoryFile.h"
#include "speedtest/core/SpeedTestRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <limits>

namespace {

const QByteArray kOlderRecord =
    R"({"ts":1700000000.5,"downMbps":93.46,"upMbps":41.2,"latencyMs":16,"jitterMs":1.25,)"
    R"("grade":"良好","downNode":"华为云镜像","upNode":"中科大 USTC","iface":"eth0","mac":"",)"
    R"("ipv4":"192.168.1.23","ipv6":"","publicIP":""})";

SpeedTestRecord recordWith(std::optional<double> down, std::optional<double> up) {
    SpeedTestRecord record =
        SpeedTestRecord::fromJson(QJsonDocument::fromJson(kOlderRecord).object());
    record.loadedDownMs = down;
    record.loadedUpMs = up;
    return record;
}

// A record of an older version goes through the file unchanged, byte for byte.
TEST(SpeedTestLoadedRecord, OlderRecordRoundTripsWithoutTheNewKeys) {
    const auto decoded = SpeedTestHistoryFile::decode("[" + kOlderRecord + "]");
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 1);
    EXPECT_EQ((*decoded)[0].loadedDownMs, std::nullopt);
    EXPECT_EQ((*decoded)[0].loadedUpMs, std::nullopt);
    EXPECT_EQ(SpeedTestHistoryFile::encode(*decoded), "[" + kOlderRecord + "]");
    EXPECT_TRUE((*decoded)[0].tooltip().endsWith("\n负载延迟　下载时 -- · 上传时 --"));
}

TEST(SpeedTestLoadedRecord, NewKeysRoundTripAndOlderReadersSeeOnlyExtraKeys) {
    const QList<SpeedTestRecord> records{recordWith(38.5, 52), recordWith(std::nullopt, 2000)};
    const QByteArray bytes = SpeedTestHistoryFile::encode(records);
    const auto decoded = SpeedTestHistoryFile::decode(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, records);

    const QJsonArray array = QJsonDocument::fromJson(bytes).array();
    const QJsonObject first = array[0].toObject();
    EXPECT_EQ(first.size(), 15); // the thirteen keys stay as they were
    EXPECT_EQ(first["loadedDownMs"].toDouble(), 38.5);
    EXPECT_EQ(first["loadedUpMs"].toDouble(), 52);
    EXPECT_EQ(first["latencyMs"].toDouble(), 16);
    const QJsonObject second = array[1].toObject();
    EXPECT_EQ(second.size(), 14);
    EXPECT_FALSE(second.contains("loadedDownMs"));
    EXPECT_EQ(second["loadedUpMs"].toDouble(), 2000);
}

TEST(SpeedTestLoadedRecord, BadValuesReadAsMissing) {
    const char* cases[] = {
        R"({"loadedDownMs":"38","loadedUpMs":null})",
        R"({"loadedDownMs":[38],"loadedUpMs":{"ms":52}})",
        R"({"loadedDownMs":true,"loadedUpMs":false})",
    };
    for (const char* json : cases) {
        const SpeedTestRecord record =
            SpeedTestRecord::fromJson(QJsonDocument::fromJson(json).object());
        EXPECT_EQ(record.loadedDownMs, std::nullopt) << json;
        EXPECT_EQ(record.loadedUpMs, std::nullopt) << json;
    }
}

TEST(SpeedTestLoadedRecord, FromResultKeepsFiniteFiguresOnly) {
    SpeedTestResult result;
    result.downMbps = 93.46;
    result.loadedDownMs = 38;
    result.loadedUpMs = std::numeric_limits<double>::infinity();
    const SpeedTestRecord record = SpeedTestRecord::fromResult(result, 1700000000);
    EXPECT_EQ(record.loadedDownMs, 38.0);
    EXPECT_EQ(record.loadedUpMs, std::nullopt);
    QByteArray json;
    record.appendJson(json);
    EXPECT_TRUE(QJsonDocument::fromJson(json).isObject()) << json.toStdString();
}

TEST(SpeedTestLoadedRecord, TooltipShowsThemAndCsvKeepsItsThirteenCells) {
    const struct {
        std::optional<double> down, up;
        const char* line;
    } cases[] = {
        {38.4, 52.6, "负载延迟　下载时 38 ms · 上传时 53 ms"},
        {38.4, std::nullopt, "负载延迟　下载时 38 ms · 上传时 --"},
        {std::nullopt, 2000, "负载延迟　下载时 -- · 上传时 2000 ms"},
    };
    const QString olderCsv = recordWith(std::nullopt, std::nullopt).csvLine();
    for (const auto& c : cases) {
        const SpeedTestRecord record = recordWith(c.down, c.up);
        const QStringList lines = record.tooltip().split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 12);
        EXPECT_EQ(lines[11].toStdString(), c.line);
        EXPECT_EQ(record.csvLine(), olderCsv);
    }
    EXPECT_EQ(SpeedTestRecord::csvHeader.count(QLatin1Char(',')), 12);
}

} // namespace
