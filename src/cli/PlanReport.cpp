#include "cli/PlanReport.h"

#include "common/CFormat.h"
#include "traffic/core/DataPlanText.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/TrafficFormat.h"

namespace PlanReport {

QString text(const DataPlanUsage& usage, PlanCounts counts, qint64 retentionDays) {
    QString out = QStringLiteral("流量套餐 · 本期 %1 ~ %2  ·  还剩 %3 天\n")
                      .arg(dayKey(usage.cycle.start), dayKey(usage.cycle.end))
                      .arg(usage.daysLeft);
    out += QStringLiteral("额度 %1 · 计入 %2\n")
               .arg(fmtBytesTraffic(usage.quotaBytes), DataPlanText::countsTitle(counts));
    out += QStringLiteral("已用 %1（%2）· 剩余 %3 · 日均可用 %4\n")
               .arg(fmtBytesTraffic(usage.usedBytes), cformat("%.1f%%", usage.percent),
                    fmtBytesTraffic(usage.remainingBytes), fmtBytesTraffic(usage.dailyAllowance()));
    out += DataPlanText::forecastLine(usage) + QLatin1Char('\n');
    const QString note = DataPlanText::retentionNote(usage, retentionDays);
    if (!note.isEmpty())
        out += note + QLatin1Char('\n');
    return out;
}

QByteArray json(const DataPlanUsage& usage, PlanCounts counts) {
    const QString forecast = usage.runOutDay
                                 ? QLatin1Char('"') + dayKey(*usage.runOutDay) + QLatin1Char('"')
                                 : QStringLiteral("null");
    const QString line =
        QStringLiteral("{\"start\":\"%1\",\"end\":\"%2\",\"quotaBytes\":%3,\"usedBytes\":%4,"
                       "\"remainingBytes\":%5,\"percent\":%6,\"daysLeft\":%7,\"forecast\":%8,"
                       "\"counts\":\"%9\"}\n")
            .arg(dayKey(usage.cycle.start), dayKey(usage.cycle.end))
            .arg(usage.quotaBytes)
            .arg(usage.usedBytes)
            .arg(usage.remainingBytes)
            .arg(cformat("%.1f", usage.percent))
            .arg(usage.daysLeft)
            .arg(forecast, rawValue(counts));
    return line.toUtf8();
}

} // namespace PlanReport
