#pragma once

#include <QDate>
#include <QString>

// Days in the traffic file are keyed "yyyy-MM-dd" in the local calendar.
QString dayKey(const QDate& date);
// An invalid date for anything that is not such a key.
QDate parseDayKey(const QString& key);
// "M/d" of a day key; any other text comes back unchanged.
QString displayDay(const QString& key);
