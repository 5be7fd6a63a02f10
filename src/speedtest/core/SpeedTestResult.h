#pragma once

#include <QString>

#include <optional>

// The outcome of one speed test; the engine fills it phase by phase.
struct SpeedTestResult {
    double latencyMs = 0;
    double jitterMs = 0;
    double downMbps = 0;
    double upMbps = 0;
    QString downNode;
    QString downNodeDetail;
    QString upNode;
    QString networkInfo;
    QString iface;
    QString mac;
    QString ipv4;
    QString ipv6;
    QString publicIP;
    // There was no upload node, so upMbps is no measurement.
    bool noUploadNode = false;
    // Median round trip while the download or upload loaded the link, in milliseconds; none
    // when no latency probe of that phase was answered.
    std::optional<double> loadedDownMs;
    std::optional<double> loadedUpMs;

    // Quality grade from the download rate; "--" when there is none.
    QString grade() const;
    // What the download rate is good for.
    QString capability() const;
    // The upload rate as "12.3 Mbps", or what stands in for a figure that was not measured.
    QString uploadFigure() const;
    // What the load adds to the idle latency, its grade ("A+" … "F") and the round trips per
    // minute under load; none (an empty grade) unless both directions have a figure.
    std::optional<double> bloatMs() const;
    QString bloatGrade() const;
    std::optional<double> rpm() const;
    // One line with the four figures and both node names.
    QString summaryLine() const;

    friend bool operator==(const SpeedTestResult&, const SpeedTestResult&) = default;
};
