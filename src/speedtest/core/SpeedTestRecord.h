#pragma once

#include "speedtest/core/SpeedTestResult.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// One finished speed test as kept in the permanent history, with its text forms.
struct SpeedTestRecord {
    double ts = 0;
    double downMbps = 0;
    double upMbps = 0;
    double latencyMs = 0;
    double jitterMs = 0;
    QString grade;
    QString downNode;
    QString upNode;
    QString iface;
    QString mac;
    QString ipv4;
    QString ipv6;
    QString publicIP;
    // Median round trips while the download or upload loaded the link; absent in records of
    // older versions and when no probe of that phase was answered.
    std::optional<double> loadedDownMs;
    std::optional<double> loadedUpMs;

    // The stored form of a finished test made at ts (seconds since 1970). The detail and
    // network summary are not kept; figures that are not finite are kept as 0.
    static SpeedTestRecord fromResult(const SpeedTestResult& result, double ts);

    // Reads field by field: a missing, null or wrong-typed value leaves that field at its
    // default; unknown keys are ignored.
    static SpeedTestRecord fromJson(const QJsonObject& object);
    // Appends the record as one compact JSON object holding all thirteen keys, and the two
    // loaded latencies' keys where they have a figure.
    void appendJson(QByteArray& out) const;

    // Finite figures only: JSON cannot hold NaN or infinity, so they are kept as 0 (a loaded
    // latency as missing).
    void zeroNonFiniteFigures();

    QDateTime date() const;
    // "MM-dd HH:mm:ss" in local time.
    QString timeText() const;
    // "⏱ 18 ms ±2.3", or "⏱ --" without a latency.
    QString pingText() const;
    // IPv6 cut to its first two groups; anything without ":" unchanged.
    static QString shortenIP(const QString& address);
    // The compact network identity of a list row.
    QString identityLine() const;
    // Twelve lines of full details for hovering; the last one shows the loaded latencies.
    QString tooltip() const;
    // "下载时 38 ms · 上传时 52 ms", with "--" for a figure that is missing.
    QString loadedLatencyText() const;
    // Thirteen cells in the order of csvHeader, no terminator.
    QString csvLine() const;

    static const QString csvHeader;

    friend bool operator==(const SpeedTestRecord&, const SpeedTestRecord&) = default;
};
