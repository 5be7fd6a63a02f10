#include "support/FakeProc.h"
#include "ProcessNames.h"
#include "SocketHolders.h"

#include <gtest/gtest.h>

namespace {

TEST(SocketHolders, FindsProcessesThroughFdLinks) {
    FakeProc proc;
    proc.addProcess("100", "firefox\n",
                    {{"0", "/dev/null"}, {"5", "socket:[1234]"}, {"6", "pipe:[1235]"}});
    proc.addProcess("200", "curl\n", {{"3", "socket:[555]"}, {"4", "socket:[12x]"}});
    proc.addProcess("300", "dup\n", {{"9", "socket:[555]"}}); // a socket shared after fork
    proc.addProcess("self", "not a pid\n", {{"1", "socket:[999]"}});
    proc.addProcess("99999999999", "too big\n", {{"1", "socket:[998]"}});
    const auto holders = findSocketHolders({1234, 555, 999, 998, 1235, 4242}, proc.root().c_str());
    ASSERT_EQ(holders.size(), 2u);
    EXPECT_EQ(holders.at(1234), 100u);
    EXPECT_TRUE(holders.at(555) == 200u || holders.at(555) == 300u)
        << "either holder of a shared socket is its process";
    EXPECT_TRUE(findSocketHolders({1}, "/nonexistent-proc").empty());
}

TEST(ProcessNames, PrefersTheProcessNameOverTheRecordedThreadName) {
    FakeProc proc;
    proc.addProcess("10", "firefox\n");
    ProcessNames names(proc.root());
    EXPECT_EQ(names.nameOf(10, std::string_view("Socket Thread\0\0\0", 16)), "firefox");
    // Gone before it was ever seen: the recorded name, cut at its terminator.
    EXPECT_EQ(names.nameOf(11, std::string_view("curl\0\0\0\0\0\0\0\0\0\0\0\0", 16)), "curl");
}

TEST(ProcessNames, KeepsANameForAFewSamplesAfterTheProcessEnded) {
    FakeProc proc;
    proc.addProcess("10", "firefox\n");
    ProcessNames names(proc.root());
    EXPECT_EQ(names.nameOf(10, "thread"), "firefox");
    proc.removeProcess("10");
    for (int sample = 0; sample < 4; ++sample)
        names.endSample();
    EXPECT_EQ(names.nameOf(10, "thread"), "firefox");
    // Not asked for in five samples: forgotten, so a new process with this id gets its own name.
    for (int sample = 0; sample < 5; ++sample)
        names.endSample();
    proc.addProcess("10", "bash\n");
    EXPECT_EQ(names.nameOf(10, "thread"), "bash");
}

} // namespace
