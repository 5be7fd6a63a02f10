#include "platform/DesktopIndex.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Directories of desktop entries and of programs under the test's root.
class DesktopIndexTest : public testing::Test {
protected:
    DesktopIndexTest()
        : m_root(QDir(testRoot()).filePath(QStringLiteral("index-%1").arg(++s_run))) {}

    QString dir(const QString& name) const {
        const QString path = QDir(m_root).filePath(name);
        QDir().mkpath(path);
        return path;
    }
    void entry(const QString& applications, const QString& file, const QByteArray& body) {
        const QString path = QDir(dir(applications)).filePath(file);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[Desktop Entry]\nType=Application\n" + body);
    }
    QString program(const QString& relative) {
        const QString path = QDir(m_root).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    QString m_root;
    static inline int s_run = 0;
};

TEST_F(DesktopIndexTest, EarlierDirectoriesHideEntriesOfTheSameId) {
    entry("user", "vlc.desktop", "Name=My VLC\nExec=vlc\n");
    entry("user", "gone.desktop", "Name=Gone\nExec=gone\nHidden=true\n");
    entry("system", "vlc.desktop", "Name=VLC\nExec=vlc\n");
    entry("system", "gone.desktop", "Name=Still here\nExec=gone\n");
    entry("system", "kde/okular.desktop", "Name=Okular\nExec=okular\n");
    entry("system", "nameless.desktop", "Exec=nameless\n");
    const DesktopIndex index = DesktopIndex::load({dir("user"), dir("system")}, {});
    EXPECT_EQ(index.nameFor("/usr/bin/vlc"), "My VLC");
    EXPECT_EQ(index.nameFor("/usr/bin/gone"), ""); // deleted by the user's entry
    EXPECT_EQ(index.nameFor("/usr/bin/nameless"), "");
    EXPECT_EQ(index.nameFor("/usr/bin/okular"), "Okular");
    EXPECT_EQ(index.nameFor("/app/bin/okular", "kde-okular"), "Okular"); // id of a subdirectory
}

TEST_F(DesktopIndexTest, PathBeatsProgramNameWhichBeatsIdentity) {
    const QString real = program("opt/tool/bin/tool");
    const QString bin = dir("bin");
    ASSERT_TRUE(QFile::link(real, QDir(bin).filePath("tool-link")));
    // By program name alone this one would be first; by path the linked one matches.
    entry("apps", "a-tool.desktop", "Name=Named tool\nExec=/elsewhere/tool\n");
    entry("apps", "b-tool.desktop", "Name=Linked tool\nExec=tool-link %F\n");
    entry("apps", "c-tool.desktop", "Name=Class tool\nExec=launch-tool\nStartupWMClass=Tool\n");
    entry("apps", "org.example.Widget.desktop", "Name=Widget\nExec=widget-wrapper.sh\n");
    const DesktopIndex index = DesktopIndex::load({dir("apps")}, {bin});
    EXPECT_EQ(index.nameFor(real), "Linked tool");
    EXPECT_EQ(index.nameFor("/somewhere/else/tool"), "Named tool");
    EXPECT_EQ(index.nameFor("/somewhere/else/TOOL"), "Class tool"); // window class, any case
    EXPECT_EQ(index.nameFor("/app/widget"), "Widget");              // last part of the id
}

TEST_F(DesktopIndexTest, OwnIdOrWindowClassWinsAmongSeveral) {
    entry("apps", "editor-a.desktop", "Name=Editor (alternative)\nExec=edit --alt\n");
    entry("apps", "editor-b.desktop", "Name=Editor\nExec=edit %F\nStartupWMClass=Edit\n");
    entry("apps", "first.desktop", "Name=First\nExec=plain\n");
    entry("apps", "second.desktop", "Name=Second\nExec=plain\n");
    entry("apps", "game.desktop", "Name=A game\nExec=plain plain://game/7\nStartupWMClass=plain\n");
    const DesktopIndex index = DesktopIndex::load({dir("apps")}, {});
    EXPECT_EQ(index.nameFor("/usr/bin/edit"), "Editor");
    EXPECT_EQ(index.nameFor("/usr/bin/plain"), "First");          // else precedence; never the game
    EXPECT_EQ(index.nameFor("/app/bin/plain", "game"), "A game"); // a Flatpak's own entry
}

} // namespace
