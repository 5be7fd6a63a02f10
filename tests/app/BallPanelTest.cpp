// Runs on two offscreen screens side by side: "left" (0, 0, 1920, 1080) and
// "right" (1920, 0, 1280, 1024).
#include "ball/FloatingPanel.h"
#include "ball/SpeedView.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "shell/DesktopApp.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using TuckEdge = SpeedView::TuckEdge;
using Catalogue = PreferencesCatalogue;

class BallPanelTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::screens().size(), 2) << "needs the two-screen configuration";
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
    }

    void openAt(int x, int y) {
        panel = std::make_unique<FloatingPanel>(QRect(x, y, 216, 92));
        view = new SpeedView;
        panel->setContentView(view);
        view->hostPanel = panel.get();
        panel->orderFrontRegardless();
    }

    void mouse(QEvent::Type type, QPoint global, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint local = global - view->mapToGlobal(QPoint(0, 0));
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                      : type == QEvent::MouseMove        ? Qt::MouseButtons(button)
                                                                         : button;
        QMouseEvent event(type, QPointF(local), QPointF(global),
                          type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    }

    // Presses at `from`, moves through each point, releases at the last.
    void drag(QPoint from, std::initializer_list<QPoint> through) {
        mouse(QEvent::MouseButtonPress, from);
        QPoint last = from;
        for (QPoint p : through) {
            mouse(QEvent::MouseMove, p);
            last = p;
        }
        mouse(QEvent::MouseButtonRelease, last);
    }

    void click(QPoint at) { drag(at, {}); }

    // Moves the ball so its top-left lands at `to`, grabbing it 100 points in.
    void dragBallTo(QPoint to) {
        const QPoint grab = panel->pos() + QPoint(100, 40);
        drag(grab, {grab + QPoint(5, 0), to + QPoint(100, 40)});
    }

    bool settlesAt(const QRect& frame) {
        return QTest::qWaitFor([&] { return panel->geometry() == frame; }, 2000);
    }

    static std::optional<QString> stored(const QString& key) {
        return UserDefaults::stringValue(key);
    }

    std::unique_ptr<FloatingPanel> panel;
    SpeedView* view = nullptr;
};

TEST_F(BallPanelTest, ClickOnUntuckedBallAsksForTheMenuAndSavesNothing) {
    openAt(800, 400);
    QSignalSpy clicks(view, &SpeedView::clicked);
    click({900, 440});
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0][0].toPoint(), QPoint(900, 440));
    EXPECT_EQ(panel->geometry(), QRect(800, 400, 216, 92));
    EXPECT_FALSE(UserDefaults::contains(Catalogue::kWidgetFrame));
    EXPECT_FALSE(UserDefaults::contains(Catalogue::kWidgetTucked));
    EXPECT_FALSE(view->dragging);
}

TEST_F(BallPanelTest, WobbleOfThreePointsIsStillAClickThoughTheBallFollows) {
    openAt(800, 400);
    QSignalSpy clicks(view, &SpeedView::clicked);
    mouse(QEvent::MouseButtonPress, {900, 440});
    mouse(QEvent::MouseMove, {903, 437});
    EXPECT_EQ(panel->pos(), QPoint(803, 397));
    mouse(QEvent::MouseMove, {900, 440});
    mouse(QEvent::MouseButtonRelease, {900, 440});
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_FALSE(view->dragMoved);

    drag({900, 440}, {{904, 440}, {900, 440}});
    EXPECT_EQ(clicks.size(), 1) << "four points is a drag";
    EXPECT_EQ(stored(Catalogue::kWidgetFrame), QStringLiteral("{{800, 400}, {216, 92}}"));
}

TEST_F(BallPanelTest, DropTwentyFourFromTheLeftTucksTwentyFiveStays) {
    openAt(800, 400);
    UserDefaults::setString(Catalogue::kWidgetTucked, QStringLiteral("right"));
    dragBallTo({25, 400});
    EXPECT_EQ(view->tuckedEdge, TuckEdge::none);
    EXPECT_EQ(panel->geometry(), QRect(25, 400, 216, 92));
    EXPECT_EQ(stored(Catalogue::kWidgetFrame), QStringLiteral("{{25, 400}, {216, 92}}"));
    EXPECT_FALSE(UserDefaults::contains(Catalogue::kWidgetTucked));

    dragBallTo({24, 300});
    EXPECT_EQ(view->tuckedEdge, TuckEdge::left);
    EXPECT_TRUE(settlesAt({-186, 300, 216, 92}));
    EXPECT_EQ(stored(Catalogue::kWidgetTucked), QStringLiteral("left"));
    // The untucked frame stays the last one saved.
    EXPECT_EQ(stored(Catalogue::kWidgetFrame), QStringLiteral("{{25, 400}, {216, 92}}"));
}

