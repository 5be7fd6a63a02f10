#include "platform/linux/SocketOwners.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

void makeProcess(const QString& root, const char* pid, const char* comm,
                 const std::vector<std::pair<const char*, const char*>>& fds) {
    const QString dir = QDir(root).filePath(QString::fromLatin1(pid));
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/fd")));
    QFile file(dir + QStringLiteral("/comm"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(comm);
    for (const auto& [fd, target] : fds) {
        const QByteArray link = (dir + QStringLiteral("/fd/") + QString::fromLatin1(fd)).toUtf8();
        ASSERT_EQ(symlink(target, link.constData()), 0);
    }
}

TEST(SocketOwners, FindsHoldersThroughFdLinks) {
    const QString root = QDir(testRoot()).filePath(QStringLiteral("proc"));
    makeProcess(
        root, "100", "firefox\n",
        {{"0", "/dev/null"}, {"5", "socket:[1234]"}, {"6", "pipe:[1235]"}, {"7", "socket:[77]"}});
    makeProcess(root, "200", "curl\n", {{"3", "socket:[555]"}, {"4", "socket:[12x]"}});
    makeProcess(root, "300", "weird name,with.dots\n", {{"9", "socket:[999]"}});
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("self/fd"))); // not a process id
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("400")));     // fd not readable
    const auto owners =
        findSocketOwners({1234, 555, 999, 1235, 4242}, QFile::encodeName(root).constData());
    EXPECT_EQ(owners, (std::unordered_map<quint64, QString>{
                          {1234, QStringLiteral("firefox")},
                          {555, QStringLiteral("curl")},
                          {999, QStringLiteral("weird name,with.dots")}}));
    EXPECT_TRUE(findSocketOwners({1}, "/nonexistent-proc").empty());
}

} // namespace
