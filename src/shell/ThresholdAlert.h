#pragma once

#include "common/Clock.h"
#include "platform/Notifier.h"

#include <QString>

#include <functional>
#include <optional>

// Warns when a rate stays at or above its threshold (read from the settings on every tick) for
// 3 seconds, at most once per cooldown. While one of the program's windows is active the
// warning is only logged; the cooldown restarts all the same.
class ThresholdAlert {
public:
    ThresholdAlert(const Clock& clock, Notifier& notifier,
                   std::function<bool()> isApplicationActive);

    // Called by every tick with the current rates in bytes per second.
    void checkThresholdAlert(double down, double up);
    // Asks for permission to notify when either threshold is set.
    void ensureNotificationAuth();

    static inline const QString kIdentifier = QStringLiteral("netdial.threshold");
    static constexpr double kDebounceSeconds = 3;

    // Seconds on the clock's elapsed scale; absent when idle or never alerted.
    std::optional<double> overSince;
    std::optional<double> lastAlertAt;
    double alertCooldown = 300;

private:
    void fireThresholdAlert(double down, double up);

    const Clock& m_clock;
    Notifier& m_notifier;
    std::function<bool()> m_isApplicationActive;
};
