#include "platform/HelperReport.h"

#include <gtest/gtest.h>

namespace {

using Processes = std::vector<HelperProcessCounts>;

TEST(HelperAnswer, EndsAtTheFirstEmptyLine) {
    EXPECT_EQ(helperAnswerLength("\n"), 1);
    EXPECT_EQ(helperAnswerLength("1 a 2 3\n\n"), 9);
    EXPECT_EQ(helperAnswerLength("1 a 2 3\n\n4 b 5 6\n\n"), 9);
    EXPECT_EQ(helperAnswerLength("1 a 2 3\n"), std::nullopt);
    EXPECT_EQ(helperAnswerLength("1 a 2 3\n4 b"), std::nullopt);
    EXPECT_EQ(helperAnswerLength(""), std::nullopt);
}

TEST(HelperAnswer, ReadsProcessesWithNamesThatHoldBlanks) {
    const auto processes = parseHelperAnswer("2817 firefox 123456 7890\n"
                                             "3001 Isolated Web Co 18446744073709551615 0\n"
                                             "4 spaced  2 3\n"
                                             "4294967295 max 0 0\n"
                                             "\n");
    EXPECT_EQ(processes,
              (Processes{{2817, QStringLiteral("firefox"), 123456, 7890},
                         {3001, QStringLiteral("Isolated Web Co"), 18446744073709551615ull, 0},
                         {4, QStringLiteral("spaced"), 2, 3},
                         {4294967295u, QStringLiteral("max"), 0, 0}}));
    EXPECT_EQ(parseHelperAnswer("\n"), Processes{});
}

TEST(HelperAnswer, NamesAreUtf8AndBlankNamesArePassedOver) {
    EXPECT_EQ(parseHelperAnswer("7 \xe6\xb5\x8f\xe8\xa7\x88\xe5\x99\xa8 1 2\n8     3 4\n\n"),
              (Processes{{7, QStringLiteral("浏览器"), 1, 2}}));
}

TEST(HelperAnswer, AnyMalformedLineMakesTheWholeAnswerUntrusted) {
    const char* answers[] = {
        "1 a 2\n\n",                      // a count missing
        "1 2 3\n\n",                      // no name
        "x a 2 3\n\n",                    // pid not a number
        "-1 a 2 3\n\n",                   // signed
        "1 a +2 3\n\n",                   // signed count
        "1 a 2 3.5\n\n",                  // fraction
        "1 a 2 18446744073709551616\n\n", // above 64 bits
        "4294967296 a 2 3\n\n",           // pid above 32 bits
        "1 a\tb 2 3\n\n",                 // control character in the name
        "1 a 2 3 \n\n",                   // trailing blank
        " 1 a 2 3\n\n",                   // leading blank
        "1 a 2 3\n1 a 4 5\n\n",           // one process twice
        "1 a 2 3\r\n\n",                  // carriage return
        "1 a 2 3\n",                      // not ended by an empty line
        "hello\n\n",
    };
    for (const char* answer : answers)
        EXPECT_EQ(parseHelperAnswer(answer), std::nullopt) << answer;
}

} // namespace
