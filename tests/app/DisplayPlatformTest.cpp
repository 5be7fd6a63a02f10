#include "app/DisplayPlatform.h"

#include <gtest/gtest.h>

namespace {

using DisplayPlatform::placementWarning;
using DisplayPlatform::preferredPlatform;

TEST(DisplayPlatform, WaylandSessionRunsThroughXWaylandWithNativeFallback) {
    EXPECT_EQ(preferredPlatform("wayland-0", "", ":0"), QByteArray("xcb;wayland"));
}

TEST(DisplayPlatform, UserChoiceAndOtherSessionsAreLeftAlone) {
    EXPECT_TRUE(preferredPlatform("wayland-0", "", "").isEmpty()); // no XWayland to use
    EXPECT_TRUE(preferredPlatform("wayland-0", "wayland", ":0").isEmpty());
    EXPECT_TRUE(preferredPlatform("wayland-0", "offscreen", "").isEmpty());
    EXPECT_TRUE(preferredPlatform("", "", ":0").isEmpty());
    EXPECT_TRUE(preferredPlatform("", "", "").isEmpty());
}

TEST(DisplayPlatform, OnlyNativeWaylandIsWarnedAbout) {
    EXPECT_TRUE(placementWarning(QStringLiteral("wayland")).contains(QStringLiteral("Wayland")));
    EXPECT_FALSE(placementWarning(QStringLiteral("wayland-egl")).isEmpty());
    EXPECT_TRUE(placementWarning(QStringLiteral("xcb")).isEmpty());
    EXPECT_TRUE(placementWarning(QStringLiteral("offscreen")).isEmpty());
}

} // namespace
