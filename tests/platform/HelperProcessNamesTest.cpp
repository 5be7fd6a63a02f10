#include "platform/linux/HelperProcessNames.h"

#include "CutProcessNames.h"
#include "support/FakeProc.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

// A report of these processes, as the helper gives it.
std::vector<HelperProcessCounts>
report(std::initializer_list<std::pair<quint32, const char*>> named) {
    std::vector<HelperProcessCounts> processes;
    for (const auto& [pid, name] : named)
        processes.push_back({pid, QString::fromUtf8(name), 100 + pid, 200 + pid});
    return processes;
}

Names namesOf(const std::vector<HelperProcessCounts>& processes) {
    Names names;
    for (const HelperProcessCounts& process : processes)
        names.push_back(process.name.toStdString());
    return names;
}

TEST(HelperProcessNames, CutNamesAreCompletedAsTheSocketTableCompletesThem) {
    FakeProc proc;
    addCutProcessNames(proc);
    std::vector<HelperProcessCounts> processes;
    Names expected;
    for (const CutProcessName& process : kCutProcessNames) {
        const quint32 pid = QByteArray(process.pid).toUInt();
        processes.push_back({pid, QString::fromUtf8(process.comm), pid, 2 * pid});
        expected.push_back(process.expected);
    }
    HelperProcessNames names(QByteArray::fromStdString(proc.root()));
    names.complete(processes);
    EXPECT_EQ(namesOf(processes), expected);
    for (const HelperProcessCounts& process : processes)
        EXPECT_EQ(process.sent, 2 * process.received) << process.pid;
}

// A name must not change while the helper reports a process under the same one: the ledger
// would take a change for a new program and split the process's bytes between two names.
TEST(HelperProcessNames, AProcessKeepsItsNameWhileTheHelperReportsIt) {
    FakeProc proc;
    const auto startMusic = [&] {
        proc.addProcess("10", "netease-cloud-m\n");
        proc.setProgram("10", "/opt/netease/netease-cloud-music", "netease-cloud-music");
    };
    startMusic();
    // At pid 20 now: a process of another name, which the helper did not see; its program
    // would complete the name the helper reported.
    proc.addProcess("20", "vorn-other-prog\n");
    proc.setProgram("20", "/opt/App/electron-long-app", "/opt/App/electron-long-app");
    HelperProcessNames names(QByteArray::fromStdString(proc.root()));

    struct Step {
        const char* what;
        std::vector<HelperProcessCounts> processes;
        Names expected;
        std::function<void()> then;
    };
    const std::vector<Step> steps = {
        {"seen alive",
         report({{10, "netease-cloud-m"}, {20, "electron-long-a"}}),
         {"netease-cloud-music", "electron-long-a"},
         [&] { proc.removeProcess("10"); }},
        {"ended, reported one last time",
         report({{10, "netease-cloud-m"}}),
         {"netease-cloud-music"}},
        {"reported under another name", report({{10, "sh"}}), {"sh"}, startMusic},
        {"forgotten once missing from a report", report({}), {}, [&] { proc.removeProcess("10"); }},
        {"looked up again, gone", report({{10, "netease-cloud-m"}}), {"netease-cloud-m"}},
    };
    for (Step step : steps) {
        names.complete(step.processes);
        EXPECT_EQ(namesOf(step.processes), step.expected) << step.what;
        if (step.then)
            step.then();
    }
}

TEST(HelperProcessNames, WithoutProcNamesStayAsReported) {
    std::vector<HelperProcessCounts> processes = report({{10, "netease-cloud-m"}});
    HelperProcessNames names("/nonexistent-proc");
    names.complete(processes);
    EXPECT_EQ(namesOf(processes), Names{"netease-cloud-m"});
}

} // namespace