TEST_F(BallPanelTest, DropPastTheRightEdgeTucksRightAndAClickBringsItBack) {
    openAt(800, 400);
    dragBallTo({1800, 500});
    EXPECT_EQ(view->tuckedEdge, TuckEdge::right);
    EXPECT_TRUE(settlesAt({1890, 500, 216, 92}));
    EXPECT_EQ(stored(Catalogue::kWidgetTucked), QStringLiteral("right"));

    // Most of the tucked ball hangs over the right screen; it still belongs to the left one.
    click({1900, 540});
    EXPECT_EQ(view->tuckedEdge, TuckEdge::none);
    EXPECT_TRUE(settlesAt({1704, 500, 216, 92}));
    EXPECT_EQ(stored(Catalogue::kWidgetFrame), QStringLiteral("{{1704, 500}, {216, 92}}"));
    EXPECT_FALSE(UserDefaults::contains(Catalogue::kWidgetTucked));
}

TEST_F(BallPanelTest, ClickOnLeftTuckedBallExpandsFlushLeft) {
    openAt(10, 200);
    view->tuckToNearestEdge();
    ASSERT_TRUE(settlesAt({-186, 200, 216, 92}));
    QSignalSpy clicks(view, &SpeedView::clicked);
    click({15, 240});
    EXPECT_EQ(clicks.size(), 0);
    EXPECT_TRUE(settlesAt({0, 200, 216, 92}));
    EXPECT_EQ(stored(Catalogue::kWidgetFrame), QStringLiteral("{{0, 200}, {216, 92}}"));
    EXPECT_FALSE(UserDefaults::contains(Catalogue::kWidgetTucked));
}

TEST_F(BallPanelTest, DraggingATuckedBall) {
    openAt(10, 200);
    view->tuckToNearestEdge();
    ASSERT_TRUE(settlesAt({-186, 200, 216, 92}));
    // Into the right zone: tucked right.
    dragBallTo({1750, 200});
    EXPECT_EQ(view->tuckedEdge, TuckEdge::right);
    EXPECT_TRUE(settlesAt({1890, 200, 216, 92}));
    EXPECT_EQ(stored(Catalogue::kWidgetTucked), QStringLiteral("right"));
    // Elsewhere: untucked where dropped.
    dragBallTo({700, 300});
    EXPECT_EQ(view->tuckedEdge, TuckEdge::none);
    EXPECT_TRUE(settlesAt({700, 300, 216, 92}));
    EXPECT_EQ(stored(Catalogue::kWidgetFrame), QStringLiteral("{{700, 300}, {216, 92}}"));
    EXPECT_FALSE(UserDefaults::contains(Catalogue::kWidgetTucked));
}

TEST_F(BallPanelTest, MenuTuckSendsACentredBallLeftAndExpandNowComesBack) {
    openAt((1920 - 216) / 2, 300);
    view->tuckToNearestEdge();
    EXPECT_EQ(view->tuckedEdge, TuckEdge::left);
    EXPECT_TRUE(settlesAt({-186, 300, 216, 92}));
    EXPECT_EQ(stored(Catalogue::kWidgetTucked), QStringLiteral("left"));
    EXPECT_FALSE(UserDefaults::contains(Catalogue::kWidgetFrame));
    view->expandNow();
    EXPECT_TRUE(settlesAt({0, 300, 216, 92}));
    EXPECT_FALSE(UserDefaults::contains(Catalogue::kWidgetTucked));
    EXPECT_EQ(stored(Catalogue::kWidgetFrame), QStringLiteral("{{0, 300}, {216, 92}}"));
    // Expanding an untucked ball puts it at the right edge.
    view->expandNow();
    EXPECT_TRUE(settlesAt({1704, 300, 216, 92}));
}

