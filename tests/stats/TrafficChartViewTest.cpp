#include "traffic/windows/TrafficChartView.h"

#include "StatsFixture.h"
#include "traffic/core/TrafficChartLayout.h"
#include "ui/TrafficTheme.h"

#include <gtest/gtest.h>

namespace {

QImage render(std::vector<BarGroup> groups, QSize size = {588, 196}) {
    TrafficChartView chart;
    chart.resize(size);
    chart.setBarData(std::move(groups));
    const QImage image = chart.grab().toImage();
    return image.devicePixelRatio() == 1 ? image : image.scaled(size);
}

int countNear(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += near(image.pixelColor(x, y), colour, 3);
    }
    return count;
}

} // namespace

TEST(TrafficChartView, EmptyShowsOnlyCardAndNoDataText) {
    TrafficChartView chart;
    chart.resize(588, 196);
    const QImage image = grabAndSave(chart, "stats-chart-empty");
    EXPECT_TRUE(near(image.pixelColor(30, 30), TrafficTheme::cardBG));
    EXPECT_EQ(countNear(image, image.rect(), TrafficTheme::downBlue), 0);
    // The text sits in the middle of the card.
    int inked = 0;
    for (int x = 254; x < 334; ++x)
        inked += !near(image.pixelColor(x, 98), TrafficTheme::cardBG, 20);
    EXPECT_GT(inked, 5);
}

TEST(TrafficChartView, BarsStandOnTheZeroLineWithComputedHeights) {
    // 500 000 bytes on a 1 000 000 scale: half of the 128-point plot.
    const QImage image = render({{"1/1", 500000, 0}, {"1/2", 1000000, 250000}});
    const auto layout = TrafficChartLayout::compute(588, 196, 2);
    const int x0 = int(layout.groupX(0) + 3);
    const int zero = int(layout.zeroLineY());
    EXPECT_TRUE(near(image.pixelColor(x0, zero - 2), TrafficTheme::downBlue));
    EXPECT_TRUE(near(image.pixelColor(x0, zero - 62), TrafficTheme::downBlue));
    EXPECT_FALSE(near(image.pixelColor(x0, zero - 67), TrafficTheme::downBlue));
    // The full-scale bar reaches the top line; the zero upload still shows one point.
    const int x1 = int(layout.groupX(1) + 3);
    EXPECT_TRUE(
        near(image.pixelColor(x1, int(TrafficChartLayout::kPlotTop) + 3), TrafficTheme::downBlue));
    const int upload0 = int(layout.groupX(0) + layout.groupWidth * 0.5 + 3);
    EXPECT_FALSE(near(image.pixelColor(upload0, zero - 3), TrafficTheme::upGreen));
    const int upload1 = int(layout.groupX(1) + layout.groupWidth * 0.5 + 3);
    EXPECT_TRUE(near(image.pixelColor(upload1, zero - 30), TrafficTheme::upGreen));
    // Groups are at most 38 points wide however wide the view.
    const QImage wide = render({{"1/1", 500000, 500000}}, {2000, 196});
    const auto wideLayout = TrafficChartLayout::compute(2000, 196, 1);
    EXPECT_EQ(countNear(wide, QRect(0, zero - 10, 2000, 1), TrafficTheme::downBlue),
              qRound(wideLayout.groupWidth * 0.45));
}

TEST(TrafficChartView, ManyGroupsSpanThePlot) {
    std::vector<BarGroup> groups;
    for (int i = 0; i < 400; ++i)
        groups.push_back({QString::number(i), 1000000, 0});
    const QImage image = render(groups);
    const auto layout = TrafficChartLayout::compute(588, 196, 400);
    int left = -1;
    int right = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (near(image.pixelColor(x, 90), TrafficTheme::downBlue, 60)) {
            left = left < 0 ? x : left;
            right = x;
        }
    }
    EXPECT_NEAR(left, layout.groupX(0), 1.5);
    EXPECT_NEAR(right, layout.groupX(399) + layout.groupWidth * 0.45, 2.5); // partly covered pixels
}
