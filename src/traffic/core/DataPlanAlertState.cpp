#include "traffic/core/DataPlanAlertState.h"

#include "traffic/core/DayKey.h"

namespace DataPlanAlertState {

int reachedLevel(double percent) {
    if (percent >= 100)
        return 100;
    if (percent >= 80)
        return 80;
    return 0;
}

int givenLevel(const QString& stored, const QDate& cycleStart) {
    const QString prefix = dayKey(cycleStart) + QLatin1Char(':');
    if (!stored.startsWith(prefix))
        return 0;
    const QStringView level = QStringView(stored).mid(prefix.size());
    if (level == QLatin1String("100"))
        return 100;
    if (level == QLatin1String("80"))
        return 80;
    return 0;
}

Decision decide(const QString& stored, const QDate& cycleStart, double percent) {
    const int reached = reachedLevel(percent);
    if (reached <= givenLevel(stored, cycleStart))
        return {0, stored};
    return {reached, dayKey(cycleStart) + QLatin1Char(':') + QString::number(reached)};
}

} // namespace DataPlanAlertState
