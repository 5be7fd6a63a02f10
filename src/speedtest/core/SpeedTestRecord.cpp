#include "speedtest/core/SpeedTestRecord.h"

#include "common/CFormat.h"
#include "common/LoneSurrogates.h"
#include "speedtest/core/CompactJson.h"

#include <QJsonValue>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

const QString kNone = QStringLiteral("—");
const QString kSeparator = QStringLiteral(" · ");

double numberOf(const QJsonObject& object, QLatin1StringView key) {
    const QJsonValue value = object.value(key);
    return value.isDouble() ? value.toDouble() : 0;
}

QString textOf(const QJsonObject& object, QLatin1StringView key) {
    const QJsonValue value = object.value(key);
    return value.isString() ? withoutLoneSurrogates(value.toString()) : QString();
}

QString orNone(const QString& text) {
    return text.isEmpty() ? kNone : text;
}

// A line break splits one record across two rows for most CSV readers, so it is quoted too.
QString csvCell(const QString& value) {
    static const QString triggers = QStringLiteral(",\"\r\n");
    if (std::none_of(value.begin(), value.end(), [](QChar c) { return triggers.contains(c); }))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void zeroIfNonFinite(double& value) {
    if (!std::isfinite(value))
        value = 0;
}

void forgetIfNonFinite(std::optional<double>& value) {
    if (value && !std::isfinite(*value))
        value.reset();
}

std::optional<double> optionalNumberOf(const QJsonObject& object, QLatin1StringView key) {
    const QJsonValue value = object.value(key);
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value.toDouble();
}

QString millisecondsOrDash(std::optional<double> ms) {
    return ms ? cformat("%.0f ms", *ms) : QStringLiteral("--");
}

} // namespace

const QString SpeedTestRecord::csvHeader =
    QStringLiteral("时间,下载(Mbps),上传(Mbps),延迟(ms),抖动(ms),评级,下载节点,上传节点,网卡,MAC,"
                   "本地IPv4,本地IPv6,公网IP");

SpeedTestRecord SpeedTestRecord::fromResult(const SpeedTestResult& result, double ts) {
    SpeedTestRecord record;
    record.ts = ts;
    record.downMbps = result.downMbps;
    record.upMbps = result.upMbps;
    record.latencyMs = result.latencyMs;
    record.jitterMs = result.jitterMs;
    record.loadedDownMs = result.loadedDownMs;
    record.loadedUpMs = result.loadedUpMs;
    // JSON cannot hold NaN or infinity; the grade is taken from the figure as stored.
    record.zeroNonFiniteFigures();
    SpeedTestResult stored = result;
    stored.downMbps = record.downMbps;
    record.grade = stored.grade();
    record.downNode = result.downNode;
    record.upNode = result.upNode;
    record.iface = result.iface;
    record.mac = result.mac;
    record.ipv4 = result.ipv4;
    record.ipv6 = result.ipv6;
    record.publicIP = result.publicIP;
    return record;
}

SpeedTestRecord SpeedTestRecord::fromJson(const QJsonObject& object) {
    SpeedTestRecord record;
    record.ts = numberOf(object, QLatin1StringView("ts"));
    record.downMbps = numberOf(object, QLatin1StringView("downMbps"));
    record.upMbps = numberOf(object, QLatin1StringView("upMbps"));
    record.latencyMs = numberOf(object, QLatin1StringView("latencyMs"));
    record.jitterMs = numberOf(object, QLatin1StringView("jitterMs"));
    record.grade = textOf(object, QLatin1StringView("grade"));
    record.downNode = textOf(object, QLatin1StringView("downNode"));
    record.upNode = textOf(object, QLatin1StringView("upNode"));
    record.iface = textOf(object, QLatin1StringView("iface"));
    record.mac = textOf(object, QLatin1StringView("mac"));
    record.ipv4 = textOf(object, QLatin1StringView("ipv4"));
    record.ipv6 = textOf(object, QLatin1StringView("ipv6"));
    record.publicIP = textOf(object, QLatin1StringView("publicIP"));
    record.loadedDownMs = optionalNumberOf(object, QLatin1StringView("loadedDownMs"));
    record.loadedUpMs = optionalNumberOf(object, QLatin1StringView("loadedUpMs"));
    return record;
}

