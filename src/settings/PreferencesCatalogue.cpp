#include "settings/PreferencesCatalogue.h"

#include "settings/UserDefaults.h"

namespace {

constexpr qint64 kDefaultRetentionDays = 90;

double thresholdBytes(const QString& valueKey, const QString& unitKey) {
    const double v = UserDefaults::doubleValue(valueKey);
    if (!(v > 0))
        return 0;
    const QString unit = UserDefaults::stringValue(unitKey).value_or(QStringLiteral("KB"));
    return v * (unit == QLatin1String("MB") ? 1048576.0 : 1024.0);
}

} // namespace

double PreferencesCatalogue::downThresholdBytes() {
    return thresholdBytes(kAlertDownValue, kAlertDownUnit);
}

double PreferencesCatalogue::upThresholdBytes() {
    return thresholdBytes(kAlertUpValue, kAlertUpUnit);
}

qint64 PreferencesCatalogue::retentionDays() {
    if (!UserDefaults::contains(kRetentionDays))
        return kDefaultRetentionDays;
    return UserDefaults::integerValue(kRetentionDays);
}

DisplayMode PreferencesCatalogue::displayMode() {
    const auto raw = UserDefaults::stringValue(kDisplayMode);
    return displayModeFromRawValue(raw.value_or(QString())).value_or(DisplayMode::floating);
}

bool PreferencesCatalogue::isLaunchEnabled() {
    return UserDefaults::boolValue(kLaunchAtLogin);
}
