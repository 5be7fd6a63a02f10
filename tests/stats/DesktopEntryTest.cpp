#include "platform/DesktopEntry.h"

#include <gtest/gtest.h>

TEST(DesktopEntry, LocalizedNameWinsAndOtherGroupsAreIgnored) {
    const DesktopEntry entry = parseDesktopEntry(R"([Desktop Entry]
Type=Application
# a comment
Name=Text Editor
Name[zh_CN]=文本编辑器
Name[de]=Texteditor
Exec=gnome-text-editor %U
TryExec=/usr/bin/gnome-text-editor

[Desktop Action new-window]
Name=New Window
Exec=other-program --new-window
)");
    EXPECT_EQ(entry.name, "Text Editor");
    EXPECT_EQ(entry.nameZhCN, "文本编辑器");
    EXPECT_EQ(entry.displayName(), "文本编辑器");
    EXPECT_EQ(entry.execName, "gnome-text-editor");
    EXPECT_EQ(entry.tryExecName, "gnome-text-editor");
    EXPECT_FALSE(entry.hidden);
}

TEST(DesktopEntry, PlainNameWhenNoChineseOne) {
    const DesktopEntry entry =
        parseDesktopEntry("[Desktop Entry]\nName=Firefox\nName[zh_CN]=\nExec=firefox-esr %u\n");
    EXPECT_EQ(entry.displayName(), "Firefox");
}

TEST(DesktopEntry, ExecProgramName) {
    EXPECT_EQ(execProgramName("/usr/bin/vlc --started-from-file %U"), "vlc");
    EXPECT_EQ(execProgramName("\"/opt/My App/bin/my app\" --x"), "my app");
    EXPECT_EQ(execProgramName("env LANG=C GDK_BACKEND=x11 /usr/bin/thing %f"), "thing");
    EXPECT_EQ(execProgramName("env -u FOO thing"), "thing");
    EXPECT_EQ(execProgramName(""), "");
}

TEST(DesktopEntry, IndexKeepsFirstEntryAndSkipsHidden) {
    std::map<QString, QString> index;
    addToDesktopIndex(index, parseDesktopEntry("[Desktop Entry]\nName=User VLC\nExec=vlc\n"));
    addToDesktopIndex(index, parseDesktopEntry("[Desktop Entry]\nName=VLC\nExec=vlc\n"));
    addToDesktopIndex(index,
                      parseDesktopEntry("[Desktop Entry]\nName=Gone\nExec=gone\nHidden=true\n"));
    addToDesktopIndex(index, parseDesktopEntry("[Desktop Entry]\nExec=nameless\n"));
    EXPECT_EQ(index, (std::map<QString, QString>{{"vlc", "User VLC"}}));
}
