#include "speedtest/core/SpeedTestHistoryMerge.h"

#include <limits>

#include <gtest/gtest.h>

namespace {

using SpeedTestHistoryMerge::merged;
using SpeedTestHistoryMerge::sameTest;
using SpeedTestHistoryMerge::without;

SpeedTestRecord test(double ts, const char* node = "") {
    SpeedTestRecord record;
    record.ts = ts;
    record.downMbps = 100;
    record.upMbps = 40;
    record.latencyMs = 12;
    record.jitterMs = 1.5;
    record.downNode = QString::fromUtf8(node);
    return record;
}

QList<double> stamps(const QList<SpeedTestRecord>& records) {
    QList<double> result;
    for (const SpeedTestRecord& record : records)
        result << record.ts;
    return result;
}

TEST(SpeedTestHistoryMerge, ATestIsItsTimeAndFigures) {
    const SpeedTestRecord base = test(1700000000.125);
    const auto with = [&](double SpeedTestRecord::*figure, double value) {
        SpeedTestRecord record = base;
        record.*figure = value;
        return record;
    };
    SpeedTestRecord otherTexts = base;
    otherTexts.grade = QStringLiteral("优秀");
    otherTexts.publicIP = QStringLiteral("203.0.113.7");
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        SpeedTestRecord a;
        SpeedTestRecord b;
        bool same;
    } cases[] = {
        {"identical", base, base, true},
        {"texts do not count", base, otherTexts, true},
        {"infinity is stored as 0", with(&SpeedTestRecord::jitterMs, inf),
         with(&SpeedTestRecord::jitterMs, 0), true},
        {"-0 is 0", with(&SpeedTestRecord::jitterMs, -0.0), with(&SpeedTestRecord::jitterMs, 0),
         true},
        {"a millisecond apart", base, with(&SpeedTestRecord::ts, 1700000000.126), false},
        {"another download figure", base, with(&SpeedTestRecord::downMbps, 100.05), false},
        {"another upload figure", base, with(&SpeedTestRecord::upMbps, 41), false},
        {"another latency", base, with(&SpeedTestRecord::latencyMs, 13), false},
        {"another jitter", base, with(&SpeedTestRecord::jitterMs, 1.6), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sameTest(c.a, c.b), c.same) << c.what;
}

TEST(SpeedTestHistoryMerge, MergedKeepsNewestFirstAndEachTestOnce) {
    const struct {
        const char* what;
        QList<double> stored;
        QList<double> added;
        QList<double> expected;
    } cases[] = {
        {"nothing", {}, {}, {}},
        {"one new test in front", {20, 10}, {30}, {30, 20, 10}},
        {"only new tests", {}, {30, 20}, {30, 20}},
        {"a test not yet written slots in by time", {40, 20, 10}, {30}, {40, 30, 20, 10}},
        {"already stored tests appear once", {30, 20, 10}, {30, 20}, {30, 20, 10}},
        {"a tie puts the added one first", {20, 10}, {20.5, 20}, {20.5, 20, 10}},
        {"the stored order stays even when time went back", {10, 50, 5}, {60}, {60, 10, 50, 5}},
    };
    for (const auto& c : cases) {
        QList<SpeedTestRecord> stored;
        QList<SpeedTestRecord> added;
        for (double ts : c.stored)
            stored << test(ts, "stored");
        for (double ts : c.added)
            added << test(ts, "added");
        const QList<SpeedTestRecord> result = merged(stored, added);
        EXPECT_EQ(stamps(result), c.expected) << c.what;
    }
}

TEST(SpeedTestHistoryMerge, AStoredTestWinsOverItsUnsavedCopy) {
    const QList<SpeedTestRecord> result =
        merged({test(20, "from the file")}, {test(20, "from memory"), test(30, "new")});
    ASSERT_EQ(result.size(), 2);
    EXPECT_EQ(result[0].downNode, "new");
    EXPECT_EQ(result[1].downNode, "from the file");
}

TEST(SpeedTestHistoryMerge, WithoutRemovesExactlyTheShownTests) {
    const QList<SpeedTestRecord> file = {test(50), test(40), test(30), test(20), test(10)};
    EXPECT_EQ(stamps(without(file, {})), (QList<double>{50, 40, 30, 20, 10}));
    EXPECT_EQ(stamps(without(file, {test(40), test(10)})), (QList<double>{50, 30, 20}));
    EXPECT_EQ(stamps(without(file, {test(35)})), (QList<double>{50, 40, 30, 20, 10}));
    EXPECT_EQ(stamps(without(file, file)), QList<double>{});
}

} // namespace
