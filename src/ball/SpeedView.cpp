#include "ball/SpeedView.h"

#include "ball/FloatingPanel.h"
#include "ball/PanelPlacement.h"
#include "common/RectText.h"
#include "common/Saturating.h"
#include "settings/UserDefaults.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kAnimationMilliseconds = 200;

void push(std::vector<double>& history, double value) {
    std::shift_left(history.begin(), history.end(), 1);
    history.back() = value;
}

QList<QRect> screenAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->geometry());
    return areas;
}

QPropertyAnimation* makeAnimation(const QByteArray& property, QObject* parent) {
    auto* animation = new QPropertyAnimation(parent);
    animation->setPropertyName(property);
    animation->setDuration(kAnimationMilliseconds);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    return animation;
}

} // namespace

SpeedView::SpeedView(QWidget* parent)
    : QWidget(parent), m_frameAnimation(makeAnimation("geometry", this)),
      m_opacityAnimation(makeAnimation("windowOpacity", this)) {
    resize(widgetSize);
    // Queued, so the screen list has settled when the ball looks at it.
    connect(qGuiApp, &QGuiApplication::screenAdded, this, &SpeedView::watchScreen);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &SpeedView::followScreens,
            Qt::QueuedConnection);
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
}

void SpeedView::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &SpeedView::followScreens,
            Qt::QueuedConnection);
    connect(screen, &QScreen::availableGeometryChanged, this, &SpeedView::followScreens,
            Qt::QueuedConnection);
}

void SpeedView::followScreens() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    keepOnScreens(areas, primary->availableGeometry());
}

void SpeedView::keepOnScreens(const QList<QRect>& availableAreas, const QRect& primaryArea) {
    if (!hostPanel)
        return;
    const QRect frame = settledFrame();
    const QRect kept =
        BallGeometry::frameForScreens(frame, tuckedEdge, availableAreas, primaryArea);
    if (kept == frame)
        return;
    m_frameAnimation->stop();
    hostPanel->setGeometry(kept);
}

void SpeedView::recordTick(const TickResult& tick) {
    uploadSpeed = tick.up;
    downloadSpeed = tick.down;
    peakUp = std::max(peakUp, tick.up);
    peakDown = std::max(peakDown, tick.down);
    totalUp = saturatingAdd(totalUp, tick.dUp);
    totalDown = saturatingAdd(totalDown, tick.dDown);
    push(upHistory, tick.up);
    push(downHistory, tick.down);
    update();
}

void SpeedView::resetStats() {
    peakUp = peakDown = 0;
    totalUp = totalDown = 0;
    std::fill(upHistory.begin(), upHistory.end(), 0.0);
    std::fill(downHistory.begin(), downHistory.end(), 0.0);
    update();
}

void SpeedView::draw(QPainter& painter) {
    m_painter.paint(
        painter, {QSizeF(size()), uploadSpeed, downloadSpeed, upHistory, downHistory, tuckedEdge});
}

void SpeedView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    draw(painter);
}

QScreen* SpeedView::screenHolding(const QRect& part) const {
    if (!hostPanel)
        return nullptr;
    const int index = BallGeometry::screenIndexForFrame(part, screenAreas());
    return index >= 0 ? QGuiApplication::screens()[index] : hostPanel->screen();
}

QScreen* SpeedView::panelScreen() const {
    return screenHolding(BallGeometry::onScreenPart(settledFrame(), tuckedEdge));
}

QRect SpeedView::settledFrame() const {
    if (m_frameAnimation->state() == QAbstractAnimation::Running)
        return m_frameAnimation->endValue().toRect();
    return hostPanel ? hostPanel->geometry() : QRect();
}

void SpeedView::animateFrame(const QRect& frame) {
    m_frameAnimation->stop();
    m_frameAnimation->setTargetObject(hostPanel);
    m_frameAnimation->setStartValue(hostPanel->geometry());
    m_frameAnimation->setEndValue(frame);
    m_frameAnimation->start();
}

void SpeedView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !hostPanel)
        return;
    // A press stops a slide in progress, so the ball is where the pointer holds it.
    m_frameAnimation->stop();
    const QPoint pointer = event->globalPosition().toPoint();
    dragStartScreen = pointer;
    dragOffset = pointer - hostPanel->pos();
    dragMoved = false;
    dragging = true;
}

void SpeedView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging || !hostPanel)
        return;
    const QPoint pointer = event->globalPosition().toPoint();
    if (BallGeometry::movedBeyondClick(dragStartScreen, pointer))
        dragMoved = true;
    QPoint origin = pointer - dragOffset;
    // Clamped against the screen the ball is being dragged onto.
    if (const QScreen* screen = screenHolding(QRect(origin, hostPanel->size())))
        origin.setY(
            BallGeometry::clampedY(origin.y(), hostPanel->height(), screen->availableGeometry()));
    hostPanel->move(origin);
}

