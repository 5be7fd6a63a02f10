#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct ConfigRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// How the child runs: as it is, or unable to write any byte to a file (whoever it runs as).
enum class Files { writable, unwritable };

// The child inherits the test's temporary XDG_CONFIG_HOME (or gets configHome), so it sees
// only this test's store.
ConfigRun config(const QStringList& arguments, const QString& configHome = {},
                 Files files = Files::writable) {
    QProcess process;
    if (!configHome.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        process.setProcessEnvironment(environment);
    }
    const QStringList command =
        QStringList{QStringLiteral(VORN_BINARY), QStringLiteral("config")} + arguments;
    if (files == Files::unwritable)
        process.start(QStringLiteral("/bin/sh"),
                      QStringList{QStringLiteral("-c"),
                                  QStringLiteral("trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\"")} +
                          command);
    else
        process.start(command.first(), command.mid(1));
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

TEST(ConfigCommand, AbsentRetentionIsReportedAsTheStoreKeepsIt) {
    config({"unset", "retentionDays"});
    const ConfigRun get = config({"get", "retentionDays"});
    EXPECT_EQ(get.exitCode, 0);
    EXPECT_EQ(get.out, QStringLiteral("0\n")); // nothing is ever removed
    EXPECT_TRUE(config({"list"}).out.contains(QStringLiteral(
        "retentionDays = （未设置，默认 0）\n    历史数据保留天数（0 = 永久）；整数\n")));
}

QString writeFailure(const QString& configHome) {
    return QStringLiteral("无法写入设置文件：%1/Vorn/Vorn.conf\n").arg(configHome);
}

// The settings file cannot be written, whoever runs the test: its directory's place is taken
// by a file, or the file's place by a directory.
TEST(ConfigCommand, SetThatCannotBeWrittenExitsOneAndSaysWhere) {
    for (const bool directoryIsAFile : {true, false}) {
        const QString home = QDir(testRoot())
                                 .filePath(directoryIsAFile ? QStringLiteral("blocked-dir")
                                                            : QStringLiteral("blocked-file"));
        if (directoryIsAFile) {
            ASSERT_TRUE(QDir().mkpath(home));
            QFile blocker(home + QStringLiteral("/Vorn"));
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        } else {
            ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/Vorn/Vorn.conf")));
        }
        const ConfigRun run = config({"set", "displayMode", "both"}, home);
        EXPECT_EQ(run.exitCode, 1) << directoryIsAFile;
        EXPECT_EQ(run.err, writeFailure(home));
        EXPECT_EQ(run.out, QString());
        EXPECT_EQ(config({"get", "displayMode"}, home).out, QStringLiteral("floating\n"));
    }
}

TEST(ConfigCommand, UnsetThatCannotBeWrittenExitsOneAndKeepsTheFile) {
    const QString home = QDir(testRoot()).filePath(QStringLiteral("no-space"));
    ASSERT_EQ(config({"set", "displayMode", "both"}, home).exitCode, 0);
    ASSERT_EQ(config({"set", "retentionDays", "30"}, home).exitCode, 0);
    QFile file(home + QStringLiteral("/Vorn/Vorn.conf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    const ConfigRun unset = config({"unset", "displayMode"}, home, Files::unwritable);
    EXPECT_EQ(unset.exitCode, 1);
    EXPECT_EQ(unset.err, writeFailure(home));
    const ConfigRun set = config({"set", "retentionDays", "7"}, home, Files::unwritable);
    EXPECT_EQ(set.exitCode, 1);
    EXPECT_EQ(set.err, writeFailure(home));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    // Unsetting what is not set writes nothing, so it succeeds even then.
    EXPECT_EQ(config({"unset", "widgetTucked"}, home, Files::unwritable).exitCode, 0);
}

TEST(ConfigCommand, KeyWithoutDefaultIsReportedUnset) {
    config({"unset", "widgetTucked"});
    const ConfigRun run = config({"get", "widgetTucked"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(run.err, QStringLiteral("widgetTucked 未设置\n"));
}

} // namespace
