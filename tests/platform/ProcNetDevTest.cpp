#include "platform/ProcNetDev.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray fixture() {
    QFile file(QStringLiteral(VORN_FIXTURES "/platform/proc_net_dev.txt"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ProcNetDev, ParsesEveryWellFormedLine) {
    const auto counters = parseProcNetDev(fixture());
    ASSERT_TRUE(counters.has_value());
    const std::vector<InterfaceCounter> expected = {
        {"lo", 8473921, 8473921},
        {"enp3s0", 8589934592000ull, 4294967297ull}, // beyond 32 bits, no space after the colon
        {"wlp2s0", 0, 0},                            // a down interface
        {"docker0", 1024, 2048},
    };
    EXPECT_EQ(*counters, expected);
}

TEST(ProcNetDev, RejectsTextWithoutHeader) {
    EXPECT_FALSE(parseProcNetDev("").has_value());
    EXPECT_FALSE(parseProcNetDev("eth0: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n").has_value());
}

TEST(ProcNetDev, OddLinesAreSkipped) {
    const QByteArray text = "h|\nh|\n"
                            ": 1 2 3 4 5 6 7 8 9\n"                        // no name
                            "neg: -1 2 3 4 5 6 7 8 9\n"                    // negative
                            "huge: 99999999999999999999 2 3 4 5 6 7 8 9\n" // over 64 bits
                            "ok: 1 2 3 4 5 6 7 8 9"; // last line without newline
    const auto counters = parseProcNetDev(text);
    ASSERT_TRUE(counters.has_value());
    ASSERT_EQ(counters->size(), 1u);
    EXPECT_EQ(counters->front(), (InterfaceCounter{"ok", 1, 9}));
}

} // namespace
