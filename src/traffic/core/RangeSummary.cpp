#include "traffic/core/RangeSummary.h"

#include "common/Saturating.h"
#include "traffic/core/DayKey.h"

#include <algorithm>

QStringList dayKeys(const QDate& from, const QDate& to) {
    QStringList keys;
    if (!from.isValid() || !to.isValid() || from > to)
        return keys;
    keys.reserve(from.daysTo(to) + 1);
    for (QDate day = from; day.isValid() && day <= to; day = day.addDays(1))
        keys.append(dayKey(day));
    return keys;
}

namespace {

void addApps(std::map<QString, AppTraffic>& into, const std::map<QString, AppTraffic>& day) {
    // Both maps are ordered by name, so one forward walk with a hint merges them linearly.
    auto hint = into.begin();
    for (const auto& [name, traffic] : day) {
        while (hint != into.end() && hint->first < name)
            ++hint;
        if (hint == into.end() || name < hint->first)
            hint = into.emplace_hint(hint, name, AppTraffic{});
        hint->second.bytesIn = saturatingAdd(hint->second.bytesIn, traffic.bytesIn);
        hint->second.bytesOut = saturatingAdd(hint->second.bytesOut, traffic.bytesOut);
        ++hint;
    }
}

} // namespace

RangeSummary aggregate(const TrafficData& data, const QStringList& keys) {
    RangeSummary summary;
    for (const QString& key : keys) {
        const auto found = data.find(key);
        if (found == data.end())
            continue;
        const DailyTraffic& day = found->second;
        summary.totalIn = saturatingAdd(summary.totalIn, day.totalIn);
        summary.totalOut = saturatingAdd(summary.totalOut, day.totalOut);
        summary.perDay.push_back({key, day.totalIn, day.totalOut});
        addApps(summary.apps, day.apps);
    }
    return summary;
}

std::vector<NamedAppTraffic> sortedApps(const std::map<QString, AppTraffic>& apps) {
    const auto total = [](const AppTraffic& t) { return saturatingAdd(t.bytesIn, t.bytesOut); };
    const bool anyBytes = std::any_of(apps.begin(), apps.end(),
                                      [&](const auto& entry) { return total(entry.second) > 0; });
    if (!anyBytes)
        return {};
    std::vector<NamedAppTraffic> list;
    list.reserve(apps.size());
    for (const auto& [name, traffic] : apps)
        list.push_back({name, traffic});
    std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
        return total(a.traffic) > total(b.traffic);
    });
    return list;
}

double appShare(const AppTraffic& app, const RangeSummary& summary) {
    const double denominator = double(summary.totalIn) + double(summary.totalOut);
    if (denominator <= 0)
        return 0;
    return (double(app.bytesIn) + double(app.bytesOut)) / denominator;
}
