#pragma once

#include "speedtest/core/Scheduler.h"
#include "support/FakeClock.h"

#include <map>
#include <vector>

// Timers on a FakeClock: nothing fires until the test advances time.
class FakeScheduler final : public Scheduler {
public:
    explicit FakeScheduler(FakeClock& clock) : m_clock(clock) {}

    TimerId after(double seconds, std::function<void()> action) override {
        m_timers[m_nextId] = {m_clock.elapsedSeconds() + seconds, 0, std::move(action)};
        return m_nextId++;
    }
    TimerId every(double seconds, std::function<void()> action) override {
        m_timers[m_nextId] = {m_clock.elapsedSeconds() + seconds, seconds, std::move(action)};
        return m_nextId++;
    }
    void cancel(TimerId id) override { m_timers.erase(id); }
    void post(std::function<void()> action) override { m_posted.push_back(std::move(action)); }

    // Runs what was posted, including what that posts in turn.
    void drain() {
        while (!m_posted.empty()) {
            auto action = std::move(m_posted.front());
            m_posted.erase(m_posted.begin());
            action();
        }
    }

    // Moves the clock forward, firing due timers at their own times, in order.
    void advance(double seconds) {
        drain();
        const double target = m_clock.elapsedSeconds() + seconds;
        for (;;) {
            auto next = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
                if (it->second.due <= target + 1e-9 &&
                    (next == m_timers.end() || it->second.due < next->second.due))
                    next = it;
            }
            if (next == m_timers.end())
                break;
            Timer timer = next->second;
            if (timer.due > m_clock.elapsedSeconds())
                m_clock.advance(timer.due - m_clock.elapsedSeconds());
            if (timer.interval > 0)
                next->second.due += timer.interval;
            else
                m_timers.erase(next);
            timer.action();
            drain();
        }
        if (target > m_clock.elapsedSeconds())
            m_clock.advance(target - m_clock.elapsedSeconds());
    }

private:
    struct Timer {
        double due = 0;
        double interval = 0;
        std::function<void()> action;
    };

    FakeClock& m_clock;
    std::map<TimerId, Timer> m_timers;
    std::vector<std::function<void()>> m_posted;
    TimerId m_nextId = 1;
};
