#include "shell/DataPlanPreferences.h"

#include "common/NotificationCenter.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "shell/PreferencesStyle.h"
#include "traffic/core/DataPlanText.h"
#include "ui/NumberField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>

#include <algorithm>

namespace {

using P = PreferencesCatalogue;

void posted() {
    NotificationCenter::instance().post(P::kDataPlanChanged);
}

// A different quota or counting makes new percentages: this cycle's alerts are judged afresh.
void forgetGivenAlerts() {
    UserDefaults::remove(P::kDataPlanAlerted);
}

} // namespace

DataPlanPreferences::DataPlanPreferences(QObject* parent) : QObject(parent) {}

void DataPlanPreferences::addRows(QLayout& rows, const RowMaker& makeRow,
                                  const QColor& labelColor) {
    auto* quota = new NumberField(UserDefaults::doubleValue(P::kDataPlanQuotaGB));
    quota->setObjectName(QStringLiteral("quotaField"));
    quota->setFixedWidth(80);
    connect(quota, &NumberField::committed, this, &DataPlanPreferences::quotaChanged);
    quotaField = quota;
    QWidget* quotaRow = makeRow(QStringLiteral("每月额度"), quota);
    static_cast<QHBoxLayout*>(quotaRow->layout())
        ->insertWidget(2,
                       PreferencesStyle::label(QStringLiteral("GB"), 12, QFont::Normal, labelColor),
                       0, Qt::AlignVCenter);
    rows.addWidget(quotaRow);

    auto* resetDay = new QComboBox;
    resetDay->setObjectName(QStringLiteral("resetDayPopup"));
    for (int day = 1; day <= 31; ++day)
        resetDay->addItem(QStringLiteral("每月 %1 日").arg(day), day);
    const int storedDay =
        UserDefaults::contains(P::kDataPlanResetDay)
            ? int(std::clamp<qint64>(UserDefaults::integerValue(P::kDataPlanResetDay), 1, 31))
            : 1;
    resetDay->setCurrentIndex(storedDay - 1);
    connect(resetDay, &QComboBox::activated, this, &DataPlanPreferences::resetDayChanged);
    resetDayPopup = resetDay;
    rows.addWidget(makeRow(QStringLiteral("每月重置日"), resetDay));

    auto* counts = new QComboBox;
    counts->setObjectName(QStringLiteral("countsPopup"));
    for (PlanCounts c : {PlanCounts::total, PlanCounts::download, PlanCounts::upload})
        counts->addItem(DataPlanText::countsTitle(c), rawValue(c));
    const PlanCounts storedCounts =
        planCountsFromRawValue(UserDefaults::stringValue(P::kDataPlanCounts).value_or(QString()))
            .value_or(PlanCounts::total);
    counts->setCurrentIndex(counts->findData(rawValue(storedCounts)));
    connect(counts, &QComboBox::activated, this, &DataPlanPreferences::countsChanged);
    countsPopup = counts;
    rows.addWidget(makeRow(QStringLiteral("计入"), counts));

    auto* alerts = new QCheckBox(QStringLiteral("用量达到 80% 和 100% 时提醒"));
    alerts->setObjectName(QStringLiteral("planAlertsCheck"));
    alerts->setFont(PreferencesStyle::systemFont(12, QFont::Normal));
    alerts->setChecked(!UserDefaults::contains(P::kDataPlanAlerts) ||
                       UserDefaults::boolValue(P::kDataPlanAlerts));
    connect(alerts, &QCheckBox::clicked, this, &DataPlanPreferences::alertsChanged);
    alertsCheck = alerts;
    rows.addWidget(alerts);
}

void DataPlanPreferences::quotaChanged() {
    const double field = quotaField ? quotaField->doubleValue() : 0;
    const double quota = field > 0 ? field : 0;
    if (quota != UserDefaults::doubleValue(P::kDataPlanQuotaGB))
        forgetGivenAlerts();
    UserDefaults::setDouble(P::kDataPlanQuotaGB, quota);
    posted();
}

void DataPlanPreferences::resetDayChanged() {
    const QVariant day = resetDayPopup ? resetDayPopup->currentData() : QVariant();
    if (day.typeId() != QMetaType::Int)
        return;
    UserDefaults::setInteger(P::kDataPlanResetDay, day.toInt());
    posted();
}

void DataPlanPreferences::countsChanged() {
    const QVariant raw = countsPopup ? countsPopup->currentData() : QVariant();
    if (raw.typeId() != QMetaType::QString)
        return;
    if (UserDefaults::stringValue(P::kDataPlanCounts).value_or(rawValue(PlanCounts::total)) !=
        raw.toString())
        forgetGivenAlerts();
    UserDefaults::setString(P::kDataPlanCounts, raw.toString());
    posted();
}

void DataPlanPreferences::alertsChanged(bool on) {
    UserDefaults::setBool(P::kDataPlanAlerts, on);
    posted();
}
