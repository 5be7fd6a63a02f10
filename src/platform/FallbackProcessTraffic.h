#pragma once

#include "platform/ProcessTraffic.h"

#include <atomic>

// Samples the preferred provider until it first fails, then the fallback for good. When the
// preferred provider had answered before, the sample at the switch is none: the fallback
// counts from another zero, so its first sample can only be a new baseline. When it never
// answered, the fallback answers that very sample.
class FallbackProcessTraffic final : public ProcessTraffic {
public:
    FallbackProcessTraffic(std::unique_ptr<ProcessTraffic> preferred,
                           std::unique_ptr<ProcessTraffic> fallback);

    std::optional<AppSample> sample() override;
    // The fallback's schedule (fixed before the first sample), for whichever provider is
    // sampled.
    int watchIntervalMs() const override { return m_fallback->watchIntervalMs(); }
    void watch() override;
    AppTrafficSource source() const override { return m_source.load(); }

private:
    std::unique_ptr<ProcessTraffic> m_preferred;
    std::unique_ptr<ProcessTraffic> m_fallback;
    bool m_preferredAnswered = false;
    std::atomic<AppTrafficSource> m_source;
};
