#include "FakeCounterStore.h"
#include "support/FakeProc.h"
#include "ProcessBook.h"
#include "SocketAdoption.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct Fixture {
    FakeProc proc;
    FakeCounterStore store;
    ProcessNames names{proc.root()};
    std::set<std::uint32_t> alive;
    ProcessBook book{store, names, [this](std::uint32_t pid) { return alive.count(pid) > 0; }};
};

TEST(ProcessBook, ReportsKernelCountsUnderProcessNames) {
    Fixture f;
    f.proc.addProcess("20", "firefox\n");
    f.alive = {10, 20};
    f.store.setProcess(20, 1000, "Socket Thread", 5000, 700);
    f.store.setProcess(10, 1000, "curl", 30, 40); // /proc has no name for it: the recorded one
    EXPECT_EQ(f.book.collect(), (std::vector<ProcessTotals>{{10, 1000, "curl", 30, 40},
                                                            {20, 1000, "firefox", 5000, 700}}));
    EXPECT_EQ(f.store.processes.size(), 2u) << "live processes stay in the kernel's map";
}

TEST(ProcessBook, AnEndedProcessIsReportedOnceMoreAndThenDropped) {
    Fixture f;
    f.alive = {10};
    f.store.setProcess(10, 1000, "curl", 30, 40);
    f.book.addAdopted(10, 1000, {100, 1});
    EXPECT_EQ(f.book.collect(), (std::vector<ProcessTotals>{{10, 1000, "curl", 130, 41}}));
    f.alive.clear();
    f.store.setProcess(10, 1000, "curl", 35, 40); // its last packets
    EXPECT_EQ(f.book.collect(), (std::vector<ProcessTotals>{{10, 1000, "curl", 135, 41}}));
    EXPECT_TRUE(f.store.processes.empty());
    EXPECT_TRUE(f.book.collect().empty());
    // A late packet of one of its sockets: only that is reported, under the name it had.
    f.store.setProcess(10, 1000, "", 0, 60);
    EXPECT_EQ(f.book.collect(), (std::vector<ProcessTotals>{{10, 1000, "curl", 0, 60}}));
}

TEST(ProcessBook, AdoptedBytesAloneMakeAProcessVisible) {
    Fixture f;
    f.proc.addProcess("30", "sshd\n");
    f.alive = {30};
    f.book.addAdopted(30, 0, {500, 600});
    f.book.addAdopted(30, 0, {1, 2});
    EXPECT_EQ(f.book.collect(), (std::vector<ProcessTotals>{{30, 0, "sshd", 501, 602}}));
}

struct AdoptionFixture : Fixture {
    std::vector<SocketEntry> table;
    bool tableFails = false;
    int listings = 0;
    std::unordered_map<std::uint64_t, std::uint32_t> holders;
    SocketAdoption adoption{store, book, names,
                            [this]() -> std::optional<std::vector<SocketEntry>> {
                                ++listings;
                                if (tableFails)
                                    return std::nullopt;
                                return table;
                            },
                            [this](const std::unordered_set<std::uint64_t>& inodes) {
                                std::unordered_map<std::uint64_t, std::uint32_t> found;
                                for (const auto& [inode, pid] : holders) {
                                    if (inodes.count(inode))
                                        found.emplace(inode, pid);
                                }
                                return found;
                            }};
};

TEST(SocketAdoption, MovesASocketAndItsBytesToTheHoldingProcess) {
    AdoptionFixture f;
    f.proc.addProcess("40", "ssh\n");
    f.alive = {40};
    f.store.unowned[7] = {1000, 200};
    f.table = {{7, 700, 1000, false}, {8, 800, 1000, false}};
    f.holders = {{700, 40}};
    f.adoption.adoptPending();
    EXPECT_EQ(f.store.adopted,
              (std::map<std::uint64_t, FakeCounterStore::Adoption>{{7, {40, 1000, "ssh"}}}));
    EXPECT_TRUE(f.store.unowned.empty());
    EXPECT_EQ(f.book.collect(), (std::vector<ProcessTotals>{{40, 1000, "ssh", 1000, 200}}));
}

TEST(SocketAdoption, GivesUpOnSocketsThatCannotBePlacedAndRetriesTheAcceptQueue) {
    AdoptionFixture f;
    f.store.unowned[1] = {10, 10}; // not in the table: closed, or another namespace's
    f.store.unowned[2] = {20, 20}; // no process of ours holds it
    f.store.unowned[3] = {30, 30}; // waiting to be accepted
    f.table = {{2, 200, 0, false}, {3, 0, 1000, true}};
    f.adoption.adoptPending();
    EXPECT_TRUE(f.store.adopted.empty());
    EXPECT_EQ(f.store.unowned.size(), 3u) << "bytes stay where they are";
    EXPECT_EQ(f.listings, 1);

    // Accepted meanwhile: only that socket is looked up again.
    f.proc.addProcess("50", "server\n");
    f.table = {{2, 200, 0, false}, {3, 300, 1000, false}};
    f.holders = {{300, 50}, {200, 60}};
    f.adoption.adoptPending();
    EXPECT_EQ(f.store.adopted,
              (std::map<std::uint64_t, FakeCounterStore::Adoption>{{3, {50, 1000, "server"}}}));
    EXPECT_EQ(f.listings, 2);

    // Nothing new: the table is not listed at all.
    f.adoption.adoptPending();
    EXPECT_EQ(f.listings, 2);
}

TEST(SocketAdoption, ATableThatCannotBeListedIsTriedAgainLater) {
    AdoptionFixture f;
    f.proc.addProcess("40", "ssh\n");
    f.store.unowned[7] = {1000, 200};
    f.tableFails = true;
    f.adoption.adoptPending();
    EXPECT_TRUE(f.store.adopted.empty());
    f.tableFails = false;
    f.table = {{7, 700, 1000, false}};
    f.holders = {{700, 40}};
    f.adoption.adoptPending();
    EXPECT_EQ(f.store.adopted.count(7), 1u);
}

} // namespace
