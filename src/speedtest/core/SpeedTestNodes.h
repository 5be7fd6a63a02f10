#pragma once

#include "speedtest/core/NodeCatalogue.h"

// The catalogue the program uses: nodes.json in the application-support directory when it
// is present and valid, else the built-in one. Chosen once on first use.
namespace SpeedTestNodes {

inline const QString kNodesFileName = QStringLiteral("nodes.json");

const NodeCatalogue& catalogue();
// Why nodes.json was not used although it exists; empty when all is well.
QString catalogueProblem();

const std::vector<SpeedTestNode>& download();
const std::vector<UploadTestNode>& upload();
std::optional<SpeedTestNode> node(const QString& id);
std::optional<UploadTestNode> uploadNode(const QString& id);

} // namespace SpeedTestNodes
