#include "speedtest/windows/RateGraphView.h"

#include "support/Screenshots.h"
#include "ui/TrafficTheme.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

class RateGraphViewTest : public testing::Test {
protected:
    void SetUp() override { graph.resize(512, 116); }

    QImage render() { return graph.grab().toImage(); }

    static int distance(const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue());
    }
    static bool near(const QColor& a, const QColor& b, int tolerance = 6) {
        return std::abs(a.red() - b.red()) <= tolerance &&
               std::abs(a.green() - b.green()) <= tolerance &&
               std::abs(a.blue() - b.blue()) <= tolerance;
    }

    RateGraphView graph;
};

TEST_F(RateGraphViewTest, ResetShowsCardCaptionAndWaitingText) {
    graph.addSample(5, TrafficTheme::downBlue);
    graph.addSample(7, TrafficTheme::downBlue);
    graph.reset();
    EXPECT_TRUE(graph.samples().empty());
    EXPECT_EQ(graph.peak(), 0.0);
    EXPECT_EQ(graph.caption(), "Mbps");
    const QImage image = render();
    EXPECT_TRUE(near(image.pixelColor(40, 100), TrafficTheme::cardBG));
    // The waiting text sits in the middle of the card.
    int textPixels = 0;
    for (int x = 200; x < 312; ++x)
        textPixels += image.pixelColor(x, 58).lightness() > 60;
    EXPECT_GT(textPixels, 5);
}

TEST_F(RateGraphViewTest, OneSampleSetsPeakButDrawsNoLine) {
    graph.addSample(12.3, TrafficTheme::downBlue);
    EXPECT_EQ(graph.caption().toStdString(), "峰值 12.3 Mbps");
    const QImage image = render();
    const QPoint plotCorner = graph.plotRect().bottomLeft().toPoint() + QPoint(2, -2);
    EXPECT_TRUE(near(image.pixelColor(plotCorner), TrafficTheme::cardBG));
}

TEST_F(RateGraphViewTest, RatesBelowOneMbpsUseAOneMbpsScale) {
    graph.addSample(0.2, TrafficTheme::downBlue);
    graph.addSample(0.5, TrafficTheme::downBlue);
    const QRectF plot = graph.plotRect();
    EXPECT_EQ(plot, QRectF(10, 10, 492, 96));
    EXPECT_DOUBLE_EQ(graph.samplePoint(0).y(), plot.bottom() - 0.2 * plot.height());
    EXPECT_DOUBLE_EQ(graph.samplePoint(1).y(), plot.bottom() - 0.5 * plot.height());
    EXPECT_DOUBLE_EQ(graph.samplePoint(0).x(), plot.left());
    EXPECT_DOUBLE_EQ(graph.samplePoint(1).x(), plot.right());
    // The end dot is drawn at the last point in the sample's colour.
    const QImage image = render();
    EXPECT_TRUE(near(image.pixelColor(graph.samplePoint(1).toPoint()), TrafficTheme::downBlue));
}

TEST_F(RateGraphViewTest, TrimmingKeepsThePeak) {
    graph.addSample(100, TrafficTheme::downBlue);
    for (int i = 0; i < 240; ++i)
        graph.addSample(50, TrafficTheme::downBlue);
    ASSERT_EQ(graph.samples().size(), RateGraphView::kMaxSamples);
    EXPECT_EQ(graph.samples().front().v, 50.0);
    EXPECT_EQ(graph.peak(), 100.0);
    EXPECT_EQ(graph.caption().toStdString(), "峰值 100.0 Mbps");
    const QRectF plot = graph.plotRect();
    EXPECT_DOUBLE_EQ(graph.samplePoint(239).y(), plot.bottom() - 0.5 * plot.height());
    EXPECT_DOUBLE_EQ(graph.samplePoint(1).x() - graph.samplePoint(0).x(), plot.width() / 239);
    graph.reset();
    graph.addSample(2, TrafficTheme::upGreen);
    EXPECT_EQ(graph.peak(), 2.0);
}

TEST_F(RateGraphViewTest, NewestSampleColoursTheWholeCurve) {
    for (int i = 0; i < 10; ++i)
        graph.addSample(10, TrafficTheme::downBlue);
    for (int i = 0; i < 10; ++i)
        graph.addSample(10, TrafficTheme::upGreen);
    const QImage image = render();
    // A flat line at full scale: every point, old or new, is drawn in the newest colour.
    const QPointF early = graph.samplePoint(2);
    const QColor onLine = image.pixelColor(early.toPoint());
    EXPECT_LT(distance(onLine, TrafficTheme::upGreen) * 4, distance(onLine, TrafficTheme::downBlue))
        << onLine.name().toStdString();
    // Below the line the area is the same colour, faint, over the card.
    const QColor area = image.pixelColor(early.toPoint() + QPoint(0, 40));
    EXPECT_FALSE(near(area, TrafficTheme::cardBG, 2));
    EXPECT_GT(area.green(), area.red());
    saveScreenshot(image, QStringLiteral("rate-graph"));
}

} // namespace
