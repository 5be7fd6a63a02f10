#include "platform/linux/HelperProcessNames.h"

#include "CutProcessNames.h"
#include "support/FakeProc.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The helper reports /proc/PID/comm as it read it; bytes, counts and order pass unchanged.
std::vector<HelperProcessCounts> report(std::initializer_list<std::pair<quint32, QString>> named) {
    std::vector<HelperProcessCounts> processes;
    for (const auto& [pid, name] : named)
        processes.push_back({pid, name, 100 + pid, 200 + pid});
    return processes;
}

QStringList namesOf(const std::vector<HelperProcessCounts>& processes) {
    QStringList names;
    for (const HelperProcessCounts& process : processes)
        names << process.name;
    return names;
}

TEST(HelperProcessNames, CutNamesAreCompletedAsTheSocketTableCompletesThem) {
    FakeProc proc;
    addCutProcessNames(proc);
    std::vector<HelperProcessCounts> processes;
    QStringList expected;
    for (const CutProcessName& process : kCutProcessNames) {
        const quint32 pid = QByteArray(process.pid).toUInt();
        processes.push_back({pid, QString::fromUtf8(process.comm), pid, 2 * pid});
        expected << QString::fromUtf8(process.expected);
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
    proc.addProcess("10", "netease-cloud-m\n");
    proc.setProgram("10", "/opt/netease/netease-cloud-music", "netease-cloud-music");
    // At pid 20 now: a process of another name, which the helper did not see; its program
    // would complete the name the helper reported.
    proc.addProcess("20", "vorn-other-prog\n");
    proc.setProgram("20", "/opt/App/electron-long-app", "/opt/App/electron-long-app");
    HelperProcessNames names(QByteArray::fromStdString(proc.root()));
    const QString cut = QStringLiteral("netease-cloud-m");
    const QString whole = QStringLiteral("netease-cloud-music");

    struct Step {
        const char* what;
        std::vector<HelperProcessCounts> processes;
        QStringList expected;
        std::function<void()> then;
    };
    const std::vector<Step> steps = {
        {"seen alive",
         report({{10, cut}, {20, QStringLiteral("electron-long-a")}}),
         {whole, QStringLiteral("electron-long-a")},
         [&] { proc.removeProcess("10"); }},
        {"ended, reported one last time", report({{10, cut}}), {whole}, {}},
        {"reported under another name",
         report({{10, QStringLiteral("sh")}}),
         {QStringLiteral("sh")},
         [&] {
             proc.addProcess("10", "netease-cloud-m\n");
             proc.setProgram("10", "/opt/netease/netease-cloud-music", "netease-cloud-music");
         }},
        {"forgotten once missing from a report", report({}), {}, [&] { proc.removeProcess("10"); }},
        {"looked up again, gone", report({{10, cut}}), {cut}, {}},
    };
    for (Step step : steps) {
        names.complete(step.processes);
        EXPECT_EQ(namesOf(step.processes), step.expected) << step.what;
        if (step.then)
            step.then();
    }
}

TEST(HelperProcessNames, WithoutProcNamesStayAsReported) {
    std::vector<HelperProcessCounts> processes = report({{10, QStringLiteral("netease-cloud-m")}});
    HelperProcessNames names("/nonexistent-proc");
    names.complete(processes);
    EXPECT_EQ(namesOf(processes), QStringList{QStringLiteral("netease-cloud-m")});
}

} // namespace