TEST_F(BallPanelTest, EdgesAreThoseOfTheScreenTheBallIsOn) {
    openAt(2400, 100);
    view->tuckToNearestEdge(); // 480 from the left edge at 1920, 584 from the right at 3200
    EXPECT_TRUE(settlesAt({1734, 100, 216, 92}));
    view->expandNow();
    EXPECT_TRUE(settlesAt({1920, 100, 216, 92}));
    dragBallTo({2959, 100});
    EXPECT_EQ(view->tuckedEdge, TuckEdge::none);
    dragBallTo({2960, 100}); // right edge at 3176 = 3200 - 24
    EXPECT_EQ(view->tuckedEdge, TuckEdge::right);
    EXPECT_TRUE(settlesAt({3170, 100, 216, 92}));
}

TEST_F(BallPanelTest, DragStaysInsideTheScreenVertically) {
    openAt(800, 400);
    mouse(QEvent::MouseButtonPress, {900, 440});
    mouse(QEvent::MouseMove, {900, 0});
    EXPECT_EQ(panel->pos(), QPoint(800, 0));
    mouse(QEvent::MouseMove, {900, 1079});
    EXPECT_EQ(panel->pos(), QPoint(800, 1080 - 92));
    // x is never clamped.
    mouse(QEvent::MouseMove, {0, 440});
    EXPECT_EQ(panel->pos(), QPoint(-100, 400));
    // On the shorter right screen the bottom limit follows it.
    mouse(QEvent::MouseMove, {2500, 1023});
    EXPECT_EQ(panel->pos(), QPoint(2400, 1024 - 92));
    mouse(QEvent::MouseButtonRelease, {2500, 1023});
    EXPECT_EQ(stored(Catalogue::kWidgetFrame), QStringLiteral("{{2400, 932}, {216, 92}}"));
}

TEST_F(BallPanelTest, RightButtonAsksForTheContextMenuAndDoesNotDrag) {
    openAt(800, 400);
    QSignalSpy menus(view, &SpeedView::contextMenuRequested);
    QSignalSpy clicks(view, &SpeedView::clicked);
    drag({900, 440}, {});
    mouse(QEvent::MouseButtonPress, {900, 440}, Qt::RightButton);
    EXPECT_FALSE(view->dragging);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 40), QPoint(900, 440));
    QCoreApplication::sendEvent(view, &event);
    mouse(QEvent::MouseButtonRelease, {900, 440}, Qt::RightButton);
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0][0].toPoint(), QPoint(900, 440));
    EXPECT_EQ(clicks.size(), 1); // only the left click before
}

TEST_F(BallPanelTest, AViewWithoutPanelIgnoresTheMouse) {
    SpeedView view;
    QSignalSpy clicks(&view, &SpeedView::clicked);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(10, 10),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &press);
    QCoreApplication::sendEvent(&view, &release);
    view.tuckToNearestEdge();
    view.expandNow();
    view.toggleFloating();
    view.restoreTuckState();
    EXPECT_EQ(clicks.size(), 0);
    EXPECT_EQ(view.tuckedEdge, TuckEdge::none);
    EXPECT_TRUE(UserDefaults::keys().isEmpty());
}

TEST_F(BallPanelTest, OpacityIsClampedStoredAndFaded) {
    openAt(800, 400);
    EXPECT_DOUBLE_EQ(view->currentOpacity(), 1.0);
    view->opacitySliderChanged(10);
    EXPECT_DOUBLE_EQ(UserDefaults::doubleValue(Catalogue::kWidgetOpacity), 0.1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return qAbs(panel->windowOpacity() - 0.1) < 0.005; }));
    view->setOpacity(0.8);
    EXPECT_DOUBLE_EQ(view->currentOpacity(), 0.8);
    EXPECT_TRUE(QTest::qWaitFor([&] { return qAbs(panel->windowOpacity() - 0.8) < 0.005; }));
    view->setOpacity(0.02);
    EXPECT_DOUBLE_EQ(view->currentOpacity(), 0.1);
    view->setOpacity(7);
    EXPECT_DOUBLE_EQ(view->currentOpacity(), 1.0);
    view->setOpacity(qQNaN());
    EXPECT_DOUBLE_EQ(view->currentOpacity(), 1.0);
}

