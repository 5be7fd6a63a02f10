#include "rates/RateSampler.h"

#include "common/Saturating.h"

#include <algorithm>

RateSampler::RateSampler(const Clock& clock) : m_clock(clock), m_lastTime(clock.elapsedSeconds()) {}

void RateSampler::setBaseline(const InterfaceReading& reading) {
    if (reading.ok)
        m_last = reading.counters;
    m_lastTime = m_clock.elapsedSeconds();
}

TickResult RateSampler::tick(const InterfaceReading& reading) {
    if (!reading.ok)
        return {};
    const double dt = std::max(m_clock.elapsedSeconds() - m_lastTime, kMinimumInterval);

    TickResult result;
    for (const auto& current : reading.counters) {
        const auto previous = std::find_if(m_last.begin(), m_last.end(), [&](const auto& last) {
            return last.name == current.name;
        });
        if (previous == m_last.end())
            continue;
        if (current.txBytes >= previous->txBytes)
            result.dUp = saturatingAdd(result.dUp, current.txBytes - previous->txBytes);
        if (current.rxBytes >= previous->rxBytes)
            result.dDown = saturatingAdd(result.dDown, current.rxBytes - previous->rxBytes);
    }
    result.up = double(result.dUp) / dt;
    result.down = double(result.dDown) / dt;

    m_last = reading.counters;
    m_lastTime = m_clock.elapsedSeconds();
    return result;
}
