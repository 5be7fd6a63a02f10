#include "ball/SpeedView.h"

#include "support/Screenshots.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using TuckEdge = SpeedView::TuckEdge;

// Bar i of 60 starts at 14 + 3.1333 i and is 1.93 wide: bar 30 fully covers pixel column 108.
constexpr int kBar = 30;
constexpr int kBarColumn = 108;

QImage render(SpeedView& view, const char* name) {
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    view.draw(painter);
    painter.end();
    saveScreenshot(image, QString::fromLatin1(name));
    return image;
}

bool isBlue(const QColor& c) {
    return c.alpha() > 200 && c.blue() > 180 && c.blue() > c.red() + 80 &&
           c.blue() > c.green() + 20;
}

bool isGreen(const QColor& c) {
    return c.alpha() > 200 && c.green() > 140 && c.green() > c.red() + 60 &&
           c.green() > c.blue() + 30;
}

bool isBackground(const QColor& c) {
    return c.red() < 30 && c.green() < 30 && c.blue() < 30 && c.alpha() > 190;
}

TEST(SpeedViewDrawing, BackgroundIsDarkTranslucentAndRounded) {
    SpeedView view;
    const QImage image = render(view, "empty");
    const QColor inside = image.pixelColor(100, 86);
    EXPECT_TRUE(isBackground(inside)) << inside.name(QColor::HexArgb).toStdString();
    EXPECT_NEAR(inside.alphaF(), 0.82, 0.01);
    EXPECT_NEAR(inside.redF(), 0.07, 0.01);
    // Corners outside the radius stay transparent; the outline is a faint light line.
    EXPECT_EQ(image.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(image.pixelColor(214, 90).alpha(), 0);
    EXPECT_GT(image.pixelColor(100, 0).red(), inside.red() + 15);
}

TEST(SpeedViewDrawing, RatesAreWrittenInTheirRows) {
    SpeedView view;
    view.uploadSpeed = 1536;
    view.downloadSpeed = 1048576 * 12.5;
    const QImage image = render(view, "rates");
    auto count = [&](int x0, int x1, int y0, int y1, auto match) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += match(image.pixelColor(x, y));
        return n;
    };
    auto white = [](const QColor& c) {
        return c.alpha() > 200 && c.red() > 200 && c.green() > 200 && c.blue() > 200;
    };
    EXPECT_GT(count(14, 30, 12, 30, isGreen), 5); // ↑
    EXPECT_GT(count(14, 30, 35, 53, isBlue), 5);  // ↓
    EXPECT_GT(count(34, 120, 12, 30, white), 20); // 1.5 KB/s
    EXPECT_GT(count(34, 120, 35, 53, white), 20); // 12.5 MB/s
    EXPECT_EQ(count(34, 200, 0, 11, white), 0);   // nothing above the first row
    EXPECT_EQ(count(150, 200, 12, 53, white), 0); // short texts end well before 150
}

TEST(SpeedViewDrawing, EmptyHistoriesDrawNoBar) {
    SpeedView view;
    const QImage image = render(view, "no-bars");
    const QColor background = image.pixelColor(100, 86);
    for (int y = 60; y < 85; ++y)
        for (int x = 12; x < 204; ++x)
            ASSERT_EQ(image.pixelColor(x, y), background) << x << "," << y;
}

TEST(SpeedViewDrawing, LargestEntryHangsFromSixtyTwoToEightyTwo) {
    SpeedView view;
    view.downHistory[kBar] = 2048;
    const QImage image = render(view, "full-bar");
    for (int y = 63; y <= 80; ++y)
        EXPECT_TRUE(isBlue(image.pixelColor(kBarColumn, y))) << y;
    EXPECT_TRUE(isBackground(image.pixelColor(kBarColumn, 60)));
    EXPECT_TRUE(isBackground(image.pixelColor(kBarColumn, 83)));
    // Neighbouring bars are empty; the gap between bars too.
    EXPECT_TRUE(isBackground(image.pixelColor(kBarColumn - 3, 70)));
    EXPECT_TRUE(isBackground(image.pixelColor(kBarColumn + 4, 70)));
    EXPECT_FALSE(isGreen(image.pixelColor(kBarColumn, 81)));
}

