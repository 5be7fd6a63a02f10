#pragma once

#include "speedtest/core/Scheduler.h"

#include <QObject>

#include <map>
#include <memory>

class QTimer;

// Scheduler on the main thread's Qt event loop.
class QtScheduler final : public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;

    TimerId after(double seconds, std::function<void()> action) override;
    TimerId every(double seconds, std::function<void()> action) override;
    void cancel(TimerId id) override;
    void post(std::function<void()> action) override;

private:
    TimerId add(double seconds, bool repeating, std::function<void()> action);

    QObject m_context;
    std::map<TimerId, std::unique_ptr<QTimer>> m_timers;
    TimerId m_nextId = 1;
};
