#pragma once

#include "traffic/core/RangeSummary.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>
#include <optional>

// The period an export writes: the interval and summary of the window's last refresh.
struct ExportPeriod {
    QDate from;
    QDate to;
    std::optional<RangeSummary> summary;
};

// Display name of a recorded process name.
using DisplayNameOf = std::function<QString(const QString& process)>;

// The CSV and JSON files of a period, byte for byte, and writing them.
namespace TrafficExport {

// "netdial-" + from + "-" + to + "." + ext, dates as "yyyy-MM-dd".
QString defaultExportName(const QDate& from, const QDate& to, const QString& ext);

// A text cell: quoted, with inner quotes doubled, when it holds a comma, a double quote or a
// line break, so a name can never shift the columns of its line; else unchanged.
QString csvCell(const QString& text);

// The CSV text without the byte-order mark; empty without a summary.
QString buildCSV(const ExportPeriod& period, const DisplayNameOf& displayName);
// The CSV file: UTF-8 byte-order mark, then buildCSV.
QByteArray csvFileBytes(const ExportPeriod& period, const DisplayNameOf& displayName);

// Pretty-printed JSON with sorted keys; "{}" without a summary.
QString buildJSON(const ExportPeriod& period, const DisplayNameOf& displayName);
// The JSON file: buildJSON in UTF-8, no byte-order mark.
QByteArray jsonFileBytes(const ExportPeriod& period, const DisplayNameOf& displayName);

// Replaces path with bytes atomically; the reason on failure, nothing on success.
std::optional<QString> writeFile(const QString& path, const QByteArray& bytes);

} // namespace TrafficExport
