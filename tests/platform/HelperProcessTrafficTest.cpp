#include "platform/linux/HelperProcessTraffic.h"

#include "NamespaceNetwork.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// A stand-in for the helper: a shell script in the test's temporary directory.
QString fakeHelper(const char* name, const QByteArray& body) {
    const QString path = QDir(testRoot()).filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// Answers the scripted replies in turn, and only to the word "sample".
const QByteArray kWellBehaved = "n=0\n"
                                "while IFS= read -r line; do\n"
                                "  [ \"$line\" = sample ] || exit 3\n"
                                "  n=$((n+1))\n"
                                "  case $n in\n"
                                "    1) printf '10 curl 100 10\\n20 Isolated Web Co 5 5\\n\\n';;\n"
                                "    2) printf '10 curl 150 10\\n\\n';;\n"
                                "    *) printf '\\n';;\n"
                                "  esac\n"
                                "done\n";

struct Outcome {
    std::vector<std::optional<AppSample>> samples;
    QStringList notices;
};

Outcome sampleTimes(const QString& program, int times, int answerTimeoutMs = 5000) {
    Outcome outcome;
    HelperProcessTraffic traffic(
        program, [&](const QString& line) { outcome.notices << line; }, answerTimeoutMs);
    for (int i = 0; i < times; ++i)
        outcome.samples.push_back(traffic.sample());
    return outcome;
}

TEST(HelperProcessTraffic, TurnsAnswersIntoSamplesThatNeverFall) {
    const Outcome outcome = sampleTimes(fakeHelper("well-behaved", kWellBehaved), 3);
    ASSERT_EQ(outcome.samples.size(), 3u);
    EXPECT_EQ(outcome.samples[0], (AppSample{{QStringLiteral("curl"), {100, 10}},
                                             {QStringLiteral("Isolated Web Co"), {5, 5}}}));
    const AppSample later{{QStringLiteral("curl"), {150, 10}},
                          {QStringLiteral("Isolated Web Co"), {5, 5}}};
    EXPECT_EQ(outcome.samples[1], later);
    EXPECT_EQ(outcome.samples[2], later) << "ended processes stay booked";
    EXPECT_EQ(outcome.notices, QStringList());
}

// Between samples the helper is asked too, and what it said then is booked: it forgets a
// process once it reported it ended.
TEST(HelperProcessTraffic, WatchesAskTheHelperAndBookItsAnswer) {
    HelperProcessTraffic traffic(fakeHelper("watched", kWellBehaved), {});
    EXPECT_EQ(traffic.watchIntervalMs(), 1000);
    traffic.watch();
    traffic.watch();
    EXPECT_EQ(traffic.sample(), (AppSample{{QStringLiteral("curl"), {150, 10}},
                                           {QStringLiteral("Isolated Web Co"), {5, 5}}}));
}

TEST(HelperProcessTraffic, EveryFailureIsFinalAndSaidOnce) {
    struct Case {
        const char* name;
        QByteArray body;
        int answered; // samples answered before the failure
        QString notice;
    };
    const QString prefix = QStringLiteral("应用流量改为仅统计 TCP：vorn-traffic-helper ");
    const std::vector<Case> cases = {
        {"refused", "echo '无法加载 eBPF 程序：Operation not permitted' >&2\nexit 1\n", 0,
         prefix + QStringLiteral("已退出：无法加载 eBPF 程序：Operation not permitted")},
        {"garbage", "read line\necho 'Segmentation fault (core dumped)'\necho\nexec sleep 5\n", 0,
         prefix + QStringLiteral("的输出无法识别")},
        {"chatty", "read line\nprintf '1 a 2 3\\n\\nextra'\nexec sleep 5\n", 0,
         prefix + QStringLiteral("的输出无法识别")},
        {"dies", "read line\nprintf '1 a 2 3\\n\\n'\nread line\nkill -9 $$\n", 1,
         prefix + QStringLiteral("意外退出")},
        {"silent", "read line\nexec sleep 5\n", 0, prefix + QStringLiteral("没有应答")},
    };
    for (const Case& c : cases) {
        const Outcome outcome = sampleTimes(fakeHelper(c.name, c.body), 4, 500);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(outcome.samples[size_t(i)].has_value(), i < c.answered)
                << c.name << " sample " << i;
        EXPECT_EQ(outcome.notices, QStringList{c.notice}) << c.name;
    }
}

TEST(HelperProcessTraffic, AMissingHelperIsSaidOnce) {
    const QString missing = QDir(testRoot()).filePath(QStringLiteral("no-such-helper"));
    const Outcome outcome = sampleTimes(missing, 2);
    EXPECT_EQ(outcome.samples, (std::vector<std::optional<AppSample>>{std::nullopt, std::nullopt}));
    EXPECT_EQ(outcome.notices,
              QStringList{QStringLiteral("应用流量改为仅统计 TCP：vorn-traffic-helper 未安装（") +
                          missing + QStringLiteral("）")});
    EXPECT_FALSE(HelperProcessTraffic::works(missing));
}

TEST(HelperProcessTraffic, WorksOnlyWhenTheHelperEndsCleanlyOnClosedInput) {
    EXPECT_TRUE(HelperProcessTraffic::works(fakeHelper("clean", "cat >/dev/null\n")));
    EXPECT_FALSE(HelperProcessTraffic::works(fakeHelper("failing", "exit 1\n")));
}

// The real helper, run without privileges (as nobody when the tests run as root), cannot load
// its programs: the provider must give up on it rather than report empty samples.
TEST(HelperProcessTraffic, TheRealHelperWithoutPrivilegesIsGivenUp) {
    const QString helper = QStringLiteral(VORN_HELPER_BINARY);
    if (helper.isEmpty()) {
        if (namespaceTestsMustRun())
            FAIL() << "vorn-traffic-helper is not built here (CI must run this test)";
        GTEST_SKIP() << "vorn-traffic-helper is not built here";
    }
    const QString program =
        geteuid() == 0
            ? fakeHelper("unprivileged", "exec setpriv --reuid=65534 --regid=65534 --clear-groups "
                                         "--inh-caps=-all --bounding-set=-all '" +
                                             helper.toUtf8() + "'\n")
            : helper;
    const Outcome outcome = sampleTimes(program, 1);
    EXPECT_EQ(outcome.samples[0], std::nullopt);
    ASSERT_EQ(outcome.notices.size(), 1);
    EXPECT_TRUE(outcome.notices[0].startsWith(
        QStringLiteral("应用流量改为仅统计 TCP：vorn-traffic-helper 已退出：无法加载 eBPF 程序：")))
        << outcome.notices[0].toStdString();
    EXPECT_FALSE(HelperProcessTraffic::works(program));
}

} // namespace
