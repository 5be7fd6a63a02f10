#include "shell/DisplayPlatform.h"

#include <gtest/gtest.h>

namespace {

using DisplayPlatform::choose;
using DisplayPlatform::placementWarning;

DisplayServers servers(const char* x11, bool x11Answers, const char* wayland, bool waylandAnswers,
                       bool plugin = true) {
    DisplayServers s;
    s.probed = true;
    s.x11Display = x11;
    s.x11Answers = x11Answers;
    s.waylandDisplay = wayland;
    s.waylandAnswers = waylandAnswers;
    s.waylandPluginInstalled = plugin;
    return s;
}

struct Case {
    const char* what;
    DisplayServers servers;
    const char* qpaPlatform;
    const char* platform; // empty: QT_QPA_PLATFORM left alone
    const char* failure;  // empty: the program starts
};

TEST(DisplayPlatform, ChoosesAPlatformThatCanStartOrSaysWhatIsMissing) {
    const Case cases[] = {
        {"Wayland session: XWayland first, native Wayland as fallback",
         servers(":0", true, "wayland-0", true), "", "xcb;wayland", ""},
        {"plain X11 session: Qt's default", servers(":0", true, "", false), "", "", ""},
        {"Wayland without XWayland runs natively", servers("", false, "wayland-0", true), "",
         "wayland", ""},
        {"a dead X server leaves native Wayland", servers(":7", false, "wayland-0", true), "",
         "wayland", ""},
        {"no Wayland plugin: XWayland only", servers(":0", true, "wayland-0", true, false), "",
         "xcb", ""},
        {"the user's platform is kept", servers("", false, "", false), "offscreen", "", ""},
        {"no display at all", servers("", false, "", false), "", "",
         "岚 无法启动：没有 X11 显示（DISPLAY），也没有 Wayland 显示（WAYLAND_DISPLAY）；"
         "终端里可用 vorn monitor 查看实时网速"},
        {"Wayland without its plugin and no X11", servers("", false, "wayland-0", true, false), "",
         "",
         "岚 无法启动：没有 X11 显示（DISPLAY），Wayland 显示 wayland-0 可用，"
         "但缺少 Qt 的 Wayland 平台插件（qt6-wayland）"},
        {"both named, neither answers", servers(":5", false, "wayland-1", false), "", "",
         "岚 无法启动：X11 显示 :5 无法连接，Wayland 显示 wayland-1 也无法连接"},
        {"X11 named but dead, no Wayland", servers(":5", false, "", false), "", "",
         "岚 无法启动：X11 显示 :5 无法连接，也没有 Wayland 显示（WAYLAND_DISPLAY）"},
    };
    for (const Case& c : cases) {
        const DisplayPlatform::Choice choice = choose(c.servers, c.qpaPlatform);
        EXPECT_EQ(choice.platform, QByteArray(c.platform)) << c.what;
        EXPECT_EQ(choice.failure, QString::fromUtf8(c.failure)) << c.what;
    }
}

TEST(DisplayPlatform, APlatformWithOneFixedDisplayIsLeftToQt) {
    const DisplayPlatform::Choice choice = choose(DisplayServers{}, "");
    EXPECT_TRUE(choice.platform.isEmpty());
    EXPECT_TRUE(choice.failure.isEmpty());
}

TEST(DisplayPlatform, OnlyNativeWaylandIsWarnedAbout) {
    EXPECT_TRUE(placementWarning(QStringLiteral("wayland")).contains(QStringLiteral("Wayland")));
    EXPECT_FALSE(placementWarning(QStringLiteral("wayland-egl")).isEmpty());
    EXPECT_TRUE(placementWarning(QStringLiteral("xcb")).isEmpty());
    EXPECT_TRUE(placementWarning(QStringLiteral("offscreen")).isEmpty());
}

} // namespace
