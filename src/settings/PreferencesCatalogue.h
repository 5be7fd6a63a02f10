#pragma once

#include "settings/DataPlanSettings.h"
#include "settings/DisplayMode.h"

#include <QString>

// The settings of the live monitor and the preferences: key names, typed reads with their
// defaults, and the names of the change notifications. PreferencesWindow inherits these.
struct PreferencesCatalogue {
    static inline const QString kAlertDownValue = QStringLiteral("alertDownValue");
    static inline const QString kAlertDownUnit = QStringLiteral("alertDownUnit");
    static inline const QString kAlertUpValue = QStringLiteral("alertUpValue");
    static inline const QString kAlertUpUnit = QStringLiteral("alertUpUnit");
    static inline const QString kRetentionDays = QStringLiteral("retentionDays");
    static inline const QString kDisplayMode = QStringLiteral("displayMode");
    static inline const QString kLaunchAtLogin = QStringLiteral("launchAtLogin");

    static inline const QString kDataPlanQuotaGB = QStringLiteral("dataPlan.quotaGB");
    static inline const QString kDataPlanResetDay = QStringLiteral("dataPlan.resetDay");
    static inline const QString kDataPlanCounts = QStringLiteral("dataPlan.counts");
    static inline const QString kDataPlanAlerts = QStringLiteral("dataPlan.alerts");
    // The alerts already given in the current cycle: "<cycle start>:<80|100>".
    static inline const QString kDataPlanAlerted = QStringLiteral("dataPlan.alerted");

    static inline const QString kWidgetFrame = QStringLiteral("widgetFrame");
    static inline const QString kWidgetTucked = QStringLiteral("widgetTucked");
    static inline const QString kWidgetOpacity = QStringLiteral("widgetOpacity");

    static inline const QString kDisplayModeChanged = QStringLiteral("NDDisplayModeChanged");
    static inline const QString kAlertThresholdsChanged =
        QStringLiteral("NDAlertThresholdsChanged");
    static inline const QString kRetentionDaysChanged = QStringLiteral("NDRetentionDaysChanged");
    static inline const QString kLaunchAtLoginChanged = QStringLiteral("NDLaunchAtLoginChanged");
    static inline const QString kDataPlanChanged = QStringLiteral("NDDataPlanChanged");

    // Alert thresholds in bytes per second; 0 means off. "MB" exactly means 1048576, any
    // other unit text 1024.
    static double downThresholdBytes();
    static double upThresholdBytes();
    // 90 when never stored.
    static qint64 retentionDays();
    // floating when never stored or unrecognised.
    static DisplayMode displayMode();
    static bool isLaunchEnabled();
    // The data plan; absent while no quota above 0 is stored. A reset day outside 1–31 reads
    // as the nearest of them, unknown counts as "total", missing alerts as on.
    static std::optional<DataPlanSettings> dataPlan();
};
