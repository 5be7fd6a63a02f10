#include "speedtest/core/SpeedTestNodes.h"

#include "common/Brand.h"

#include <QFileInfo>

namespace {

struct Chosen {
    NodeCatalogue catalogue;
    QString problem;
};

Chosen choose() {
    const auto directory = Brand::supportDirectory();
    if (!directory)
        return {NodeCatalogue::builtIn(), {}};
    const QString path = *directory + QLatin1Char('/') + SpeedTestNodes::kNodesFileName;
    if (!QFileInfo::exists(path))
        return {NodeCatalogue::builtIn(), {}};
    QString problem;
    if (auto loaded = NodeCatalogue::load(path, &problem))
        return {std::move(*loaded), {}};
    return {NodeCatalogue::builtIn(), problem};
}

const Chosen& chosen() {
    static const Chosen instance = choose();
    return instance;
}

} // namespace

namespace SpeedTestNodes {

const NodeCatalogue& catalogue() {
    return chosen().catalogue;
}
QString catalogueProblem() {
    return chosen().problem;
}
const std::vector<SpeedTestNode>& download() {
    return catalogue().download;
}
const std::vector<UploadTestNode>& upload() {
    return catalogue().upload;
}
std::optional<SpeedTestNode> node(const QString& id) {
    return catalogue().node(id);
}
std::optional<UploadTestNode> uploadNode(const QString& id) {
    return catalogue().uploadNode(id);
}

} // namespace SpeedTestNodes
