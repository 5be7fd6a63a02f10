#pragma once

#include <QString>
#include <QtGlobal>

// Texts of the live monitor's rates and byte counts, in units of 1024.
QString fmtSpeed(double bytesPerSecond);
QString fmtBytes(quint64 bytes);
