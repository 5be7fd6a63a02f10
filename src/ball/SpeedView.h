#pragma once

#include "ball/BallGeometry.h"
#include "ball/BallOpacity.h"
#include "ball/SpeedBallPainter.h"
#include "rates/RateSampler.h"
#include "settings/PreferencesCatalogue.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <vector>

class FloatingPanel;
class QPropertyAnimation;
class QScreen;

// The floating ball: current rates, peaks, totals and the one-minute history, and the ball's
// own behaviour on its panel: dragging, tucking against a side edge, coming back, opacity.
// Position, tuck edge and opacity are saved when they change and restored at start-up.
class SpeedView : public QWidget {
    Q_OBJECT
public:
    using TuckEdge = BallGeometry::TuckEdge;

    explicit SpeedView(QWidget* parent = nullptr);

    static constexpr QSize widgetSize = BallGeometry::kWidgetSize;
    static constexpr int historyMax = 60;
    static inline const QColor upColor = SpeedBallPainter::kUpColor;
    static inline const QColor downColor = SpeedBallPainter::kDownColor;
    static constexpr double peekWidth = BallGeometry::kPeekWidth;
    static constexpr double tuckThreshold = BallGeometry::kTuckThreshold;
    static inline const QString opacityKey = PreferencesCatalogue::kWidgetOpacity;
    // The opacity menu's entries, in order; the slider runs over BallOpacity::kSlider*.
    static inline const std::array<BallOpacity::Preset, 5>& opacityPresets = BallOpacity::kPresets;

    double uploadSpeed = 0;
    double downloadSpeed = 0;
    double peakUp = 0;
    double peakDown = 0;
    quint64 totalUp = 0;
    quint64 totalDown = 0;
    std::vector<double> upHistory = std::vector<double>(historyMax, 0.0);
    std::vector<double> downHistory = std::vector<double>(historyMax, 0.0);

    QPointer<FloatingPanel> hostPanel;
    TuckEdge tuckedEdge = TuckEdge::none;
    bool dragging = false;
    bool dragMoved = false;
    QPoint dragOffset;
    QPoint dragStartScreen;

    // Takes one tick's rates and bytes into the rates, peaks, totals and histories.
    void recordTick(const TickResult& tick);
    void draw(QPainter& painter);

    // The stored opacity; 0 or less (or never stored) reads as 1.0.
    double currentOpacity() const;
    // Clamps to [0.1, 1.0], stores it and fades the panel to it.
    void applyOpacity(double value);

    // Slides the panel off `edge` of the visible area, leaving the peek strip; `none` does
    // nothing.
    void tuck(TuckEdge edge, const QRect& visible);
    // Slides the panel back out, flush with the edge it was tucked against, and saves it.
    void expand(TuckEdge edge, const QRect& visible);
    void saveTuckState();
    // Re-applies a stored tuck edge without animation; called once the panel is shown. A panel
    // opened wholly off every screen (its screen was unplugged) is first brought back.
    void restoreTuckState();
    // Stores the panel's frame while it is untucked.
    void saveExpandedFrame();
    // Moves the panel back onto the screens whose available areas are given (the primary
    // one last resort) when it is no longer where it can be seen; the tuck state and the
    // stored frame stay, so a screen plugged in again finds the user's place.
    void keepOnScreens(const QList<QRect>& availableAreas, const QRect& primaryArea);

public Q_SLOTS:
    void resetStats();
    void setOpacity(double value);
    // The opacity slider's value, in percent.
    void opacitySliderChanged(int percent);
    void tuckToNearestEdge();
    void expandNow();
    void toggleFloating();

Q_SIGNALS:
    // A click on the untucked ball: the ball menu opens here.
    void clicked(QPoint globalPos);
    void contextMenuRequested(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The screen holding most of `part`, else the one the window system gave the panel.
    QScreen* screenHolding(const QRect& part) const;
    // The screen the ball is on; a tucked ball is on the screen of its peek strip.
    QScreen* panelScreen() const;
    // Where the panel is, or where it is sliding to.
    QRect settledFrame() const;
    void animateFrame(const QRect& frame);
    // A screen came, went or changed size: the ball stays where it can be seen.
    void followScreens();
    void watchScreen(QScreen* screen);

    SpeedBallPainter m_painter;
    QPropertyAnimation* m_frameAnimation;
    QPropertyAnimation* m_opacityAnimation;
};
