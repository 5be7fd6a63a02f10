#include "settings/DataPlanSettings.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/SettingsSchema.h"
#include "settings/UserDefaults.h"

#include <gtest/gtest.h>

namespace {

using P = PreferencesCatalogue;

class DataPlanSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
    }
};

} // namespace

TEST_F(DataPlanSettingsTest, KeysAndNotificationAreExact) {
    EXPECT_EQ(P::kDataPlanQuotaGB, QStringLiteral("dataPlan.quotaGB"));
    EXPECT_EQ(P::kDataPlanResetDay, QStringLiteral("dataPlan.resetDay"));
    EXPECT_EQ(P::kDataPlanCounts, QStringLiteral("dataPlan.counts"));
    EXPECT_EQ(P::kDataPlanAlerts, QStringLiteral("dataPlan.alerts"));
    EXPECT_EQ(P::kDataPlanAlerted, QStringLiteral("dataPlan.alerted"));
    EXPECT_EQ(P::kDataPlanChanged, QStringLiteral("NDDataPlanChanged"));
}

TEST_F(DataPlanSettingsTest, NoPlanWithoutAQuotaAboveZero) {
    EXPECT_FALSE(P::dataPlan());
    for (const char* quota : {"0", "-5", "nan", "abc"}) {
        UserDefaults::setString(P::kDataPlanQuotaGB, QString::fromLatin1(quota));
        EXPECT_FALSE(P::dataPlan()) << quota;
    }
    // The other settings alone make no plan.
    UserDefaults::remove(P::kDataPlanQuotaGB);
    UserDefaults::setInteger(P::kDataPlanResetDay, 15);
    EXPECT_FALSE(P::dataPlan());
}

TEST_F(DataPlanSettingsTest, ReadsWithTheirDefaults) {
    struct Case {
        const char* what;
        QVariant resetDay; // invalid: absent
        QVariant counts;
        QVariant alerts;
        int expectedResetDay;
        PlanCounts expectedCounts;
        bool expectedAlerts;
    };
    const Case cases[] = {
        {"all absent", {}, {}, {}, 1, PlanCounts::total, true},
        {"as stored", 15, QStringLiteral("upload"), false, 15, PlanCounts::upload, false},
        {"download", 31, QStringLiteral("download"), true, 31, PlanCounts::download, true},
        {"out of range from another tool", 45, QStringLiteral("both"), QStringLiteral("no"), 31,
         PlanCounts::total, false},
        {"below range", -3, QStringLiteral("Total"), {}, 1, PlanCounts::total, true},
    };
    for (const Case& c : cases) {
        SetUp();
        UserDefaults::setDouble(P::kDataPlanQuotaGB, 100);
        if (c.resetDay.isValid())
            UserDefaults::setInteger(P::kDataPlanResetDay, c.resetDay.toLongLong());
        if (c.counts.isValid())
            UserDefaults::setString(P::kDataPlanCounts, c.counts.toString());
        if (c.alerts.typeId() == QMetaType::Bool)
            UserDefaults::setBool(P::kDataPlanAlerts, c.alerts.toBool());
        else if (c.alerts.isValid())
            UserDefaults::setString(P::kDataPlanAlerts, c.alerts.toString());
        const auto plan = P::dataPlan();
        ASSERT_TRUE(plan) << c.what;
        EXPECT_EQ(plan->quotaGB, 100) << c.what;
        EXPECT_EQ(plan->resetDay, c.expectedResetDay) << c.what;
        EXPECT_EQ(plan->counts, c.expectedCounts) << c.what;
        EXPECT_EQ(plan->alerts, c.expectedAlerts) << c.what;
    }
}

TEST_F(DataPlanSettingsTest, ConfigTypesAndChecks) {
    using namespace SettingsSchema;
    struct Case {
        const char* key;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {"dataPlan.quotaGB", "100", true},     {"dataPlan.quotaGB", "0", true},
        {"dataPlan.quotaGB", "2.5", true},     {"dataPlan.quotaGB", "-1", false},
        {"dataPlan.quotaGB", "100001", false}, {"dataPlan.quotaGB", "many", false},
        {"dataPlan.resetDay", "1", true},      {"dataPlan.resetDay", "31", true},
        {"dataPlan.resetDay", "0", false},     {"dataPlan.resetDay", "32", false},
        {"dataPlan.resetDay", "1.5", false},   {"dataPlan.counts", "total", true},
        {"dataPlan.counts", "download", true}, {"dataPlan.counts", "upload", true},
        {"dataPlan.counts", "both", false},    {"dataPlan.alerts", "false", true},
        {"dataPlan.alerts", "off", false},     {"dataPlan.alerted", "2026-11-15:80", true},
    };
    for (const Case& c : cases) {
        const Setting* setting = find(QString::fromLatin1(c.key));
        ASSERT_NE(setting, nullptr) << c.key;
        const Parsed parsed = parse(*setting, QString::fromLatin1(c.text));
        EXPECT_EQ(parsed.error.isEmpty(), c.accepted) << c.key << " " << c.text;
    }
    EXPECT_EQ(parse(*find(P::kDataPlanResetDay), QStringLiteral("32")).error,
              QStringLiteral("dataPlan.resetDay: 不能大于 31"));
    EXPECT_EQ(find(P::kDataPlanQuotaGB)->type, Type::real);
    EXPECT_EQ(find(P::kDataPlanResetDay)->type, Type::integer);
    EXPECT_EQ(find(P::kDataPlanCounts)->type, Type::choice);
    EXPECT_EQ(find(P::kDataPlanAlerts)->type, Type::boolean);
    EXPECT_EQ(find(P::kDataPlanAlerts)->whenAbsent, QStringLiteral("true"));
    // The other integers keep having no upper limit.
    EXPECT_TRUE(parse(*find(P::kRetentionDays), QStringLiteral("100000")).error.isEmpty());
}
