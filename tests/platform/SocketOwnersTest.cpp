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

// The kernel cuts process names at 15 bytes: such a name is completed from the executable's
// or argv[0]'s file name when that begins with it, and kept otherwise.
TEST(SocketOwners, NamesCutByTheKernelAreCompleted) {
    const QString root = QDir(testRoot()).filePath(QStringLiteral("proc-cut"));
    const struct {
        const char* pid;
        const char* comm;
        const char* exe; // empty: not readable
        const char* argv0;
        const char* expected;
    } table[] = {
        {"10", "netease-cloud-m", "/opt/netease/netease-cloud-music/netease-cloud-music",
         "netease-cloud-music", "netease-cloud-music"},
        {"11", "a-replaced-long", "/usr/bin/a-replaced-long-name (deleted)", "",
         "a-replaced-long-name"},
        {"12", "electron-long-a", "/usr/lib/electron/electron", "/opt/App/electron-long-app",
         "electron-long-app"},
        {"13", "electron-long-a", "", "/opt/App/electron-long-app", "electron-long-app"},
        {"14", "worker-thread-1", "/usr/bin/python3.11", "python3", "worker-thread-1"},
        {"15", "short-name", "/usr/bin/short-name-but-long-binary", "", "short-name"},
        {"16", "name-of-15-byte", "/usr/bin/name-of-15-byte", "", "name-of-15-byte"},
    };
    std::unordered_set<quint64> inodes;
    for (const auto& row : table) {
        const quint64 inode = 500 + QByteArray(row.pid).toULongLong();
        const QByteArray socket = "socket:[" + QByteArray::number(inode) + "]";
        makeProcess(root, row.pid, (QByteArray(row.comm) + '\n').constData(),
                    {{"3", socket.constData()}});
        const QString dir = QDir(root).filePath(QString::fromLatin1(row.pid));
        if (*row.exe) {
            ASSERT_EQ(symlink(row.exe, QFile::encodeName(dir + QStringLiteral("/exe")).constData()),
                      0);
        }
        QFile cmdline(dir + QStringLiteral("/cmdline"));
        ASSERT_TRUE(cmdline.open(QIODevice::WriteOnly));
        cmdline.write(QByteArray(row.argv0) + '\0' + "--flag" + '\0');
        inodes.insert(inode);
    }
    const auto owners = findSocketOwners(inodes, QFile::encodeName(root).constData());
    for (const auto& row : table)
        EXPECT_EQ(owners.at(500 + QByteArray(row.pid).toULongLong()),
                  QString::fromUtf8(row.expected))
            << row.pid;
}

} // namespace
