#pragma once

#include "rates/RateSampler.h"
#include "shell/AppShell.h"
#include "shell/DataPlanAlert.h"
#include "shell/ThresholdAlert.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

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
    // Replaces the platform's answer to whether a tray host is there; before start().
    void setTrayAvailability(std::function<bool()> available) {
        m_trayAvailable = std::move(available);
    }

    FloatingPanel* panel() const { return m_panel; }
    SpeedView* view() const { return m_view; }
    AppShell* shell() const { return m_shell.get(); }

    // One second of traffic: read, measure, hand on.
    void tick();

private:
    FloatingPanel* m_panel = nullptr;
    SpeedView* m_view = nullptr;
    RateSampler m_sampler;
    QTimer m_timer;
    ThresholdAlert m_alert;
    DataPlanAlert m_planAlert;
    std::unique_ptr<AppShell> m_shell;
    std::function<bool()> m_trayAvailable;
};
