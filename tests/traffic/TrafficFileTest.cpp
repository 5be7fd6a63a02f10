#include "traffic/core/TrafficFile.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr quint64 kMax = std::numeric_limits<quint64>::max();

TrafficData parsed(const char* text) {
    const std::optional<TrafficData> data = TrafficFile::parse(QByteArrayView(text));
    EXPECT_TRUE(data.has_value()) << text;
    return data.value_or(TrafficData());
}

TEST(TrafficFileLoad, ReadsTheLayout) {
    const TrafficData data = parsed(R"({
        "2026-12-05": {"totalIn": 100, "totalOut": 20,
                       "apps": {"firefox": {"in": 70, "out": 9}, "com.example.app": {"in": 0, "out": 0}}},
        "2026-12-06": {"totalIn": 5, "totalOut": 6, "apps": {}}
    })");
    ASSERT_EQ(data.size(), 2u);
    const DailyTraffic& first = data.at(QStringLiteral("2026-12-05"));
    EXPECT_EQ(first.totalIn, 100u);
    EXPECT_EQ(first.totalOut, 20u);
    EXPECT_EQ(first.apps.at(QStringLiteral("firefox")), (AppTraffic{70, 9}));
    EXPECT_EQ(first.apps.at(QStringLiteral("com.example.app")), (AppTraffic{0, 0}));
    EXPECT_TRUE(data.at(QStringLiteral("2026-12-06")).apps.empty());
}

TEST(TrafficFileLoad, UnreadableTextIsRejectedAsAWhole) {
    for (const char* text : {"",
                             "   ",
                             "not json",
                             "[]",
                             "[{\"2026-12-06\": {}}]",
                             "12",
                             "\"x\"",
                             "null",
                             "{",
                             "{\"a\": 1",
                             "{\"a\": 1,}",
                             "{\"a\" 1}",
                             "{} {}",
                             "{\"a\": [1, 2,]}",
                             "{\"a\": 01}",
                             "{\"a\": 1.}",
                             "{\"a\": .5}",
                             "{\"a\": +1}",
                             "{\"a\": tru}",
                             "{\"a\": \"\\x\"}",
                             "{\"a\": \"\x01\"}",
                             "{\"a\": \"\\u12G4\"}",
                             "{\"2026-12-06\": {\"totalIn\": 1e}}"}) {
        EXPECT_FALSE(TrafficFile::parse(QByteArrayView(text)).has_value()) << text;
    }
}

TEST(TrafficFileLoad, DeepNestingIsRejectedWithoutCrashing) {
    const QByteArray deep = "{\"a\": " + QByteArray(100000, '[') + QByteArray(100000, ']') + "}";
    EXPECT_FALSE(TrafficFile::parse(deep).has_value());
    const QByteArray moderate = "{\"a\": " + QByteArray(50, '[') + QByteArray(50, ']') + "}";
    EXPECT_TRUE(TrafficFile::parse(moderate).has_value());
}

TEST(TrafficFileLoad, DaysThatAreNotObjectsAreSkippedOthersKept) {
    const TrafficData data = parsed(R"({"2026-12-01": 5, "2026-12-02": [1], "2026-12-03": null,
        "2026-12-04": "x", "2026-12-05": {"totalIn": 1}, "not a date": {"totalOut": 2}})");
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data.at(QStringLiteral("2026-12-05")).totalIn, 1u);
    EXPECT_EQ(data.at(QStringLiteral("2026-12-05")).totalOut, 0u);
    EXPECT_EQ(data.at(QStringLiteral("not a date")).totalOut, 2u);
}

TEST(TrafficFileLoad, AppsMissingOrNotAnObjectGiveNoApplications) {
    const TrafficData data = parsed(R"({"a": {"totalIn": 1}, "b": {"apps": [1, 2]},
        "c": {"apps": "x"}, "d": {"apps": {"ok": {"in": 3}, "bad": 4, "worse": [5], "nul": null}}})");
    EXPECT_TRUE(data.at(QStringLiteral("a")).apps.empty());
    EXPECT_TRUE(data.at(QStringLiteral("b")).apps.empty());
    EXPECT_TRUE(data.at(QStringLiteral("c")).apps.empty());
    const auto& apps = data.at(QStringLiteral("d")).apps;
    ASSERT_EQ(apps.size(), 1u);
    EXPECT_EQ(apps.at(QStringLiteral("ok")), (AppTraffic{3, 0}));
}

TEST(TrafficFileLoad, CountsThatAreNotNonNegativeIntegersReadZero) {
    struct Case {
        const char* value;
        quint64 expected;
    };
    const Case cases[] = {
        {"\"12\"", 0},
        {"12.5", 0},
        {"0.1", 0},
        {"1e-1", 0},
        {"-1", 0},
        {"-9223372036854775808", 0},
        {"-0", 0},
        {"true", 0},
        {"null", 0},
        {"{}", 0},
        {"[12]", 0},
        {"18446744073709551616", 0}, // 2^64
        {"99999999999999999999999", 0},
        {"1e400", 0},
        {"12", 12},
        {"0", 0},
        {"12.0", 12},
        {"1.5e1", 15},
        {"2E3", 2000},
        {"1000e-3", 1},
        {"18446744073709551615", 18446744073709551615ull},
        {"9007199254740993", 9007199254740993ull}, // 2^53 + 1, not a double
        {"0.000e999999999999999999", 0},
    };
    for (const Case& c : cases) {
        const QByteArray text = QByteArrayLiteral("{\"d\": {\"totalIn\": ") + c.value +
                                QByteArrayLiteral(", \"apps\": {\"x\": {\"out\": ") + c.value +
                                QByteArrayLiteral("}}}}");
        const std::optional<TrafficData> data = TrafficFile::parse(text);
        ASSERT_TRUE(data.has_value()) << text.constData();
        EXPECT_EQ(data->at(QStringLiteral("d")).totalIn, c.expected) << c.value;
        EXPECT_EQ(data->at(QStringLiteral("d")).apps.at(QStringLiteral("x")).bytesOut, c.expected)
            << c.value;
    }
}

