#include "traffic/core/TrafficChartData.h"

#include "common/Saturating.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/TrafficRecorder.h"

#include <map>

std::vector<BarGroup> buildBarData(const std::vector<DayTotal>& perDay, int rangeDays) {
    std::vector<BarGroup> groups;
    if (rangeDays < kMonthlyFromDays) {
        groups.reserve(perDay.size());
        for (const DayTotal& day : perDay)
            groups.push_back({displayDay(day.date), day.inBytes, day.outBytes});
        return groups;
    }
    std::map<QString, std::size_t> groupOfMonth;
    for (const DayTotal& day : perDay) {
        const QStringList pieces = day.date.split(QLatin1Char('-'), Qt::SkipEmptyParts);
        if (pieces.size() != 3)
            continue;
        const QString monthKey = pieces[0] + QLatin1Char('-') + pieces[1];
        const auto [slot, isNew] = groupOfMonth.try_emplace(monthKey, groups.size());
        if (isNew)
            groups.push_back({QString::number(pieces[1].toInt()) + QStringLiteral("月"), 0, 0});
        BarGroup& group = groups[slot->second];
        group.inBytes = saturatingAdd(group.inBytes, day.inBytes);
        group.outBytes = saturatingAdd(group.outBytes, day.outBytes);
    }
    return groups;
}