TEST(SpeedViewDrawing, DownloadOnTopUploadBelow) {
    SpeedView view;
    view.downHistory[kBar] = 1000000;
    view.upHistory[kBar] = 250000;
    view.downHistory[5] = 1000;
    const QImage image = render(view, "split-bar");
    for (int y = 63; y <= 76; ++y)
        EXPECT_TRUE(isBlue(image.pixelColor(kBarColumn, y))) << y;
    for (int y = 79; y <= 80; ++y)
        EXPECT_TRUE(isGreen(image.pixelColor(kBarColumn, y))) << y;
    EXPECT_TRUE(isBackground(image.pixelColor(kBarColumn, 83)));
    // 1000 B/s against a 1.25 MB/s maximum is far below one pixel.
    EXPECT_TRUE(isBackground(image.pixelColor(30, 64)));
}

TEST(SpeedViewDrawing, HandleShowsOnlyWhenTucked) {
    SpeedView view;
    auto handleAt = [&](const QImage& image, int x) {
        return isBlue(image.pixelColor(x, 46)) && isBlue(image.pixelColor(x, 33)) &&
               isBlue(image.pixelColor(x, 58)) && !isBlue(image.pixelColor(x, 30)) &&
               !isBlue(image.pixelColor(x, 62));
    };
    QImage image = render(view, "untucked");
    EXPECT_FALSE(isBlue(image.pixelColor(187, 46)));
    EXPECT_FALSE(isBlue(image.pixelColor(28, 46)));

    view.tuckedEdge = TuckEdge::left;
    image = render(view, "tucked-left");
    EXPECT_TRUE(handleAt(image, 187)); // x = 216 - 30 = 186, 3 wide
    EXPECT_TRUE(isBackground(image.pixelColor(184, 46)));
    EXPECT_FALSE(isBlue(image.pixelColor(28, 46)));

    view.tuckedEdge = TuckEdge::right;
    image = render(view, "tucked-right");
    EXPECT_TRUE(handleAt(image, 28)); // x = 27
    EXPECT_TRUE(isBackground(image.pixelColor(31, 46)));
    EXPECT_FALSE(isBlue(image.pixelColor(187, 46)));
}

TEST(SpeedViewDrawing, ResetEmptiesTheSparklineAtOnce) {
    SpeedView view;
    view.recordTick({100, 5000, 100, 5000});
    EXPECT_TRUE(isBlue(render(view, "before-reset").pixelColor(199, 66)));
    view.resetStats();
    const QImage after = render(view, "after-reset");
    const QColor background = after.pixelColor(100, 86);
    for (int y = 60; y < 85; ++y)
        EXPECT_EQ(after.pixelColor(199, y), background) << y;
}

TEST(SpeedViewDrawing, HighDensityPaintingKeepsTheGeometry) {
    SpeedView view;
    view.downHistory[kBar] = 2048;
    for (int pass = 0; pass < 2; ++pass) { // the second pass reuses the cached background
        QImage image(view.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        view.draw(painter);
        painter.end();
        EXPECT_TRUE(isBlue(image.pixelColor(2 * kBarColumn + 1, 2 * 70))) << pass;
        EXPECT_TRUE(isBackground(image.pixelColor(2 * 100, 2 * 86))) << pass;
        EXPECT_TRUE(isBackground(image.pixelColor(2 * 200, 2 * 86))) << pass;
        EXPECT_EQ(image.pixelColor(1, 1).alpha(), 0) << pass;
        EXPECT_EQ(image.pixelColor(2 * 216 - 2, 2 * 92 - 2).alpha(), 0) << pass;
    }
    // Back at ratio 1 the cache follows.
    const QImage plain = render(view, "after-hidpi");
    EXPECT_TRUE(isBackground(plain.pixelColor(100, 86)));
    EXPECT_EQ(plain.pixelColor(1, 1).alpha(), 0);
}

TEST(SpeedViewDrawing, WidgetPaintsTheSameAsDraw) {
    SpeedView view;
    view.downHistory[kBar] = 2048;
    const QImage grabbed = view.grab().toImage();
    ASSERT_EQ(grabbed.size(), QSize(216, 92));
    EXPECT_TRUE(isBlue(grabbed.pixelColor(kBarColumn, 70)));
}

} // namespace
