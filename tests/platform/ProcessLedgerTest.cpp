#include "platform/ProcessLedger.h"

#include <gtest/gtest.h>

namespace {

using Report = std::vector<HelperProcessCounts>;

AppSample updated(ProcessLedger& ledger, const Report& report) {
    ledger.update(report);
    return ledger.sample();
}

TEST(ProcessLedger, ProcessesOfOneNameAreSummed) {
    ProcessLedger ledger;
    EXPECT_EQ(updated(ledger, {{10, QStringLiteral("chrome"), 100, 10},
                               {11, QStringLiteral("chrome"), 50, 5},
                               {12, QStringLiteral("curl"), 1, 2}}),
              (AppSample{{QStringLiteral("chrome"), {150, 15}}, {QStringLiteral("curl"), {1, 2}}}));
}

TEST(ProcessLedger, AnEndedProcessStaysBookedToItsName) {
    ProcessLedger ledger;
    updated(ledger,
            {{10, QStringLiteral("chrome"), 100, 10}, {11, QStringLiteral("chrome"), 50, 5}});
    EXPECT_EQ(updated(ledger, {{11, QStringLiteral("chrome"), 60, 5}}),
              (AppSample{{QStringLiteral("chrome"), {160, 15}}}));
    EXPECT_EQ(updated(ledger, {}), (AppSample{{QStringLiteral("chrome"), {160, 15}}}));
}

TEST(ProcessLedger, AProcessIdWhoseCountsFellIsANewProcess) {
    ProcessLedger ledger;
    updated(ledger, {{10, QStringLiteral("curl"), 100, 10}});
    // The helper dropped the ended process and a late packet, or a new process, came after.
    EXPECT_EQ(updated(ledger, {{10, QStringLiteral("curl"), 0, 60}}),
              (AppSample{{QStringLiteral("curl"), {100, 70}}}));
    EXPECT_EQ(updated(ledger, {{10, QStringLiteral("wget"), 5, 0}}),
              (AppSample{{QStringLiteral("curl"), {100, 70}}, {QStringLiteral("wget"), {5, 0}}}));
}

TEST(ProcessLedger, AProcessThatRanAnotherProgramBooksOnlyItsGrowthToTheNewName) {
    ProcessLedger ledger;
    updated(ledger, {{10, QStringLiteral("sh"), 100, 10}});
    EXPECT_EQ(updated(ledger, {{10, QStringLiteral("curl"), 150, 10}}),
              (AppSample{{QStringLiteral("sh"), {100, 10}}, {QStringLiteral("curl"), {50, 0}}}));
    EXPECT_EQ(updated(ledger, {{10, QStringLiteral("curl"), 170, 30}}),
              (AppSample{{QStringLiteral("sh"), {100, 10}}, {QStringLiteral("curl"), {70, 20}}}));
    EXPECT_EQ(updated(ledger, {}),
              (AppSample{{QStringLiteral("sh"), {100, 10}}, {QStringLiteral("curl"), {70, 20}}}));
}

TEST(ProcessLedger, SumsSaturateInsteadOfWrapping) {
    ProcessLedger ledger;
    EXPECT_EQ(updated(ledger, {{1, QStringLiteral("a"), 18446744073709551615ull, 0},
                               {2, QStringLiteral("a"), 5, 0}}),
              (AppSample{{QStringLiteral("a"), {18446744073709551615ull, 0}}}));
}

} // namespace
