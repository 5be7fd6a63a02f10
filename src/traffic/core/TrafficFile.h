#pragma once

#include "traffic/core/DailyTraffic.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The text form of the traffic history: a JSON object of day keys, each day an object with
// "totalIn", "totalOut" and "apps" (process name -> {"in", "out"}). Counts are read and
// written as exact unsigned 64-bit integers, never through a double.
namespace TrafficFile {

// Absent when the text is not JSON or its top level is not an object. Otherwise every day whose
// value is an object, with counts that are not non-negative integers (strings, fractions,
// negatives, values above 2^64 - 1) read as 0; non-object days and applications are skipped.
std::optional<TrafficData> parse(QByteArrayView text);

// Pretty-printed, every day and every application included.
QByteArray serialize(const TrafficData& data);

} // namespace TrafficFile
