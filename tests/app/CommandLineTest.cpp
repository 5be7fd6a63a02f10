#include <QProcess>
#include <QRegularExpression>

#include <csignal>

#include <gtest/gtest.h>

namespace {

struct ProcessResult {
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessResult vorn(const QStringList& arguments, int timeoutMs = 15000) {
    QProcess process;
    process.start(QStringLiteral(VORN_BINARY), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CommandLine, HelpAndVersion) {
    const ProcessResult help = vorn({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("岚 (Vorn) — "))) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("vorn monitor")));

    const ProcessResult version = vorn({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^岚 \\(Vorn\\) \\d+\\.\\d+\\.\\d+\n$"))
                    .match(version.out)
                    .hasMatch())
        << version.out.toStdString();
}

TEST(CommandLine, BadUsageExitsTwo) {
    const ProcessResult unknown = vorn({QStringLiteral("frobnicate")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("未知子命令: frobnicate")));
    EXPECT_EQ(vorn({QStringLiteral("monitor"), QStringLiteral("--count")}).exitCode, 2);
    EXPECT_EQ(
        vorn({QStringLiteral("monitor"), QStringLiteral("--count"), QStringLiteral("0")}).exitCode,
        2);
    EXPECT_EQ(vorn({QStringLiteral("monitor"), QStringLiteral("--bogus")}).exitCode, 2);
}

TEST(CommandLine, MonitorPrintsOneRateLineASecond) {
    const ProcessResult run =
        vorn({QStringLiteral("monitor"), QStringLiteral("--count"), QStringLiteral("2")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QRegularExpression line(QStringLiteral("^↓ \\d+(\\.\\d)?( B/s| KB/s| MB/s|\\.\\d GB/s) ↑ "
                                                 "\\d+(\\.\\d)?( B/s| KB/s| MB/s|\\.\\d GB/s)$"));
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
    for (const QString& text : lines)
        EXPECT_TRUE(line.match(text).hasMatch()) << text.toStdString();
}

TEST(CommandLine, MonitorQuitsCleanlyOnSigint) {
    QProcess process;
    process.start(QStringLiteral(VORN_BINARY), {QStringLiteral("monitor")});
    ASSERT_TRUE(process.waitForReadyRead(5000));
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

} // namespace
