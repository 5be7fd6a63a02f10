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
StartupWMClass=gnome-text-editor

[Desktop Action new-window]
Name=New Window
Exec=other-program --new-window
)");
    EXPECT_EQ(entry.name, "Text Editor");
    EXPECT_EQ(entry.nameZhCN, "文本编辑器");
    EXPECT_EQ(entry.displayName(), "文本编辑器");
    EXPECT_EQ(entry.execProgram, "gnome-text-editor");
    EXPECT_FALSE(entry.execPassesTarget);
    EXPECT_EQ(entry.tryExec, "/usr/bin/gnome-text-editor");
    EXPECT_EQ(entry.startupWMClass, "gnome-text-editor");
    EXPECT_FALSE(entry.hidden);
}

TEST(DesktopEntry, PlainNameWhenNoChineseOne) {
    const DesktopEntry entry =
        parseDesktopEntry("[Desktop Entry]\nName=Firefox\nName[zh_CN]=\nExec=firefox-esr %u\n");
    EXPECT_EQ(entry.displayName(), "Firefox");
}

TEST(DesktopEntry, StringEscapesAreDecoded) {
    const DesktopEntry entry =
        parseDesktopEntry("[Desktop Entry]\nName=Visual\\sStudio\\sCode\\s\n"
                          "Name[zh_CN]=第一行\\n第二行\\t制表\\r回车 \\\\s 反斜杠 \\x 其他 \\\n"
                          "Exec=\"/opt/My\\\\\\\\App/run\" %U\nHidden=true\n");
    EXPECT_EQ(entry.name, "Visual Studio Code "); // an escaped blank survives the trimming
    EXPECT_EQ(entry.nameZhCN, "第一行\n第二行\t制表\r回车 \\s 反斜杠 \\x 其他 \\");
    // Exec: the string's escapes first, then the quoting's own.
    EXPECT_EQ(entry.execProgram, "/opt/My\\App/run");
    EXPECT_TRUE(entry.hidden);
}

TEST(DesktopEntry, ExecProgramName) {
    EXPECT_EQ(execProgramName("/usr/bin/vlc --started-from-file %U"), "vlc");
    EXPECT_EQ(execProgramName("\"/opt/My App/bin/my app\" --x"), "my app");
    EXPECT_EQ(execProgramName("env LANG=C GDK_BACKEND=x11 /usr/bin/thing %f"), "thing");
    EXPECT_EQ(execProgramName("env -u FOO thing"), "thing");
    EXPECT_EQ(execProgramName(""), "");
}

// An entry whose Exec hands its program a URL or something else to run names that, not the
// program: it must never name the program's process.
TEST(DesktopEntry, ExecThatHandsTheProgramSomethingToRun) {
    const struct {
        const char* exec;
        const char* program;
        bool passesTarget;
    } cases[] = {
        {"steam %U", "steam", false},
        {"steam steam://rungameid/730", "steam", true},
        {"/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=spotify "
         "--file-forwarding com.spotify.Client @@u %U @@",
         "/usr/bin/flatpak", true},
        {"sh -c \"exec foo --bar\"", "sh", true},
        {"xterm -e htop", "xterm", true},
        {"python3 /usr/share/foo/foo.py", "python3", true},
        {"google-chrome --profile-directory=Default --app=https://example.com/", "google-chrome",
         true},
        {"env GDK_BACKEND=x11 /usr/bin/thing %f", "/usr/bin/thing", false},
        {"/usr/share/code/code --open-url %U", "/usr/share/code/code", false},
        {"libreoffice --writer %U", "libreoffice", false},
        {"telegram-desktop -- %u", "telegram-desktop", false},
        {"", "", false},
    };
    for (const auto& c : cases) {
        const DesktopEntry entry = parseDesktopEntry(QByteArray("[Desktop Entry]\nName=X\nExec=") +
                                                     c.exec + QByteArray("\n"));
        EXPECT_EQ(entry.execProgram, QString::fromUtf8(c.program)) << c.exec;
        EXPECT_EQ(entry.execPassesTarget, c.passesTarget) << c.exec;
    }
}
