#include "traffic/core/DataPlanText.h"

#include "common/CFormat.h"
#include "traffic/core/TrafficFormat.h"

namespace DataPlanText {

namespace {

QString shortDay(const QDate& day) {
    return day.toString(QStringLiteral("M/d"));
}

QString chineseDay(const QDate& day) {
    return QStringLiteral("%1 月 %2 日").arg(day.month()).arg(day.day());
}

QString usedOfQuota(const DataPlanUsage& usage) {
    return fmtBytesTraffic(usage.usedBytes) + QStringLiteral(" / ") +
           fmtBytesTraffic(usage.quotaBytes);
}

} // namespace

QString countsTitle(PlanCounts counts) {
    switch (counts) {
    case PlanCounts::total:
        return QStringLiteral("下载 + 上传");
    case PlanCounts::download:
        return QStringLiteral("仅下载");
    case PlanCounts::upload:
        return QStringLiteral("仅上传");
    }
    return {};
}

QString menuRow(const DataPlanUsage& usage) {
    return QStringLiteral("套餐  ") + usedOfQuota(usage) + QStringLiteral("（") +
           cformat("%.0f%%", usage.percent) + QStringLiteral("）· 剩 ") +
           QString::number(usage.daysLeft) + QStringLiteral(" 天");
}

QString cardTitle(const BillingCycle& cycle) {
    return QStringLiteral("流量套餐 · 本期 ") + shortDay(cycle.start) + QStringLiteral(" – ") +
           shortDay(cycle.end);
}

QString usedLine(const DataPlanUsage& usage) {
    return QStringLiteral("已用 ") + usedOfQuota(usage) + QStringLiteral("（") +
           cformat("%.1f%%", usage.percent) + QStringLiteral("）");
}

QString remainingLine(const DataPlanUsage& usage) {
    return QStringLiteral("剩余 ") + fmtBytesTraffic(usage.remainingBytes) +
           QStringLiteral(" · 还剩 ") + QString::number(usage.daysLeft) +
           QStringLiteral(" 天 · 日均可用 ") + fmtBytesTraffic(usage.dailyAllowance());
}

QString forecastLine(const DataPlanUsage& usage) {
    if (usage.exhausted() && usage.runOutDay)
        return QStringLiteral("本期额度已于 ") + chineseDay(*usage.runOutDay) +
               QStringLiteral("用完");
    const QString basis = QStringLiteral("按近 %1 天用量，").arg(usage.averageDays);
    if (usage.runOutDay)
        return basis + QStringLiteral("预计 ") + chineseDay(*usage.runOutDay) +
               QStringLiteral("用完");
    return basis + QStringLiteral("本期内不会用完");
}

QString retentionNote(const DataPlanUsage& usage, qint64 retentionDays) {
    if (!usage.firstCountedDay)
        return {};
    return QStringLiteral("历史仅保留 %1 天，本期 %2 之前的用量已不再计入")
        .arg(retentionDays)
        .arg(shortDay(*usage.firstCountedDay));
}

QString alertTitle(int level) {
    return level >= 100 ? QStringLiteral("流量套餐已用完")
                        : QStringLiteral("流量套餐已用 %1%").arg(level);
}

QString alertBody(const DataPlanUsage& usage) {
    return QStringLiteral("本期已用 ") + usedOfQuota(usage) + QStringLiteral("，距重置还有 ") +
           QString::number(usage.daysLeft) + QStringLiteral(" 天");
}

} // namespace DataPlanText
