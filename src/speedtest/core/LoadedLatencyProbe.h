#pragma once

#include "speedtest/core/Scheduler.h"
#include "speedtest/core/Transport.h"

#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Clock;

// Sends one small request every interval while a transfer phase loads the link, on the
// transport's kept-alive side connection, one at a time: a probe due while another is out
// goes as soon as that one ends. Probes sent in the warm-up are not counted; one that is not
// answered within the timeout counts as the timeout. Main thread only.
class LoadedLatencyProbe {
public:
    struct Settings {
        double intervalSeconds;
        double warmUpSeconds;
        double timeoutSeconds;
    };

    LoadedLatencyProbe(Transport& transport, Scheduler& scheduler, const Clock& clock,
                       Settings settings);
    ~LoadedLatencyProbe();
    LoadedLatencyProbe(const LoadedLatencyProbe&) = delete;
    LoadedLatencyProbe& operator=(const LoadedLatencyProbe&) = delete;

    // Begins a new series against url, forgetting the previous one; the first probe goes now.
    void start(const QUrl& url);
    // Ends the series; a probe still out is dropped. The figures stay until the next start.
    void stop();

    // Counted round trips of the series, in milliseconds, in the order they ended.
    const std::vector<double>& samples() const { return m_samples; }
    // The median of the counted round trips; none when no probe of the series was answered.
    std::optional<double> latencyMs() const;

    // After each counted round trip, with the series' median so far.
    std::function<void(double medianMs)> onUpdate;

private:
    void send();
    void ended(quint64 probe, std::optional<double> rttMs);

    Transport& m_transport;
    Scheduler& m_scheduler;
    const Clock& m_clock;
    const Settings m_settings;

    QUrl m_url;
    bool m_running = false;
    double m_seriesStart = 0;
    bool m_due = false;
    quint64 m_probe = 0;
    std::optional<Transport::TransferId> m_outstanding;
    double m_sentAt = 0;
    std::optional<Scheduler::TimerId> m_interval;
    std::optional<Scheduler::TimerId> m_deadline;
    std::vector<double> m_samples;
    bool m_answered = false;
    std::shared_ptr<LoadedLatencyProbe*> m_self;
};
