#pragma once

#include "common/Clock.h"
#include "platform/Notifier.h"
#include "traffic/core/DailyTraffic.h"

#include <QString>

#include <functional>

// Warns once at 80 % and once at 100 % of the data plan per billing cycle. What was given is
// kept in the settings ("dataPlan.alerted"), so a restart does not repeat it and a new cycle
// starts afresh. Checked once a minute, not by the tick.
class DataPlanAlert {
public:
    using DataSource = std::function<const TrafficData&()>;

    DataPlanAlert(const Clock& clock, Notifier& notifier, DataSource data);

    // Delivers the alert that is due, if any, and remembers it.
    void check();
    // Asks for permission to notify while a plan with alerts is set.
    void ensureNotificationAuth();

    static inline const QString kIdentifier = QStringLiteral("vorn.dataPlan");

private:
    const Clock& m_clock;
    Notifier& m_notifier;
    DataSource m_data;
};
