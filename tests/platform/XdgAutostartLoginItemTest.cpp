#include "platform/linux/XdgAutostartLoginItem.h"
#include "shell/LaunchAtLogin.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

using Status = LoginItem::Status;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& contents) {
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

class XdgAutostartTest : public testing::Test {
protected:
    void SetUp() override {
        QDir(autostartDir()).removeRecursively();
        QFile::remove(autostartDir());
    }
    static QString autostartDir() { return testRoot() + QStringLiteral("/config/autostart"); }

    XdgAutostartLoginItem item{QStringLiteral("/opt/my apps/vorn")};
};

TEST_F(XdgAutostartTest, EntryLivesInTheConfigHome) {
    EXPECT_EQ(XdgAutostartLoginItem::entryPath(), autostartDir() + QStringLiteral("/vorn.desktop"));
}

TEST_F(XdgAutostartTest, RegisterWritesAnEntryThatStartsTheBinary) {
    EXPECT_EQ(item.status(), Status::notRegistered);
    EXPECT_EQ(item.registerItem(), QString());
    EXPECT_EQ(item.status(), Status::enabled);
    const QString entry = QString::fromUtf8(readAll(XdgAutostartLoginItem::entryPath()));
    EXPECT_TRUE(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nType=Application\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=\"/opt/my apps/vorn\"\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nName=岚 (Vorn)\n")));
    EXPECT_EQ(QDir(autostartDir()).entryList(QDir::Files), QStringList{"vorn.desktop"});

    EXPECT_EQ(item.unregisterItem(), QString());
    EXPECT_EQ(item.status(), Status::notRegistered);
    EXPECT_FALSE(QFile::exists(XdgAutostartLoginItem::entryPath()));
    EXPECT_EQ(item.unregisterItem(), QString()); // nothing to remove is no failure
}

TEST_F(XdgAutostartTest, ExecQuotingEscapesShellCharacters) {
    XdgAutostartLoginItem odd(QStringLiteral("/tmp/a\"b$c`d\\e"));
    ASSERT_EQ(odd.registerItem(), QString());
    EXPECT_TRUE(readAll(XdgAutostartLoginItem::entryPath())
                    .contains("\nExec=\"/tmp/a\\\"b\\$c\\`d\\\\e\"\n"));
}

TEST_F(XdgAutostartTest, HiddenEntryCountsAsNotRegistered) {
    const QString path = XdgAutostartLoginItem::entryPath();
    writeFile(path, "[Desktop Entry]\nType=Application\nExec=vorn\nHidden = true\n");
    EXPECT_EQ(item.status(), Status::notRegistered);
    writeFile(path, "[Desktop Entry]\nExec=vorn\nHidden=false\n");
    EXPECT_EQ(item.status(), Status::enabled);
    writeFile(path, "[Desktop Entry]\nExec=vorn\n[Desktop Action x]\nHidden=true\n");
    EXPECT_EQ(item.status(), Status::enabled);

    // Turning it on again replaces the hidden entry with a live one.
    writeFile(path, "[Desktop Entry]\nHidden=true\n");
    setLaunchAtLogin(true, item);
    EXPECT_EQ(item.status(), Status::enabled);
}

TEST_F(XdgAutostartTest, DirectoryThatCannotBeMadeIsReportedAndLogged) {
    writeFile(autostartDir(), "not a directory");
    EXPECT_FALSE(item.registerItem().isEmpty());
    testing::internal::CaptureStderr();
    setLaunchAtLogin(true, item);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.rfind("[Vorn] 开机自启设置失败: ", 0), 0u) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
    EXPECT_EQ(readAll(autostartDir()), "not a directory");
}

} // namespace
