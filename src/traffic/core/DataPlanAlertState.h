#pragma once

#include <QDate>
#include <QString>

// Which data-plan alert is due, at most one each at 80 % and 100 % per billing cycle. The
// stored state "<cycle start>:<level>" names the highest alert given so far; a state of another
// cycle (or unreadable text) counts as none given, so a new cycle starts afresh.
namespace DataPlanAlertState {

struct Decision {
    int notifyLevel = 0; // 80 or 100; 0 when nothing is due
    QString state;       // what to store afterwards (the stored text when nothing is due)
};

// 100 from 100 %, 80 from 80 %, else 0.
int reachedLevel(double percent);
// The level stored for cycleStart; 0 for another cycle's state or any other text.
int givenLevel(const QString& stored, const QDate& cycleStart);
// Crossing both at once gives only the 100 % alert.
Decision decide(const QString& stored, const QDate& cycleStart, double percent);

} // namespace DataPlanAlertState
