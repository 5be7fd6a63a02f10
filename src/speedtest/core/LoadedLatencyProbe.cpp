#include "speedtest/core/LoadedLatencyProbe.h"

#include "common/Clock.h"
#include "speedtest/core/LoadedLatency.h"

#include <algorithm>

LoadedLatencyProbe::LoadedLatencyProbe(Transport& transport, Scheduler& scheduler,
                                       const Clock& clock, Settings settings)
    : m_transport(transport), m_scheduler(scheduler), m_clock(clock), m_settings(settings),
      m_self(std::make_shared<LoadedLatencyProbe*>(this)) {}

LoadedLatencyProbe::~LoadedLatencyProbe() {
    stop();
    *m_self = nullptr;
}

void LoadedLatencyProbe::start(const QUrl& url) {
    stop();
    m_url = url;
    m_samples.clear();
    m_answered = false;
    m_running = true;
    m_seriesStart = m_clock.elapsedSeconds();
    m_interval = m_scheduler.every(m_settings.intervalSeconds, [this] {
        if (m_outstanding)
            m_due = true;
        else
            send();
    });
    send();
}

void LoadedLatencyProbe::stop() {
    m_running = false;
    m_due = false;
    ++m_probe;
    if (m_outstanding)
        m_transport.cancel(*m_outstanding);
    m_outstanding.reset();
    for (auto* timer : {&m_interval, &m_deadline}) {
        if (*timer)
            m_scheduler.cancel(**timer);
        timer->reset();
    }
}

std::optional<double> LoadedLatencyProbe::latencyMs() const {
    if (!m_answered)
        return std::nullopt;
    return LoadedLatency::median(m_samples);
}

void LoadedLatencyProbe::send() {
    m_due = false;
    const quint64 probe = ++m_probe;
    m_sentAt = m_clock.elapsedSeconds();
    TransferRequest request;
    request.url = m_url;
    request.dedicatedConnection = true;
    // The deadline below decides; the transport's own limit only frees a stuck request.
    request.timeoutSeconds = m_settings.timeoutSeconds + 1;
    TransferCallbacks callbacks;
    callbacks.onComplete = [self = std::weak_ptr(m_self), scheduler = &m_scheduler,
                            clock = &m_clock, sentAt = m_sentAt,
                            probe](const TransferCompletion& done) {
        // The answer's time is taken on the transport's thread, before the hop.
        const double rttMs = (clock->elapsedSeconds() - sentAt) * 1000;
        scheduler->post([self, probe, ok = done.ok, rttMs] {
            const auto alive = self.lock();
            if (alive && *alive)
                (*alive)->ended(probe, ok ? std::optional<double>(rttMs) : std::nullopt);
        });
    };
    m_outstanding = m_transport.start(std::move(request), std::move(callbacks));
    m_deadline = m_scheduler.after(m_settings.timeoutSeconds, [this, probe] {
        if (probe != m_probe || !m_outstanding)
            return;
        m_deadline.reset();
        m_transport.cancel(*m_outstanding);
        ended(probe, m_settings.timeoutSeconds * 1000);
    });
}

void LoadedLatencyProbe::ended(quint64 probe, std::optional<double> rttMs) {
    if (!m_running || probe != m_probe || !m_outstanding)
        return;
    m_outstanding.reset();
    if (m_deadline)
        m_scheduler.cancel(*m_deadline);
    m_deadline.reset();
    const double timeoutMs = m_settings.timeoutSeconds * 1000;
    const bool timedOut = rttMs && *rttMs >= timeoutMs;
    if (rttMs && !timedOut)
        m_answered = true;
    // A failed request is no round trip; only an answer or the timeout gives a figure.
    const bool counted = m_sentAt - m_seriesStart >= m_settings.warmUpSeconds;
    if (rttMs && counted) {
        m_samples.push_back(std::min(*rttMs, timeoutMs));
        if (onUpdate) {
            const quint64 current = m_probe;
            onUpdate(*LoadedLatency::median(m_samples));
            if (current != m_probe)
                return;
        }
    }
    if (m_due)
        send();
}
