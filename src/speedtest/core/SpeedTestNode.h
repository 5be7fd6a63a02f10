#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// A download test endpoint; its pingURL also serves probing and latency.
struct SpeedTestNode {
    QString id;
    QString name;
    QString detail;
    QUrl pingURL;
    QUrl downloadURL;
    std::optional<QUrl> uploadURL;

    friend bool operator==(const SpeedTestNode&, const SpeedTestNode&) = default;
};

// An endpoint that receives the upload test's POST bodies.
struct UploadTestNode {
    QString id;
    QString name;
    QUrl url;

    friend bool operator==(const UploadTestNode&, const UploadTestNode&) = default;
};
