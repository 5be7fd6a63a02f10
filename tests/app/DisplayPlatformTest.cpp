#include "app/DisplayPlatform.h"

#include <gtest/gtest.h>

namespace {

using DisplayPlatform::choose;

TEST(DisplayPlatform, WaylandSessionRunsThroughXWayland) {
    const auto choice = choose("wayland-0", "", ":0");
    EXPECT_EQ(choice.platform, QByteArray("xcb"));
    EXPECT_TRUE(choice.logLine.isEmpty());
}

TEST(DisplayPlatform, WithoutXWaylandStaysNativeAndSaysSo) {
    const auto choice = choose("wayland-0", "", "");
    EXPECT_TRUE(choice.platform.isEmpty());
    EXPECT_TRUE(choice.logLine.contains(QStringLiteral("XWayland")));
}

TEST(DisplayPlatform, UserChoiceAndX11SessionsAreLeftAlone) {
    for (const auto& choice :
         {choose("wayland-0", "wayland", ":0"), choose("wayland-0", "offscreen", ""),
          choose("", "", ":0"), choose("", "", "")}) {
        EXPECT_TRUE(choice.platform.isEmpty());
        EXPECT_TRUE(choice.logLine.isEmpty());
    }
}

} // namespace
