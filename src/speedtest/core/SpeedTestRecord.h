#pragma once

#include "speedtest/core/SpeedTestResult.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

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

    // The stored form of a finished test made at ts (seconds since 1970). The detail and
    // network summary are not kept; figures that are not finite are kept as 0.
    static SpeedTestRecord fromResult(const SpeedTestResult& result, double ts);

    // Reads field by field: a missing, null or wrong-typed value leaves that field at its
    // default; unknown keys are ignored.
    static SpeedTestRecord fromJson(const QJsonObject& object);
    // Appends the record as one compact JSON object holding all thirteen keys.
    void appendJson(QByteArray& out) const;

    // Finite figures only: JSON cannot hold NaN or infinity, so they are kept as 0.
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
    // Eleven lines of full details for hovering.
    QString tooltip() const;
    // Thirteen cells in the order of csvHeader, no terminator.
    QString csvLine() const;

    static const QString csvHeader;

    friend bool operator==(const SpeedTestRecord&, const SpeedTestRecord&) = default;
};
