#include "shell/ThresholdAlert.h"

#include "common/Log.h"
#include "rates/RateFormat.h"
#include "settings/PreferencesCatalogue.h"

ThresholdAlert::ThresholdAlert(const Clock& clock, Notifier& notifier,
                               std::function<bool()> isApplicationActive)
    : m_clock(clock), m_notifier(notifier), m_isApplicationActive(std::move(isApplicationActive)) {}

void ThresholdAlert::checkThresholdAlert(double down, double up) {
    const double downThreshold = PreferencesCatalogue::downThresholdBytes();
    const double upThreshold = PreferencesCatalogue::upThresholdBytes();
    const bool exceeded =
        (downThreshold > 0 && down >= downThreshold) || (upThreshold > 0 && up >= upThreshold);
    if (!exceeded) {
        overSince.reset();
        return;
    }
    const double now = m_clock.elapsedSeconds();
    if (!overSince) {
        overSince = now;
        return;
    }
    if (now - *overSince < kDebounceSeconds)
        return;
    fireThresholdAlert(down, up);
    overSince.reset();
}

void ThresholdAlert::fireThresholdAlert(double down, double up) {
    const double now = m_clock.elapsedSeconds();
    if (lastAlertAt && now - *lastAlertAt < alertCooldown)
        return;
    lastAlertAt = now;
    if (m_isApplicationActive && m_isApplicationActive()) {
        logMessage(QStringLiteral("速率超阈值（前台，未弹通知）：↓ ") + fmtSpeed(down) +
                   QStringLiteral(" ↑ ") + fmtSpeed(up));
        return;
    }
    const Notifier::Notification notification{kIdentifier, QStringLiteral("网速超过设定阈值"),
                                              QStringLiteral("下载 ") + fmtSpeed(down) +
                                                  QStringLiteral(" · 上传 ") + fmtSpeed(up)};
    m_notifier.deliver(notification, [](const QString& reason) {
        logMessage(QStringLiteral("通知发送失败: ") + reason);
    });
}

void ThresholdAlert::ensureNotificationAuth() {
    if (PreferencesCatalogue::downThresholdBytes() > 0 ||
        PreferencesCatalogue::upThresholdBytes() > 0)
        m_notifier.requestAuthorization();
}
