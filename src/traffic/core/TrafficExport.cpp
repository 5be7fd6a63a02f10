#include "traffic/core/TrafficExport.h"

#include "common/Brand.h"
#include "common/CFormat.h"
#include "common/Saturating.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/RangeMode.h"
#include "traffic/core/TrafficRecorder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <limits>

namespace {

QString number(quint64 value) {
    return QString::number(value);
}

// JSON integers are signed 64-bit here; a larger count is written as the largest one.
QJsonValue jsonCount(quint64 value) {
    constexpr auto kMax = quint64(std::numeric_limits<qint64>::max());
    return QJsonValue(qint64(qMin(value, kMax)));
}

} // namespace

namespace TrafficExport {

QString defaultExportName(const QDate& from, const QDate& to, const QString& ext) {
    return QStringLiteral("netdial-") + dayKey(from) + QLatin1Char('-') + dayKey(to) +
           QLatin1Char('.') + ext;
}

QString csvCell(const QString& text) {
    const bool needsQuotes = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                             text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!needsQuotes)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString buildCSV(const ExportPeriod& period, const DisplayNameOf& displayName) {
    if (!period.summary)
        return {};
    const RangeSummary& summary = *period.summary;
    const quint64 total = saturatingAdd(summary.totalIn, summary.totalOut);
    QString text;
    text += QStringLiteral("# ") + Brand::full + QStringLiteral(" 流量导出\n");
    text += QStringLiteral("# 区间,") + dayKey(period.from) + QStringLiteral(" ~ ") +
            dayKey(period.to) + QStringLiteral(",共") +
            QString::number(rangeDays(period.from, period.to)) + QStringLiteral("天\n");
    text += QStringLiteral("类型,下载,上传,合计\n");
    text += QStringLiteral("区间汇总,") + number(summary.totalIn) + QLatin1Char(',') +
            number(summary.totalOut) + QLatin1Char(',') + number(total) + QLatin1Char('\n');
    text += QLatin1Char('\n');
    text += QStringLiteral("日期,下载,上传,合计\n");
    for (const DayTotal& day : summary.perDay) {
        text += day.date + QLatin1Char(',') + number(day.inBytes) + QLatin1Char(',') +
                number(day.outBytes) + QLatin1Char(',') +
                number(saturatingAdd(day.inBytes, day.outBytes)) + QLatin1Char('\n');
    }
    text += QLatin1Char('\n');
    text += QStringLiteral("应用,进程,下载,上传,合计,占比\n");
    for (const NamedAppTraffic& app : sortedApps(summary.apps)) {
        const AppTraffic& t = app.traffic;
        text += csvCell(displayName(app.name)) + QLatin1Char(',') + csvCell(app.name) +
                QLatin1Char(',') + number(t.bytesIn) + QLatin1Char(',') + number(t.bytesOut) +
                QLatin1Char(',') + number(saturatingAdd(t.bytesIn, t.bytesOut)) + QLatin1Char(',') +
                cformat("%.1f", appShare(t, summary) * 100) + QStringLiteral("%\n");
    }
    return text;
}

QByteArray csvFileBytes(const ExportPeriod& period, const DisplayNameOf& displayName) {
    return QByteArray("\xEF\xBB\xBF") + buildCSV(period, displayName).toUtf8();
}

QString buildJSON(const ExportPeriod& period, const DisplayNameOf& displayName) {
    if (!period.summary)
        return QStringLiteral("{}");
    const RangeSummary& summary = *period.summary;
    QJsonArray perDay;
    for (const DayTotal& day : summary.perDay) {
        perDay.append(QJsonObject{
            {QStringLiteral("date"), day.date},
            {QStringLiteral("download"), jsonCount(day.inBytes)},
            {QStringLiteral("upload"), jsonCount(day.outBytes)},
            {QStringLiteral("total"), jsonCount(saturatingAdd(day.inBytes, day.outBytes))},
        });
    }
    QJsonArray apps;
    for (const NamedAppTraffic& app : sortedApps(summary.apps)) {
        const AppTraffic& t = app.traffic;
        // Two decimals read back as a number: 33.33, and 15 rather than 15.00.
        const double pct = cformat("%.2f", appShare(t, summary) * 100).toDouble();
        apps.append(QJsonObject{
            {QStringLiteral("name"), displayName(app.name)},
            {QStringLiteral("process"), app.name},
            {QStringLiteral("download"), jsonCount(t.bytesIn)},
            {QStringLiteral("upload"), jsonCount(t.bytesOut)},
            {QStringLiteral("total"), jsonCount(saturatingAdd(t.bytesIn, t.bytesOut))},
            {QStringLiteral("pct"), pct},
        });
    }
    const QJsonObject root{
        {QStringLiteral("app"), Brand::english},
        {QStringLiteral("version"), QStringLiteral("1.5")},
        {QStringLiteral("from"), dayKey(period.from)},
        {QStringLiteral("to"), dayKey(period.to)},
        {QStringLiteral("days"), rangeDays(period.from, period.to)},
        {QStringLiteral("summary"),
         QJsonObject{
             {QStringLiteral("download"), jsonCount(summary.totalIn)},
             {QStringLiteral("upload"), jsonCount(summary.totalOut)},
             {QStringLiteral("total"), jsonCount(saturatingAdd(summary.totalIn, summary.totalOut))},
         }},
        {QStringLiteral("perDay"), perDay},
        {QStringLiteral("apps"), apps},
    };
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

QByteArray jsonFileBytes(const ExportPeriod& period, const DisplayNameOf& displayName) {
    return buildJSON(period, displayName).toUtf8();
}

std::optional<QString> writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace TrafficExport
