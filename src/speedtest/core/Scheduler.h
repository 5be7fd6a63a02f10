#pragma once

#include <QtGlobal>

#include <functional>

// Timers and the hop to the main thread, so the engine can run on a fake clock in tests.
class Scheduler {
public:
    using TimerId = quint64;

    virtual ~Scheduler() = default;
    // Main thread: runs action once after the delay, or every interval until cancelled.
    virtual TimerId after(double seconds, std::function<void()> action) = 0;
    virtual TimerId every(double seconds, std::function<void()> action) = 0;
    virtual void cancel(TimerId id) = 0;
    // Any thread: runs action on the main thread soon.
    virtual void post(std::function<void()> action) = 0;
};
