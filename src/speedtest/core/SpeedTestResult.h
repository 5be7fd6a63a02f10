#pragma once

#include <QString>

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

    // Quality grade from the download rate; "--" when there is none.
    QString grade() const;
    // What the download rate is good for.
    QString capability() const;
    // The upload rate as "12.3 Mbps", or what stands in for a figure that was not measured.
    QString uploadFigure() const;
    // One line with the four figures and both node names.
    QString summaryLine() const;

    friend bool operator==(const SpeedTestResult&, const SpeedTestResult&) = default;
};
