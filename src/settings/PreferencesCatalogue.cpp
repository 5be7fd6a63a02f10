#include "settings/PreferencesCatalogue.h"

#include "settings/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kDefaultRetentionDays = 90;
constexpr double kMaxQuotaGB = 100000;

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

std::optional<DataPlanSettings> PreferencesCatalogue::dataPlan() {
    const double quota = UserDefaults::doubleValue(kDataPlanQuotaGB);
    if (!(quota > 0) || !std::isfinite(quota))
        return std::nullopt;
    DataPlanSettings plan;
    plan.quotaGB = std::min(quota, kMaxQuotaGB);
    if (UserDefaults::contains(kDataPlanResetDay))
        plan.resetDay =
            int(std::clamp<qint64>(UserDefaults::integerValue(kDataPlanResetDay), 1, 31));
    plan.counts =
        planCountsFromRawValue(UserDefaults::stringValue(kDataPlanCounts).value_or(QString()))
            .value_or(PlanCounts::total);
    plan.alerts =
        !UserDefaults::contains(kDataPlanAlerts) || UserDefaults::boolValue(kDataPlanAlerts);
    return plan;
}