void SpeedView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging)
        return;
    dragging = false;
    if (!hostPanel)
        return;
    // A dropped ball is wholly where it was dropped; a clicked tucked one only by its strip.
    const QRect frame = hostPanel->geometry();
    const QScreen* screen =
        screenHolding(dragMoved ? frame : BallGeometry::onScreenPart(frame, tuckedEdge));
    if (!screen)
        return;
    const QRect visible = screen->availableGeometry();
    using Action = BallGeometry::ReleaseAction;
    const Action action = BallGeometry::releaseAction(tuckedEdge, dragMoved, frame, visible);
    switch (action.kind) {
    case Action::openMenu:
        emit clicked(event->globalPosition().toPoint());
        return;
    case Action::expand:
        expand(action.edge, visible);
        break;
    case Action::tuck:
        tuck(action.edge, visible);
        break;
    case Action::stayDropped:
        tuckedEdge = TuckEdge::none;
        update();
        saveExpandedFrame();
        break;
    }
    saveTuckState();
}

void SpeedView::contextMenuEvent(QContextMenuEvent* event) {
    emit contextMenuRequested(event->globalPos());
}

void SpeedView::tuck(TuckEdge edge, const QRect& visible) {
    if (edge == TuckEdge::none || !hostPanel)
        return;
    tuckedEdge = edge;
    animateFrame(BallGeometry::tuckedFrame(edge, settledFrame().y(), visible));
    update();
}

void SpeedView::expand(TuckEdge edge, const QRect& visible) {
    if (!hostPanel)
        return;
    tuckedEdge = TuckEdge::none;
    animateFrame(BallGeometry::expandedFrame(edge, settledFrame().y(), visible));
    update();
    saveExpandedFrame();
}

void SpeedView::tuckToNearestEdge() {
    const QScreen* screen = panelScreen();
    if (!screen)
        return;
    const QRect visible = screen->availableGeometry();
    tuck(BallGeometry::nearestEdge(settledFrame(), visible), visible);
    saveTuckState();
}

void SpeedView::expandNow() {
    const QScreen* screen = panelScreen();
    if (!screen)
        return;
    expand(tuckedEdge == TuckEdge::none ? TuckEdge::right : tuckedEdge,
           screen->availableGeometry());
    saveTuckState();
}

void SpeedView::saveTuckState() {
    if (tuckedEdge == TuckEdge::none)
        UserDefaults::remove(PreferencesCatalogue::kWidgetTucked);
    else
        UserDefaults::setString(PreferencesCatalogue::kWidgetTucked,
                                BallGeometry::edgeText(tuckedEdge));
}

void SpeedView::restoreTuckState() {
    const QScreen* screen = panelScreen();
    if (!screen)
        return;
    const QRect visible = screen->availableGeometry();
    // A frame saved on a screen that is gone would leave the ball where nobody can see it.
    const QRect frame = hostPanel->geometry();
    if (BallGeometry::screenIndexForFrame(frame, screenAreas()) < 0)
        hostPanel->setGeometry(BallGeometry::pulledInside(frame, visible));
    const TuckEdge stored = BallGeometry::edgeFromText(
        UserDefaults::stringValue(PreferencesCatalogue::kWidgetTucked).value_or(QString()));
    if (stored == TuckEdge::none)
        return;
    tuckedEdge = stored;
    // The full tucked frame, so even a hand-edited wider stored frame peeks exactly the strip.
    hostPanel->setGeometry(BallGeometry::tuckedFrame(stored, hostPanel->y(), visible));
    update();
}

void SpeedView::saveExpandedFrame() {
    if (tuckedEdge != TuckEdge::none || !hostPanel)
        return;
    UserDefaults::setString(PreferencesCatalogue::kWidgetFrame, rectText(settledFrame()));
}

void SpeedView::toggleFloating() {
    if (!hostPanel)
        return;
    if (hostPanel->isVisible())
        hostPanel->hide();
    else
        hostPanel->orderFrontRegardless();
}

double SpeedView::currentOpacity() const {
    return PanelPlacement::initialOpacity(UserDefaults::doubleValue(opacityKey));
}

void SpeedView::applyOpacity(double value) {
    const std::optional<double> opacity = BallOpacity::chosen(value);
    if (!opacity)
        return;
    UserDefaults::setDouble(opacityKey, *opacity);
    if (!hostPanel)
        return;
    m_opacityAnimation->stop();
    m_opacityAnimation->setTargetObject(hostPanel);
    m_opacityAnimation->setStartValue(hostPanel->windowOpacity());
    m_opacityAnimation->setEndValue(*opacity);
    m_opacityAnimation->start();
}

void SpeedView::setOpacity(double value) {
    applyOpacity(value);
}

void SpeedView::opacitySliderChanged(int percent) {
    applyOpacity(BallOpacity::fromSliderPercent(percent));
}
