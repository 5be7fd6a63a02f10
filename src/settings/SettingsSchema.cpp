#include "settings/SettingsSchema.h"

#include "common/RectText.h"
#include "settings/PreferencesCatalogue.h"

#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <cmath>
#include <limits>

namespace SettingsSchema {

namespace {

using P = PreferencesCatalogue;
constexpr double kNoLimit = std::numeric_limits<double>::infinity();

Setting real(const QString& key, const char* meaning, const char* whenAbsent, double min,
             double max) {
    return {key, Type::real, QString::fromUtf8(meaning), QString::fromUtf8(whenAbsent), min, max};
}
Setting integer(const QString& key, const char* meaning, const char* whenAbsent, double min,
                double max = kNoLimit) {
    return {key, Type::integer, QString::fromUtf8(meaning), QString::fromUtf8(whenAbsent), min,
            max};
}
Setting choice(const QString& key, const char* meaning, const char* whenAbsent,
               QStringList choices) {
    return {key, Type::choice,      QString::fromUtf8(meaning), QString::fromUtf8(whenAbsent), 0,
            0,   std::move(choices)};
}
Setting plain(const QString& key, Type type, const char* meaning, const char* whenAbsent = "") {
    return {key, type, QString::fromUtf8(meaning), QString::fromUtf8(whenAbsent)};
}

QString number(double v) {
    return QLocale::c().toString(v, 'g', QLocale::FloatingPointShortest);
}

} // namespace

const std::vector<Setting>& settings() {
    static const std::vector<Setting> all = {
        real(P::kAlertDownValue, "下行告警阈值（0 = 关闭）", "0", 0, 100000),
        choice(P::kAlertDownUnit, "下行阈值单位", "KB", {"KB", "MB"}),
        real(P::kAlertUpValue, "上行告警阈值（0 = 关闭）", "0", 0, 100000),
        choice(P::kAlertUpUnit, "上行阈值单位", "KB", {"KB", "MB"}),
        integer(P::kRetentionDays, "历史数据保留天数（0 = 永久）", "0", 0),
        choice(P::kDisplayMode, "显示模式", "floating", {"floating", "menubar", "both"}),
        plain(P::kLaunchAtLogin, Type::boolean, "开机自动启动", "false"),
        real(P::kDataPlanQuotaGB, "流量套餐每月额度 GB（0 = 未设置套餐）", "0", 0, 100000),
        integer(P::kDataPlanResetDay, "流量套餐每月重置日（超过当月天数 = 月末）", "1", 1, 31),
        choice(P::kDataPlanCounts, "流量套餐计入的方向", "total", {"total", "download", "upload"}),
        plain(P::kDataPlanAlerts, Type::boolean, "流量套餐用量达到 80% 和 100% 时提醒", "true"),
        plain(P::kDataPlanAlerted, Type::text, "本期已发出的流量套餐提醒（周期首日:百分比）"),
        plain(P::kWidgetFrame, Type::rect, "悬浮球位置 {{x, y}, {宽, 高}}（未设置 = 屏幕右上角）"),
        choice(P::kWidgetTucked, "悬浮球贴边（未设置 = 未贴边）", "", {"left", "right"}),
        real(P::kWidgetOpacity, "悬浮球不透明度", "1", 0.1, 1.0),
        plain(QStringLiteral("lastCleanupDay"), Type::dayKey, "上次定时清理的日期"),
        plain(QStringLiteral("exportDir"), Type::text, "上次导出的目录"),
        plain(QStringLiteral("speedtest.nodeChoice"), Type::text, "测速节点（空 = 自动择优）"),
        plain(QStringLiteral("speedtest.lastResult"), Type::dictionary, "上次测速结果"),
        integer(QStringLiteral("speedtest.pageSize"), "测速记录每页条数", "", 1),
    };
    return all;
}

const Setting* find(const QString& key) {
    for (const Setting& setting : settings()) {
        if (setting.key == key)
            return &setting;
    }
    return nullptr;
}

QString typeName(Type type) {
    switch (type) {
    case Type::real:
        return QStringLiteral("小数");
    case Type::integer:
        return QStringLiteral("整数");
    case Type::boolean:
        return QStringLiteral("true 或 false");
    case Type::choice:
        return QStringLiteral("选项");
    case Type::text:
        return QStringLiteral("文本");
    case Type::rect:
        return QStringLiteral("矩形");
    case Type::dayKey:
        return QStringLiteral("日期 yyyy-MM-dd");
    case Type::dictionary:
        return QStringLiteral("字典");
    }
    return {};
}

Parsed parse(const Setting& s, const QString& text) {
    const auto refuse = [&](const QString& why) { return Parsed{{}, s.key + ": " + why}; };
    switch (s.type) {
    case Type::real: {
        bool ok = false;
        const double v = QLocale::c().toDouble(text, &ok);
        if (!ok || !std::isfinite(v))
            return refuse(QStringLiteral("需要一个数字，得到 “%1”").arg(text));
        if (v < s.minimum || v > s.maximum)
            return refuse(
                QStringLiteral("取值范围为 %1 到 %2").arg(number(s.minimum), number(s.maximum)));
        return {v, {}};
    }
    case Type::integer: {
        bool ok = false;
        const qlonglong v = text.toLongLong(&ok);
        if (!ok)
            return refuse(QStringLiteral("需要一个整数，得到 “%1”").arg(text));
        if (double(v) < s.minimum)
            return refuse(QStringLiteral("不能小于 %1").arg(number(s.minimum)));
        if (double(v) > s.maximum)
            return refuse(QStringLiteral("不能大于 %1").arg(number(s.maximum)));
        return {v, {}};
    }
    case Type::boolean:
        if (text == QLatin1String("true") || text == QLatin1String("false"))
            return {text == QLatin1String("true"), {}};
        return refuse(QStringLiteral("需要 true 或 false，得到 “%1”").arg(text));
    case Type::choice:
        if (s.choices.contains(text))
            return {text, {}};
        return refuse(QStringLiteral("可选值为 %1，得到 “%2”")
                          .arg(s.choices.join(QStringLiteral("、")), text));
    case Type::text:
        return {text, {}};
    case Type::rect: {
        const QRectF r = parseRectText(text);
        if (r.width() <= 10 || r.height() <= 0)
            return refuse(
                QStringLiteral("需要 {{x, y}, {宽, 高}}，宽大于 10，得到 “%1”").arg(text));
        return {rectText(r), {}};
    }
    case Type::dayKey: {
        const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (!day.isValid())
            return refuse(QStringLiteral("需要 yyyy-MM-dd 形式的日期，得到 “%1”").arg(text));
        return {text, {}};
    }
    case Type::dictionary:
        return refuse(QStringLiteral("只能由程序写入"));
    }
    return refuse(QStringLiteral("未知类型"));
}

QString format(const Setting& s, const QVariant& stored) {
    switch (s.type) {
    case Type::real:
        return number(stored.toDouble());
    case Type::boolean:
        return stored.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case Type::dictionary:
        return QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(stored.toMap()))
                                     .toJson(QJsonDocument::Compact));
    default:
        return stored.toString();
    }
}

} // namespace SettingsSchema
