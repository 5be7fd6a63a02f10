#include "shell/DataPlanAlert.h"

#include "common/Log.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "traffic/core/DataPlan.h"
#include "traffic/core/DataPlanAlertState.h"
#include "traffic/core/DataPlanText.h"

DataPlanAlert::DataPlanAlert(const Clock& clock, Notifier& notifier, DataSource data)
    : m_clock(clock), m_notifier(notifier), m_data(std::move(data)) {}

void DataPlanAlert::check() {
    using P = PreferencesCatalogue;
    const std::optional<DataPlanSettings> plan = P::dataPlan();
    if (!plan || !plan->alerts)
        return;
    const DataPlanUsage usage = DataPlan::usage(m_data(), *plan, m_clock.now().toLocalTime().date(),
                                                DataPlan::storedRetentionDays());
    const auto decision = DataPlanAlertState::decide(
        UserDefaults::stringValue(P::kDataPlanAlerted).value_or(QString()), usage.cycle.start,
        usage.percent);
    if (decision.notifyLevel == 0)
        return;
    UserDefaults::setString(P::kDataPlanAlerted, decision.state);
    m_notifier.deliver(
        {kIdentifier, DataPlanText::alertTitle(decision.notifyLevel),
         DataPlanText::alertBody(usage)},
        [](const QString& reason) { logMessage(QStringLiteral("通知发送失败: ") + reason); });
}

void DataPlanAlert::ensureNotificationAuth() {
    const std::optional<DataPlanSettings> plan = PreferencesCatalogue::dataPlan();
    if (plan && plan->alerts)
        m_notifier.requestAuthorization();
}
