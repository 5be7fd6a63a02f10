#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct ConfigRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// The child inherits the test's temporary XDG_CONFIG_HOME, so it sees only this test's store.
ConfigRun config(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VORN_BINARY), QStringList{QStringLiteral("config")} + arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(15000))
        process.kill();
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(ConfigCommand, SetGetUnsetRoundTrip) {
    config({"unset", "displayMode"});
    EXPECT_EQ(config({"get", "displayMode"}).out, QStringLiteral("floating\n"));
    EXPECT_EQ(config({"set", "displayMode", "both"}).exitCode, 0);
    EXPECT_EQ(config({"get", "displayMode"}).out, QStringLiteral("both\n"));
    EXPECT_TRUE(config({"list"}).out.contains(QStringLiteral("displayMode = both\n")));
    EXPECT_EQ(config({"unset", "displayMode"}).exitCode, 0);
    EXPECT_EQ(config({"get", "displayMode"}).out, QStringLiteral("floating\n"));

    EXPECT_EQ(config({"set", "alertDownValue", "2.5"}).exitCode, 0);
    EXPECT_EQ(config({"get", "alertDownValue"}).out, QStringLiteral("2.5\n"));
}

TEST(ConfigCommand, RefusesUnknownKeysAndWrongTypesWithExitTwo) {
    config({"set", "retentionDays", "30"});
    const ConfigRun unknown = config({"set", "colour", "blue"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("未知设置: colour")));
    const ConfigRun wrong = config({"set", "retentionDays", "lots"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.err.startsWith(QStringLiteral("retentionDays: 需要一个整数")));
    EXPECT_EQ(config({"get", "retentionDays"}).out, QStringLiteral("30\n"));
    EXPECT_EQ(config({"get"}).exitCode, 2);
    EXPECT_EQ(config({}).exitCode, 2);
    EXPECT_EQ(config({"get", "nope"}).exitCode, 2);
}

TEST(ConfigCommand, KeyWithoutDefaultIsReportedUnset) {
    config({"unset", "widgetTucked"});
    const ConfigRun run = config({"get", "widgetTucked"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(run.err, QStringLiteral("widgetTucked 未设置\n"));
}

} // namespace
