#pragma once

#include "app/RateSampler.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class FloatingPanel;
class SpeedView;

// The desktop program's start-up sequence and the objects it wires together; lives until exit.
class DesktopApp : public QObject {
    Q_OBJECT
public:
    explicit DesktopApp(const Clock& clock = Clock::system());
    ~DesktopApp() override;

    // Builds the panel, takes the baseline reading, starts the tick and the observers.
    void start();

    FloatingPanel* panel() const { return m_panel; }
    SpeedView* view() const { return m_view; }

    // One second of traffic: read, measure, hand on.
    void tick();

private:
    FloatingPanel* m_panel = nullptr;
    SpeedView* m_view = nullptr;
    RateSampler m_sampler;
    QTimer m_timer;
};
