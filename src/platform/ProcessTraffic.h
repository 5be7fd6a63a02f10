#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

// Per process name, the bytes (received, sent) its processes have transferred so far.
using AppSample = std::map<QString, std::pair<quint64, quint64>>;

// What a provider's counts cover.
enum class AppTrafficSource { AllProtocols, TcpOnly };

// Receives the one line a provider has to say when its source changes (for the log).
using ProcessTrafficNotice = std::function<void(const QString& line)>;

// The platform's source of per-process byte counts. Used from one background thread only.
class ProcessTraffic {
public:
    virtual ~ProcessTraffic() = default;

    // One sample: none when the platform could not be asked; an empty map when it was asked
    // and no process had traffic.
    virtual std::optional<AppSample> sample() = 0;

    // How often the provider wants watch() between samples, in milliseconds; 0 for never.
    virtual int watchIntervalMs() const { return 0; }
    // Cheap bookkeeping between samples (for example remembering short-lived connections).
    virtual void watch() {}

    // What the samples cover now; may be asked from any thread.
    virtual AppTrafficSource source() const { return AppTrafficSource::AllProtocols; }

    // The provider of this platform.
    static std::unique_ptr<ProcessTraffic> create(ProcessTrafficNotice notice = {});
    // What the provider of this platform would cover if created now, found out without
    // sampling (on Linux: whether the helper can attach its programs).
    static AppTrafficSource sourceOnThisMachine();
};
