#include "traffic/core/DayKey.h"

namespace {

const QString kDayFormat = QStringLiteral("yyyy-MM-dd");

} // namespace

QString dayKey(const QDate& date) {
    return date.toString(kDayFormat);
}

QDate parseDayKey(const QString& key) {
    return QDate::fromString(key, kDayFormat);
}

QString displayDay(const QString& key) {
    const QDate date = parseDayKey(key);
    return date.isValid() ? date.toString(QStringLiteral("M/d")) : key;
}
