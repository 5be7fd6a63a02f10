#include "ball/BallGeometry.h"

#include <QString>

#include <gtest/gtest.h>

namespace {

using namespace BallGeometry;
using Action = ReleaseAction;

const QRect kScreen(0, 0, 1920, 1080);
// A second screen to the right, below a 28-pixel top bar.
const QRect kOffsetScreen(1920, 28, 1280, 996);

QRect ballAt(int x, int y) {
    return QRect(QPoint(x, y), kWidgetSize);
}

TEST(BallGeometry, TuckedAndExpandedFramesSitAgainstTheEdges) {
    EXPECT_EQ(tuckedFrame(TuckEdge::left, 400, kScreen), QRect(-186, 400, 216, 92));
    EXPECT_EQ(tuckedFrame(TuckEdge::right, 400, kScreen), QRect(1890, 400, 216, 92));
    EXPECT_EQ(expandedFrame(TuckEdge::left, 400, kScreen), QRect(0, 400, 216, 92));
    EXPECT_EQ(expandedFrame(TuckEdge::right, 400, kScreen), QRect(1704, 400, 216, 92));
    EXPECT_EQ(tuckedFrame(TuckEdge::left, 7, kOffsetScreen), QRect(1734, 7, 216, 92));
    EXPECT_EQ(tuckedFrame(TuckEdge::right, 7, kOffsetScreen), QRect(3170, 7, 216, 92));
    EXPECT_EQ(expandedFrame(TuckEdge::left, 7, kOffsetScreen).x(), 1920);
    EXPECT_EQ(expandedFrame(TuckEdge::right, 7, kOffsetScreen).x(), 2984);
}

TEST(BallGeometry, TuckZoneIsTwentyFourPointsInclusive) {
    EXPECT_EQ(tuckZone(ballAt(24, 300), kScreen), TuckEdge::left);
    EXPECT_EQ(tuckZone(ballAt(25, 300), kScreen), TuckEdge::none);
    EXPECT_EQ(tuckZone(ballAt(-100, 300), kScreen), TuckEdge::left);
    // Right edge of the ball at 1896 = 1920 - 24.
    EXPECT_EQ(tuckZone(ballAt(1680, 300), kScreen), TuckEdge::right);
    EXPECT_EQ(tuckZone(ballAt(1679, 300), kScreen), TuckEdge::none);
    EXPECT_EQ(tuckZone(ballAt(1800, 300), kScreen), TuckEdge::right);
    EXPECT_EQ(tuckZone(ballAt(1944, 300), kOffsetScreen), TuckEdge::left);
    EXPECT_EQ(tuckZone(ballAt(1945, 300), kOffsetScreen), TuckEdge::none);
    // A frame reaching both zones (a screen narrower than the ball plus margins) goes left.
    EXPECT_EQ(tuckZone(ballAt(10, 0), QRect(0, 0, 240, 500)), TuckEdge::left);
}

TEST(BallGeometry, NearestEdgeSendsACentredBallLeft) {
    EXPECT_EQ(nearestEdge(ballAt(852, 0), kScreen), TuckEdge::left);
    EXPECT_EQ(nearestEdge(ballAt(853, 0), kScreen), TuckEdge::right);
    EXPECT_EQ(nearestEdge(ballAt(851, 0), kScreen), TuckEdge::left);
    EXPECT_EQ(nearestEdge(ballAt(2400, 0), kOffsetScreen), TuckEdge::left);
    EXPECT_EQ(nearestEdge(ballAt(2600, 0), kOffsetScreen), TuckEdge::right);
}

TEST(BallGeometry, DraggedBallStaysInsideTheAreaVertically) {
    EXPECT_EQ(clampedY(-50, 92, kScreen), 0);
    EXPECT_EQ(clampedY(2000, 92, kScreen), 988);
    EXPECT_EQ(clampedY(500, 92, kScreen), 500);
    EXPECT_EQ(clampedY(0, 92, kOffsetScreen), 28);
    EXPECT_EQ(clampedY(1000, 92, kOffsetScreen), 932);
    // Taller than the area: the lower limit is applied last.
    EXPECT_EQ(clampedY(0, 200, QRect(0, 10, 100, 150)), -40);
}

TEST(BallGeometry, ClickToleranceIsStrictlyMoreThanThreePoints) {
    EXPECT_FALSE(movedBeyondClick({100, 100}, {103, 97}));
    EXPECT_FALSE(movedBeyondClick({100, 100}, {97, 103}));
    EXPECT_TRUE(movedBeyondClick({100, 100}, {104, 100}));
    EXPECT_TRUE(movedBeyondClick({100, 100}, {100, 96}));
}

TEST(BallGeometry, ReleaseFollowsTheTransitionTable) {
    const QRect middle = ballAt(800, 300);
    const QRect leftZone = ballAt(24, 300);
    const QRect rightZone = ballAt(1800, 300);
    struct Case {
        TuckEdge from;
        bool moved;
        QRect frame;
        Action expected;
    };
    const Case cases[] = {
        {TuckEdge::none, false, middle, {Action::openMenu}},
        {TuckEdge::none, false, leftZone, {Action::openMenu}},
        {TuckEdge::none, true, leftZone, {Action::tuck, TuckEdge::left}},
        {TuckEdge::none, true, rightZone, {Action::tuck, TuckEdge::right}},
        {TuckEdge::none, true, middle, {Action::stayDropped}},
        {TuckEdge::left, false, ballAt(-186, 300), {Action::expand, TuckEdge::left}},
        {TuckEdge::right, false, ballAt(1890, 300), {Action::expand, TuckEdge::right}},
        {TuckEdge::left, true, rightZone, {Action::tuck, TuckEdge::right}},
        {TuckEdge::right, true, ballAt(-40, 300), {Action::tuck, TuckEdge::left}},
        {TuckEdge::left, true, middle, {Action::stayDropped}},
    };
    for (const Case& c : cases) {
        const Action got = releaseAction(c.from, c.moved, c.frame, kScreen);
        EXPECT_EQ(got.kind, c.expected.kind) << int(c.from) << c.moved << c.frame.x();
        EXPECT_EQ(got.edge, c.expected.edge) << int(c.from) << c.moved << c.frame.x();
    }
}

TEST(BallGeometry, ScreenIsTheOneHoldingMostOfTheBall) {
    const QList<QRect> screens{kScreen, QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(screenIndexForFrame(ballAt(100, 100), screens), 0);
    EXPECT_EQ(screenIndexForFrame(ballAt(1800, 100), screens), 0); // 120 vs 96 columns
    EXPECT_EQ(screenIndexForFrame(ballAt(1850, 100), screens), 1);
    EXPECT_EQ(screenIndexForFrame(ballAt(5000, 100), screens), -1);
    EXPECT_EQ(screenIndexForFrame(ballAt(100, 100), {}), -1);
}

TEST(BallGeometry, TuckedBallBelongsToTheScreenOfItsPeekStrip) {
    // Tucked right against the inner edge, most of the ball hangs over the next screen, yet
    // it belongs to the screen where its strip shows.
    const QRect tucked = tuckedFrame(TuckEdge::right, 100, kScreen);
    EXPECT_EQ(onScreenPart(tucked, TuckEdge::right), QRect(1890, 100, 30, 92));
    EXPECT_EQ(onScreenPart(QRect(-186, 0, 216, 92), TuckEdge::left), QRect(0, 0, 30, 92));
    EXPECT_EQ(onScreenPart(ballAt(5, 6), TuckEdge::none), ballAt(5, 6));
}

TEST(BallGeometry, PullingAFrameBackInside) {
    EXPECT_EQ(pulledInside(ballAt(2500, 1500), kScreen), ballAt(1704, 988));
    EXPECT_EQ(pulledInside(ballAt(-900, -40), kOffsetScreen), ballAt(1920, 28));
    EXPECT_EQ(pulledInside(ballAt(300, 200), kScreen), ballAt(300, 200));
}

TEST(BallGeometry, AfterAScreenChangeTheBallIsWhereItCanBeSeen) {
    const QRect right(1920, 0, 1280, 1024);
    const QList<QRect> both{kScreen, right};
    const QRect shrunk(0, 0, 1280, 720);
    struct Case {
        const char* what;
        QRect frame;
        TuckEdge tucked;
        QList<QRect> screens;
        QRect expected;
    };
    const Case cases[] = {
        {"untouched", ballAt(300, 200), TuckEdge::none, both, ballAt(300, 200)},
        {"across two screens", ballAt(1800, 100), TuckEdge::none, both, ballAt(1800, 100)},
        {"its screen removed", ballAt(2500, 500), TuckEdge::none, {kScreen}, ballAt(1704, 500)},
        {"half of it on a removed screen",
         ballAt(1800, 100),
         TuckEdge::none,
         {kScreen},
         ballAt(1704, 100)},
        {"its screen shrunk", ballAt(1200, 700), TuckEdge::none, {shrunk}, ballAt(1064, 628)},
        {"no screen but the fallback", ballAt(5000, 100), TuckEdge::none, {}, ballAt(1704, 100)},
        {"tucked, untouched", QRect(1890, 100, 216, 92), TuckEdge::right, both,
         QRect(1890, 100, 216, 92)},
        {"tucked, its screen grew",
         QRect(1890, 100, 216, 92),
         TuckEdge::right,
         {QRect(0, 0, 2560, 1440)},
         QRect(2530, 100, 216, 92)},
        {"tucked, its screen removed",
         QRect(3170, 500, 216, 92),
         TuckEdge::right,
         {kScreen},
         QRect(1890, 500, 216, 92)},
        {"tucked left, its screen lower",
         QRect(-186, 1000, 216, 92),
         TuckEdge::left,
         {shrunk},
         QRect(-186, 628, 216, 92)},
    };
    for (const Case& c : cases) {
        const QRect fallback = c.screens.isEmpty() ? kScreen : c.screens.front();
        EXPECT_EQ(frameForScreens(c.frame, c.tucked, c.screens, fallback), c.expected) << c.what;
    }
}

TEST(BallGeometry, TuckEdgeText) {
    EXPECT_EQ(edgeText(TuckEdge::left), QStringLiteral("left"));
    EXPECT_EQ(edgeText(TuckEdge::right), QStringLiteral("right"));
    EXPECT_TRUE(edgeText(TuckEdge::none).isEmpty());
    EXPECT_EQ(edgeFromText(QStringLiteral("left")), TuckEdge::left);
    EXPECT_EQ(edgeFromText(QStringLiteral("right")), TuckEdge::right);
    for (const char* other : {"", "Left", "none", "up", " left"})
        EXPECT_EQ(edgeFromText(QString::fromLatin1(other)), TuckEdge::none) << other;
}

} // namespace
