#include "platform/linux/SocketOwners.h"

#include "CutProcessNames.h"
#include "support/FakeProc.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(SocketOwners, FindsHoldersThroughFdLinks) {
    FakeProc proc;
    proc.addProcess(
        "100", "firefox\n",
        {{"0", "/dev/null"}, {"5", "socket:[1234]"}, {"6", "pipe:[1235]"}, {"7", "socket:[77]"}});
    proc.addProcess("200", "curl\n", {{"3", "socket:[555]"}, {"4", "socket:[12x]"}});
    proc.addProcess("300", "weird name,with.dots\n", {{"9", "socket:[999]"}});
    std::filesystem::create_directories(proc.root() + "/self/fd"); // not a process id
    std::filesystem::create_directories(proc.root() + "/400");     // fd not readable
    const auto owners = findSocketOwners({1234, 555, 999, 1235, 4242}, proc.root().c_str());
    EXPECT_EQ(owners, (std::unordered_map<quint64, QString>{
                          {1234, QStringLiteral("firefox")},
                          {555, QStringLiteral("curl")},
                          {999, QStringLiteral("weird name,with.dots")}}));
    EXPECT_TRUE(findSocketOwners({1}, "/nonexistent-proc").empty());
}

// The kernel cuts process names at 15 bytes: such a name is completed from the executable's
// or argv[0]'s file name when that begins with it, and kept otherwise.
TEST(SocketOwners, NamesCutByTheKernelAreCompleted) {
    FakeProc proc;
    addCutProcessNames(proc);
    std::unordered_set<quint64> inodes;
    for (const CutProcessName& process : kCutProcessNames)
        inodes.insert(500 + QByteArray(process.pid).toULongLong());
    const auto owners = findSocketOwners(inodes, proc.root().c_str());
    for (const CutProcessName& process : kCutProcessNames)
        EXPECT_EQ(owners.at(500 + QByteArray(process.pid).toULongLong()),
                  QString::fromUtf8(process.expected))
            << process.pid;
}

} // namespace