TEST(TrafficFileLoad, EscapedAndNonAsciiNamesDecode) {
    const TrafficData data = parsed("{\"d\": {\"apps\": {\"\xe5\xbe\xae\xe4\xbf\xa1\": {\"in\": 1},"
                                    " \"a\\\"b\\\\c\\/\\u00e9\\ud83d\\ude00\\n\": {\"in\": 2}}}}");
    const auto& apps = data.at(QStringLiteral("d")).apps;
    EXPECT_EQ(apps.at(QStringLiteral("微信")).bytesIn, 1u);
    EXPECT_EQ(apps.at(QStringLiteral("a\"b\\c/é😀\n")).bytesIn, 2u);
}

// A name with half a surrogate pair cannot be written back as UTF-8: it is read as U+FFFD, so
// what was loaded is exactly what the next save and load give.
TEST(TrafficFileLoad, ALoneSurrogateReadsAsTheReplacementCharacterAndStaysSo) {
    const TrafficData data =
        parsed(R"({"d": {"apps": {"ht\ud800tp": {"in": 1}, "x\udc00": {"in": 2},
                                       "\ud800\ud800": {"in": 3}, "\ud83d\ude00": {"in": 4}}}})");
    const auto& apps = data.at(QStringLiteral("d")).apps;
    EXPECT_EQ(apps.at(QStringLiteral("ht\uFFFDtp")).bytesIn, 1u);
    EXPECT_EQ(apps.at(QStringLiteral("x\uFFFD")).bytesIn, 2u);
    EXPECT_EQ(apps.at(QStringLiteral("\uFFFD\uFFFD")).bytesIn, 3u);
    EXPECT_EQ(apps.at(QStringLiteral("😀")).bytesIn, 4u);
    EXPECT_EQ(TrafficFile::parse(TrafficFile::serialize(data)), data);
}

TEST(TrafficFileLoad, LaterDuplicateMembersWin) {
    const TrafficData data =
        parsed(R"({"d": {"totalIn": 1, "totalIn": 2, "apps": {"x": {"in": 1}}, "apps": {}},
                   "e": {"totalIn": 7}, "e": {"totalOut": 8}})");
    EXPECT_EQ(data.at(QStringLiteral("d")).totalIn, 2u);
    EXPECT_TRUE(data.at(QStringLiteral("d")).apps.empty());
    EXPECT_EQ(data.at(QStringLiteral("e")), (DailyTraffic{0, 8, {}}));
}

TEST(TrafficFileSave, RoundTripsExactCountsAndEveryEntry) {
    TrafficData data;
    data[QStringLiteral("2026-12-06")] =
        DailyTraffic{kMax,
                     (quint64(1) << 63) + 1,
                     {{QStringLiteral("zero"), {0, 0}},
                      {QStringLiteral("big"), {kMax - 1, (quint64(1) << 53) + 1}},
                      {QStringLiteral("a \"quoted\"\\\n\t\x01 微信"), {1, 2}}}};
    data[QStringLiteral("2026-12-07")] = DailyTraffic{};
    data[QStringLiteral("not a date")] = DailyTraffic{3, 4, {}};
    const QByteArray text = TrafficFile::serialize(data);
    const std::optional<TrafficData> back = TrafficFile::parse(text);
    ASSERT_TRUE(back.has_value()) << text.constData();
    EXPECT_EQ(*back, data);
    EXPECT_TRUE(text.contains("\"totalIn\": 18446744073709551615"));
    EXPECT_TRUE(text.contains("\"totalOut\": 9223372036854775809"));
    EXPECT_TRUE(text.contains("\"out\": 9007199254740993"));
}

TEST(TrafficFileSave, WritesIndentedLayoutOneMemberPerLine) {
    TrafficData data;
    data[QStringLiteral("2026-12-06")] =
        DailyTraffic{10, 20, {{QStringLiteral("firefox"), {7, 8}}}};
    data[QStringLiteral("2026-12-07")] = DailyTraffic{1, 2, {}};
    EXPECT_EQ(TrafficFile::serialize(data).toStdString(), R"({
  "2026-12-06": {
    "apps": {
      "firefox": {
        "in": 7,
        "out": 8
      }
    },
    "totalIn": 10,
    "totalOut": 20
  },
  "2026-12-07": {
    "apps": {},
    "totalIn": 1,
    "totalOut": 2
  }
}
)");
    EXPECT_EQ(TrafficFile::serialize({}), "{}\n");
}

} // namespace
