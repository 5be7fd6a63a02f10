#pragma once

#include "speedtest/core/SpeedTestNode.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// The endpoints one speed test may use, in the order that decides ties and fallbacks.
struct NodeCatalogue {
    std::vector<SpeedTestNode> download;
    std::vector<UploadTestNode> upload;
    // Extra trusted certificates (PEM) on top of the system's; empty for none.
    QString caFile;

    // The first node whose id equals id exactly, or none.
    std::optional<SpeedTestNode> node(const QString& id) const;
    std::optional<UploadTestNode> uploadNode(const QString& id) const;

    static NodeCatalogue builtIn();

    // Parses the nodes.json form; on failure returns none and sets error to what is wrong.
    // A relative "caFile" is taken from baseDirectory (the current directory when empty).
    static std::optional<NodeCatalogue> fromJson(QByteArrayView json, QString* error,
                                                 const QString& baseDirectory = {});
    // Reads and parses a nodes.json file, its "caFile" relative to the file's directory; the
    // error names the file.
    static std::optional<NodeCatalogue> load(const QString& path, QString* error);
};