void SpeedTestRecord::appendJson(QByteArray& out) const {
    const std::pair<const char*, double> numbers[] = {
        {"{\"ts\":", ts},
        {",\"downMbps\":", downMbps},
        {",\"upMbps\":", upMbps},
        {",\"latencyMs\":", latencyMs},
        {",\"jitterMs\":", jitterMs},
    };
    for (const auto& [key, value] : numbers) {
        out.append(key);
        CompactJson::appendNumber(out, value);
    }
    const std::pair<const char*, const QString*> texts[] = {
        {",\"grade\":", &grade}, {",\"downNode\":", &downNode}, {",\"upNode\":", &upNode},
        {",\"iface\":", &iface}, {",\"mac\":", &mac},           {",\"ipv4\":", &ipv4},
        {",\"ipv6\":", &ipv6},   {",\"publicIP\":", &publicIP},
    };
    for (const auto& [key, value] : texts) {
        out.append(key);
        CompactJson::appendString(out, *value);
    }
    const std::pair<const char*, const std::optional<double>*> loaded[] = {
        {",\"loadedDownMs\":", &loadedDownMs},
        {",\"loadedUpMs\":", &loadedUpMs},
    };
    for (const auto& [key, value] : loaded) {
        if (*value) {
            out.append(key);
            CompactJson::appendNumber(out, **value);
        }
    }
    out.append('}');
}

void SpeedTestRecord::zeroNonFiniteFigures() {
    zeroIfNonFinite(ts);
    zeroIfNonFinite(downMbps);
    zeroIfNonFinite(upMbps);
    zeroIfNonFinite(latencyMs);
    zeroIfNonFinite(jitterMs);
    forgetIfNonFinite(loadedDownMs);
    forgetIfNonFinite(loadedUpMs);
}

QDateTime SpeedTestRecord::date() const {
    // Beyond the range a date can show, a hostile file's figure is pinned to the edge.
    constexpr double kLimitSeconds = 8.0e12;
    const double seconds = std::isfinite(ts) ? std::clamp(ts, -kLimitSeconds, kLimitSeconds) : 0;
    return QDateTime::fromMSecsSinceEpoch(qint64(std::floor(seconds * 1000.0)));
}

QString SpeedTestRecord::timeText() const {
    return date().toString(QStringLiteral("MM-dd HH:mm:ss"));
}

QString SpeedTestRecord::pingText() const {
    if (latencyMs > 0)
        return cformat("⏱ %.0f ms ±%.1f", latencyMs, jitterMs);
    return QStringLiteral("⏱ --");
}

QString SpeedTestRecord::shortenIP(const QString& address) {
    if (!address.contains(QLatin1Char(':')))
        return address;
    const QStringList pieces = address.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return address.left(10) + QStringLiteral("…");
    return pieces[0] + QLatin1Char(':') + pieces[1] + QStringLiteral(":…");
}

QString SpeedTestRecord::identityLine() const {
    QStringList pieces{mac.isEmpty() ? QStringLiteral("MAC —") : mac,
                       ipv4.isEmpty() ? QStringLiteral("IP —") : ipv4};
    if (!publicIP.isEmpty())
        pieces << QStringLiteral("公网 ") + shortenIP(publicIP);
    if (!iface.isEmpty())
        pieces << iface;
    if (!downNode.isEmpty())
        pieces << downNode;
    return pieces.join(kSeparator);
}

QString SpeedTestRecord::tooltip() const {
    QString nodes = downNode;
    if (!upNode.isEmpty())
        nodes += QStringLiteral(" / ") + upNode;
    const QStringList lines{
        QStringLiteral("时间　") + timeText(),
        cformat("下载　%.1f Mbps", downMbps),
        cformat("上传　%.1f Mbps", upMbps),
        cformat("延迟　%.0f ms（抖动 ±%.1f ms）", latencyMs, jitterMs),
        QStringLiteral("评级　") + grade,
        QStringLiteral("节点　") + nodes,
        QStringLiteral("网卡　") + iface,
        QStringLiteral("MAC　") + orNone(mac),
        QStringLiteral("本地 IPv4　") + orNone(ipv4),
        QStringLiteral("本地 IPv6　") + orNone(ipv6),
        QStringLiteral("公网 IP　") + orNone(publicIP),
        QStringLiteral("负载延迟　") + loadedLatencyText(),
    };
    return lines.join(QLatin1Char('\n'));
}

QString SpeedTestRecord::loadedLatencyText() const {
    return QStringLiteral("下载时 ") + millisecondsOrDash(loadedDownMs) +
           QStringLiteral(" · 上传时 ") + millisecondsOrDash(loadedUpMs);
}

QString SpeedTestRecord::csvLine() const {
    const QStringList cells{
        timeText(),
        cformat("%.1f", downMbps),
        cformat("%.1f", upMbps),
        cformat("%.0f", latencyMs),
        cformat("%.1f", jitterMs),
        csvCell(grade),
        csvCell(downNode),
        csvCell(upNode),
        csvCell(iface),
        csvCell(mac),
        csvCell(ipv4),
        csvCell(ipv6),
        csvCell(publicIP),
    };
    return cells.join(QLatin1Char(','));
}
