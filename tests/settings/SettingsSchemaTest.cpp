#include "settings/SettingsSchema.h"
#include "settings/PreferencesCatalogue.h"

#include <gtest/gtest.h>

namespace {

using namespace SettingsSchema;

QVariant accepted(const char* key, const char* text) {
    const Setting* setting = find(QString::fromLatin1(key));
    EXPECT_NE(setting, nullptr) << key;
    if (!setting)
        return {};
    const Parsed parsed = parse(*setting, QString::fromUtf8(text));
    EXPECT_TRUE(parsed.error.isEmpty()) << key << " " << text << ": " << parsed.error.toStdString();
    return parsed.value;
}

QString refused(const char* key, const char* text) {
    const Parsed parsed = parse(*find(QString::fromLatin1(key)), QString::fromUtf8(text));
    EXPECT_FALSE(parsed.error.isEmpty()) << key << " " << text;
    return parsed.error;
}

TEST(SettingsSchema, CoversTheCatalogueAndTheOtherKeys) {
    for (const QString& key :
         {PreferencesCatalogue::kAlertDownValue, PreferencesCatalogue::kAlertDownUnit,
          PreferencesCatalogue::kAlertUpValue, PreferencesCatalogue::kAlertUpUnit,
          PreferencesCatalogue::kRetentionDays, PreferencesCatalogue::kDisplayMode,
          PreferencesCatalogue::kLaunchAtLogin, PreferencesCatalogue::kWidgetFrame,
          PreferencesCatalogue::kWidgetTucked, PreferencesCatalogue::kWidgetOpacity,
          QStringLiteral("lastCleanupDay"), QStringLiteral("exportDir"),
          QStringLiteral("speedtest.nodeChoice"), QStringLiteral("speedtest.lastResult"),
          QStringLiteral("speedtest.pageSize")})
        EXPECT_NE(find(key), nullptr) << key.toStdString();
    EXPECT_EQ(find(QStringLiteral("displaymode")), nullptr);
}

TEST(SettingsSchema, ValuesAreTypedAndChecked) {
    EXPECT_EQ(accepted("alertDownValue", "2.5").typeId(), QMetaType::Double);
    EXPECT_EQ(accepted("alertDownValue", "2.5").toDouble(), 2.5);
    refused("alertDownValue", "2,5");
    refused("alertDownValue", "-1");
    refused("alertDownValue", "100001");
    refused("alertDownValue", "nan");
    EXPECT_EQ(accepted("alertUpUnit", "MB").toString(), QStringLiteral("MB"));
    refused("alertUpUnit", "mb");
    EXPECT_EQ(accepted("retentionDays", "0").toLongLong(), 0);
    refused("retentionDays", "30.5");
    refused("retentionDays", "-7");
    EXPECT_EQ(accepted("launchAtLogin", "true").typeId(), QMetaType::Bool);
    refused("launchAtLogin", "yes");
    EXPECT_TRUE(refused("displayMode", "dock").contains(QStringLiteral("floating、menubar、both")));
    EXPECT_EQ(accepted("widgetFrame", "{{100, 200}, {216, 92}}").toString(),
              QStringLiteral("{{100, 200}, {216, 92}}"));
    refused("widgetFrame", "{{100, 200}, {5, 92}}");
    refused("widgetFrame", "here");
    refused("widgetOpacity", "0.05");
    EXPECT_EQ(accepted("widgetOpacity", "0.1").toDouble(), 0.1);
    EXPECT_EQ(accepted("lastCleanupDay", "2026-02-28").toString(), QStringLiteral("2026-02-28"));
    refused("lastCleanupDay", "2026-02-30");
    refused("speedtest.lastResult", "{}");
    refused("speedtest.pageSize", "0");
    EXPECT_EQ(accepted("exportDir", "/home/me/导出").toString(), QStringLiteral("/home/me/导出"));
}

TEST(SettingsSchema, FormatReadsBackWhatParseStores) {
    for (const auto& [key, text] :
         std::initializer_list<std::pair<const char*, const char*>>{{"alertDownValue", "0.1"},
                                                                    {"retentionDays", "365"},
                                                                    {"launchAtLogin", "false"},
                                                                    {"widgetTucked", "left"},
                                                                    {"widgetOpacity", "0.8"}}) {
        const Setting& setting = *find(QString::fromLatin1(key));
        EXPECT_EQ(format(setting, parse(setting, QString::fromLatin1(text)).value),
                  QString::fromLatin1(text))
            << key;
    }
    const QVariantMap result{{"down", 93.5}, {"downNode", "节点"}};
    EXPECT_EQ(format(*find(QStringLiteral("speedtest.lastResult")), result),
              QStringLiteral("{\"down\":93.5,\"downNode\":\"节点\"}"));
}

} // namespace
