#include "platform/FallbackProcessTraffic.h"

FallbackProcessTraffic::FallbackProcessTraffic(std::unique_ptr<ProcessTraffic> preferred,
                                               std::unique_ptr<ProcessTraffic> fallback)
    : m_preferred(std::move(preferred)), m_fallback(std::move(fallback)),
      m_source(m_preferred->source()) {}

std::optional<AppSample> FallbackProcessTraffic::sample() {
    if (m_preferred) {
        if (std::optional<AppSample> sample = m_preferred->sample()) {
            m_preferredAnswered = true;
            return sample;
        }
        m_preferred.reset();
        m_source = m_fallback->source();
        if (m_preferredAnswered)
            return std::nullopt;
    }
    return m_fallback->sample();
}

void FallbackProcessTraffic::watch() {
    if (m_preferred)
        m_preferred->watch();
    else
        m_fallback->watch();
}
