#include "ball/PanelPlacement.h"
#include "common/RectText.h"

#include <gtest/gtest.h>

namespace {

TEST(RectText, RoundTrips) {
    const QRectF rects[] = {{100, 200, 216, 92},
                            {-1920.5, 0, 300, 92},
                            {0, 0, 0, 0},
                            {1e6, -1e6, 0.25, 1},
                            {1.9e125, -1.7e308, 5e-324, 26}};
    for (const QRectF& rect : rects)
        EXPECT_EQ(parseRectText(rectText(rect)), rect) << rectText(rect).toStdString();
    EXPECT_EQ(rectText({100, 200, 216, 92}), QStringLiteral("{{100, 200}, {216, 92}}"));
    EXPECT_EQ(rectText({1000000, 0.5, 216, 92}), QStringLiteral("{{1000000, 0.5}, {216, 92}}"));
}

TEST(RectText, AcceptsSpacingVariants) {
    EXPECT_EQ(parseRectText(QStringLiteral("{{1,2},{3,4}}")), QRectF(1, 2, 3, 4));
    EXPECT_EQ(parseRectText(QStringLiteral("  { {1 , -2} ,{ 3.5, 4e1} } ")),
              QRectF(1, -2, 3.5, 40));
}

TEST(RectText, BadTextIsAllZero) {
    const char* bad[] = {"",
                         "garbage",
                         "{{1, 2}, {3}}",
                         "{{1, 2}, {3, 4}",
                         "{{1, 2}, {3, 4}} x",
                         "{{nan, 2}, {3, 4}}",
                         "{{1, inf}, {3, 4}}",
                         "{{1e999, 2}, {3, 4}}",
                         "{{0x10, 2}, {3, 4}}",
                         "{{1, 2}, {3, 4, 5}}"};
    for (const char* text : bad)
        EXPECT_EQ(parseRectText(QString::fromUtf8(text)), QRectF()) << text;
}

TEST(PanelPlacement, DefaultIsTopRightOfAvailableArea) {
    EXPECT_EQ(PanelPlacement::initialFrame(std::nullopt, QRect(0, 27, 1920, 1053)),
              QRect(1920 - 216 - 16, 27 + 12, 216, 92));
    // A secondary layout where the primary screen does not start at the origin.
    EXPECT_EQ(PanelPlacement::initialFrame(std::nullopt, QRect(1280, 0, 2560, 1400)),
              QRect(1280 + 2560 - 232, 12, 216, 92));
    EXPECT_EQ(PanelPlacement::initialFrame(std::nullopt, std::nullopt),
              QRect(1440 - 232, 12, 216, 92));
}

TEST(PanelPlacement, StoredFrame) {
    const QRect screen(0, 0, 1920, 1080);
    EXPECT_EQ(PanelPlacement::initialFrame(QStringLiteral("{{100, 200}, {216, 92}}"), screen),
              QRect(100, 200, 216, 92));
    EXPECT_EQ(PanelPlacement::initialFrame(QStringLiteral("{{100, 200}, {300, 92}}"), screen),
              QRect(100, 200, 300, 92));
    EXPECT_EQ(PanelPlacement::initialFrame(QStringLiteral("not a rect"), screen),
              QRect(0, 0, 216, 92));
    EXPECT_EQ(PanelPlacement::initialFrame(QStringLiteral("{{100, 200}, {10, 92}}"), screen),
              QRect(0, 0, 216, 92));
    EXPECT_EQ(PanelPlacement::initialFrame(QStringLiteral("{{100, 200}, {-300, 92}}"), screen),
              QRect(0, 0, 216, 92));
}

TEST(PanelPlacement, HostileStoredFrameStaysBounded) {
    const QRect frame = PanelPlacement::initialFrame(
        QStringLiteral("{{1e300, -1e300}, {1e300, -5}}"), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(frame.x(), 100000);
    EXPECT_EQ(frame.y(), -100000);
    EXPECT_EQ(frame.width(), 4096);
    EXPECT_EQ(frame.height(), 1);
}

TEST(PanelPlacement, Opacity) {
    EXPECT_DOUBLE_EQ(PanelPlacement::initialOpacity(0.4), 0.4);
    EXPECT_DOUBLE_EQ(PanelPlacement::initialOpacity(0), 1.0);
    EXPECT_DOUBLE_EQ(PanelPlacement::initialOpacity(-1), 1.0);
    EXPECT_DOUBLE_EQ(PanelPlacement::initialOpacity(7), 1.0);
}

} // namespace
