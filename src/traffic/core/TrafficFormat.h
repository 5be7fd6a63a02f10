#pragma once

#include <QString>
#include <QtGlobal>

// Byte counts of the statistics window, its chart, table and exports: units of 1024 up to TB,
// the unit chosen by comparing the integer count.
QString fmtBytesTraffic(quint64 bytes);
