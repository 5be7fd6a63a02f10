#pragma once

#include "common/Clock.h"
#include "platform/InterfaceCounters.h"
#include "rates/NetTotals.h"

// One tick's traffic: bytes since the previous reading and the rates they make.
struct TickResult {
    quint64 dUp = 0;
    quint64 dDown = 0;
    double up = 0;   // bytes per second
    double down = 0; // bytes per second
};

// Turns successive interface readings into per-tick bytes and rates.
//
// Deltas are taken per interface and then summed: an interface seen for the first time adds
// nothing (its cumulative counter is not one tick's traffic), one that vanished does not
// hide another's growth, and a counter that went backwards gives 0 for that interface and
// tick. A failed reading gives a zero tick and keeps the previous reading and its time, so
// the next good reading is measured over the whole gap. Elapsed time is at least 0.2 s.
class RateSampler {
public:
    explicit RateSampler(const Clock& clock = Clock::system());

    void setBaseline(const InterfaceReading& reading);
    TickResult tick(const InterfaceReading& reading);

    NetTotals lastTotals() const { return sumCounters(m_last); }

    static constexpr double kMinimumInterval = 0.2;

private:
    const Clock& m_clock;
    std::vector<InterfaceCounter> m_last;
    double m_lastTime = 0;
};
