#include "speedtest/core/SpeedTestHistoryMerge.h"

#include <QHash>
#include <QSet>

#include <array>
#include <cmath>

namespace {

struct Identity {
    std::array<double, 5> figures;

    bool operator==(const Identity&) const = default;
    friend size_t qHash(const Identity& key, size_t seed = 0) {
        return qHashRange(key.figures.begin(), key.figures.end(), seed);
    }
};

// As the file keeps it: a figure that is not finite is stored as 0, and -0 is 0.
double canonical(double figure) {
    return std::isfinite(figure) && figure != 0 ? figure : 0.0;
}

Identity identity(const SpeedTestRecord& record) {
    return {{canonical(record.ts), canonical(record.downMbps), canonical(record.upMbps),
             canonical(record.latencyMs), canonical(record.jitterMs)}};
}

QSet<Identity> identities(const QList<SpeedTestRecord>& records) {
    QSet<Identity> set;
    set.reserve(records.size());
    for (const SpeedTestRecord& record : records)
        set.insert(identity(record));
    return set;
}

} // namespace

namespace SpeedTestHistoryMerge {

bool sameTest(const SpeedTestRecord& a, const SpeedTestRecord& b) {
    return identity(a) == identity(b);
}

QList<SpeedTestRecord> merged(const QList<SpeedTestRecord>& stored,
                              const QList<SpeedTestRecord>& added) {
    const QSet<Identity> known = identities(stored);
    QList<SpeedTestRecord> fresh;
    for (const SpeedTestRecord& record : added) {
        if (!known.contains(identity(record)))
            fresh.append(record);
    }
    QList<SpeedTestRecord> result;
    result.reserve(stored.size() + fresh.size());
    qsizetype s = 0;
    qsizetype f = 0;
    while (s < stored.size() || f < fresh.size()) {
        const bool takeFresh =
            f < fresh.size() && (s == stored.size() || fresh[f].ts >= stored[s].ts);
        result.append(takeFresh ? fresh[f++] : stored[s++]);
    }
    return result;
}

QList<SpeedTestRecord> without(const QList<SpeedTestRecord>& records,
                               const QList<SpeedTestRecord>& removed) {
    if (removed.isEmpty())
        return records;
    const QSet<Identity> gone = identities(removed);
    QList<SpeedTestRecord> kept;
    for (const SpeedTestRecord& record : records) {
        if (!gone.contains(identity(record)))
            kept.append(record);
    }
    return kept;
}

} // namespace SpeedTestHistoryMerge