TEST_F(BallPanelTest, StoredOpacityReadsAsOneWhenNotPositive) {
    openAt(800, 400);
    for (double stored : {0.0, -1.0}) {
        UserDefaults::setDouble(Catalogue::kWidgetOpacity, stored);
        EXPECT_DOUBLE_EQ(view->currentOpacity(), 1.0) << stored;
    }
    UserDefaults::setDouble(Catalogue::kWidgetOpacity, 0.805);
    EXPECT_DOUBLE_EQ(view->currentOpacity(), 0.805);
    EXPECT_EQ(SpeedView::opacityPresets[1].title, QStringLiteral("80%"));
    EXPECT_EQ(SpeedView::opacityKey, QStringLiteral("widgetOpacity"));
}

TEST_F(BallPanelTest, ToggleFloatingHidesAndShows) {
    openAt(800, 400);
    view->toggleFloating();
    EXPECT_FALSE(panel->isVisible());
    view->toggleFloating();
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(BallPanelTest, StartUpRestoresTheTuckAtTheSavedHeight) {
    UserDefaults::setString(Catalogue::kWidgetFrame, QStringLiteral("{{500, 300}, {216, 92}}"));
    UserDefaults::setString(Catalogue::kWidgetTucked, QStringLiteral("right"));
    DesktopApp app;
    app.start();
    EXPECT_EQ(app.view()->tuckedEdge, TuckEdge::right);
    EXPECT_EQ(app.panel()->geometry(), QRect(1890, 300, 216, 92)); // at once, not animated

    UserDefaults::setString(Catalogue::kWidgetFrame, QStringLiteral("{{2100, 50}, {300, 92}}"));
    UserDefaults::setString(Catalogue::kWidgetTucked, QStringLiteral("left"));
    DesktopApp second;
    second.start();
    EXPECT_EQ(second.panel()->geometry(), QRect(1734, 50, 216, 92));
}

TEST_F(BallPanelTest, StartUpBringsBackABallSavedOnAScreenThatIsGone) {
    UserDefaults::setString(Catalogue::kWidgetFrame, QStringLiteral("{{4000, 300}, {216, 92}}"));
    DesktopApp app;
    app.start();
    const QRect visible = app.panel()->screen()->availableGeometry();
    EXPECT_TRUE(visible.contains(app.panel()->geometry()));
    EXPECT_EQ(app.panel()->geometry().right() + 1, visible.right() + 1);

    UserDefaults::setString(Catalogue::kWidgetTucked, QStringLiteral("left"));
    DesktopApp tucked;
    tucked.start();
    EXPECT_EQ(tucked.view()->tuckedEdge, TuckEdge::left);
    EXPECT_TRUE(visible.intersects(tucked.panel()->geometry()));
    EXPECT_EQ(tucked.panel()->width(), 216);
}

TEST_F(BallPanelTest, ABallWhoseScreenGoesComesBackOntoTheOneLeft) {
    const QRect left(0, 0, 1920, 1080);
    openAt(2500, 500); // on the right screen
    view->keepOnScreens({left}, left);
    EXPECT_EQ(panel->geometry(), QRect(1704, 500, 216, 92));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(UserDefaults::contains(Catalogue::kWidgetFrame)) << "the user's place stays";

    dragBallTo(QPoint(3100, 300)); // dropped past the right screen's edge: tucked there
    ASSERT_TRUE(settlesAt(QRect(3170, 300, 216, 92)));
    view->keepOnScreens({left}, left);
    EXPECT_EQ(panel->geometry(), QRect(1890, 300, 216, 92));
    EXPECT_EQ(view->tuckedEdge, TuckEdge::right);
    click(QPoint(1900, 340)); // and its strip still brings it back
    EXPECT_TRUE(settlesAt(QRect(1704, 300, 216, 92)));
}

TEST_F(BallPanelTest, StartUpIgnoresAnUnknownTuckEdge) {
    UserDefaults::setString(Catalogue::kWidgetFrame, QStringLiteral("{{500, 300}, {216, 92}}"));
    UserDefaults::setString(Catalogue::kWidgetTucked, QStringLiteral("up"));
    DesktopApp app;
    app.start();
    EXPECT_EQ(app.view()->tuckedEdge, TuckEdge::none);
    EXPECT_EQ(app.panel()->geometry(), QRect(500, 300, 216, 92));
}

} // namespace
