#pragma once

#include "speedtest/core/SpeedTestRecord.h"

#include <QList>

// How two views of the history become one. A test is known by its time stamp and its four
// figures: two processes never make the same test, and the texts may differ after a round
// trip through the file, the figures never do.
namespace SpeedTestHistoryMerge {

bool sameTest(const SpeedTestRecord& a, const SpeedTestRecord& b);

// stored and added, both newest first, as one list newest first. Each list keeps its own
// order; a test in both appears once, as stored.
QList<SpeedTestRecord> merged(const QList<SpeedTestRecord>& stored,
                              const QList<SpeedTestRecord>& added);

// records without every test in removed.
QList<SpeedTestRecord> without(const QList<SpeedTestRecord>& records,
                               const QList<SpeedTestRecord>& removed);

} // namespace SpeedTestHistoryMerge
