#include "speedtest/core/NodeCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

template <typename Node>
std::optional<Node> findById(const std::vector<Node>& nodes, const QString& id) {
    for (const Node& node : nodes) {
        if (node.id == id)
            return node;
    }
    return std::nullopt;
}

QUrl https(const char* host, const char* pathAndQuery) {
    return QUrl(
        QStringLiteral("https://%1%2").arg(QLatin1String(host), QLatin1String(pathAndQuery)));
}

// Reads one text field of a node entry; fails with a message naming the entry.
bool readText(const QJsonObject& object, const QString& key, const QString& where, QString* out,
              QString* error) {
    const QJsonValue value = object.value(key);
    if (!value.isString() || value.toString().isEmpty()) {
        *error = QStringLiteral("%1 缺少文本字段 \"%2\"").arg(where, key);
        return false;
    }
    *out = value.toString();
    return true;
}

bool readUrl(const QJsonObject& object, const QString& key, const QString& where, QUrl* out,
             QString* error) {
    QString text;
    if (!readText(object, key, where, &text, error))
        return false;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty()) {
        *error = QStringLiteral("%1 的 \"%2\" 不是 https 地址: %3").arg(where, key, text);
        return false;
    }
    *out = url;
    return true;
}

bool readDownloadNodes(const QJsonArray& array, std::vector<SpeedTestNode>* nodes, QString* error) {
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString where = QStringLiteral("download[%1]").arg(i);
        if (!array[i].isObject()) {
            *error = where + QStringLiteral(" 不是对象");
            return false;
        }
        const QJsonObject object = array[i].toObject();
        SpeedTestNode node;
        if (!readText(object, QStringLiteral("id"), where, &node.id, error) ||
            !readText(object, QStringLiteral("name"), where, &node.name, error) ||
            !readUrl(object, QStringLiteral("pingURL"), where, &node.pingURL, error) ||
            !readUrl(object, QStringLiteral("downloadURL"), where, &node.downloadURL, error))
            return false;
        node.detail = object.value(QStringLiteral("detail")).toString();
        if (object.contains(QStringLiteral("uploadURL"))) {
            QUrl url;
            if (!readUrl(object, QStringLiteral("uploadURL"), where, &url, error))
                return false;
            node.uploadURL = url;
        }
        nodes->push_back(node);
    }
    return true;
}

bool readUploadNodes(const QJsonArray& array, std::vector<UploadTestNode>* nodes, QString* error) {
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString where = QStringLiteral("upload[%1]").arg(i);
        if (!array[i].isObject()) {
            *error = where + QStringLiteral(" 不是对象");
            return false;
        }
        const QJsonObject object = array[i].toObject();
        UploadTestNode node;
        if (!readText(object, QStringLiteral("id"), where, &node.id, error) ||
            !readText(object, QStringLiteral("name"), where, &node.name, error) ||
            !readUrl(object, QStringLiteral("url"), where, &node.url, error))
            return false;
        nodes->push_back(node);
    }
    return true;
}

} // namespace

std::optional<SpeedTestNode> NodeCatalogue::node(const QString& id) const {
    return findById(download, id);
}

std::optional<UploadTestNode> NodeCatalogue::uploadNode(const QString& id) const {
    return findById(upload, id);
}

NodeCatalogue NodeCatalogue::builtIn() {
    const char* tuna = "mirrors.tuna.tsinghua.edu.cn";
    const char* huawei = "repo.huaweicloud.com";
    const char* bfsu = "mirrors.bfsu.edu.cn";
    const char* cloudflare = "speed.cloudflare.com";
    const char* ustc = "test.ustc.edu.cn";
    const char* ubuntuSums = "/ubuntu-releases/22.04/SHA256SUMS";
    const char* ubuntuIso = "/ubuntu-releases/22.04/ubuntu-22.04.5-desktop-amd64.iso";

    NodeCatalogue catalogue;
    catalogue.download = {
        {QStringLiteral("tuna"), QStringLiteral("清华 TUNA"), QStringLiteral("北京 · 教育网"),
         https(tuna, ubuntuSums), https(tuna, "/speedtest/100mb.bin"), std::nullopt},
        {QStringLiteral("huawei"), QStringLiteral("华为云镜像"), QStringLiteral("云 · 多线"),
         https(huawei, ubuntuSums), https(huawei, ubuntuIso), std::nullopt},
        {QStringLiteral("bfsu"), QStringLiteral("北外镜像"), QStringLiteral("北京 · 教育网"),
         https(bfsu, ubuntuSums), https(bfsu, ubuntuIso), std::nullopt},
        {QStringLiteral("cf"), QStringLiteral("Cloudflare"), QStringLiteral("国际线路"),
         https(cloudflare, "/cdn-cgi/trace"), https(cloudflare, "/__down?bytes=209715200"),
         https(cloudflare, "/__up")},
    };
    catalogue.upload = {
        {QStringLiteral("ustc"), QStringLiteral("中科大 USTC"), https(ustc, "/backend/empty.php")},
        {QStringLiteral("cf"), QStringLiteral("Cloudflare"), https(cloudflare, "/__up")},
    };
    return catalogue;
}

std::optional<NodeCatalogue> NodeCatalogue::fromJson(QByteArrayView json, QString* error,
                                                     const QString& baseDirectory) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("JSON 格式错误（第 %1 字节）: %2")
                     .arg(parseError.offset)
                     .arg(parseError.errorString());
        return std::nullopt;
    }
    if (!document.isObject()) {
        *error = QStringLiteral("顶层不是对象");
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    if (!root.value(QStringLiteral("download")).isArray() ||
        root.value(QStringLiteral("download")).toArray().isEmpty()) {
        *error = QStringLiteral("缺少非空数组 \"download\"");
        return std::nullopt;
    }
    const QJsonValue upload = root.value(QStringLiteral("upload"));
    if (!upload.isUndefined() && !upload.isArray()) {
        *error = QStringLiteral("\"upload\" 不是数组");
        return std::nullopt;
    }
    NodeCatalogue catalogue;
    if (!readDownloadNodes(root.value(QStringLiteral("download")).toArray(), &catalogue.download,
                           error) ||
        !readUploadNodes(upload.toArray(), &catalogue.upload, error))
        return std::nullopt;
    const QJsonValue caFile = root.value(QStringLiteral("caFile"));
    if (!caFile.isUndefined()) {
        // A relative path means the same file wherever the program is started from.
        const QString path = caFile.isString() && !caFile.toString().isEmpty()
                                 ? QDir(baseDirectory).absoluteFilePath(caFile.toString())
                                 : QString();
        if (!QFileInfo(path).isFile()) {
            *error = QStringLiteral("\"caFile\" 不是可读的文件");
            if (!path.isEmpty())
                *error += QStringLiteral(": ") + path;
            return std::nullopt;
        }
        catalogue.caFile = QDir::cleanPath(path);
    }
    return catalogue;
}

std::optional<NodeCatalogue> NodeCatalogue::load(const QString& path, QString* error) {
    QFile file(path);
    constexpr qint64 kMaxFileSize = 1 << 20;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: 无法读取（%2）").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxFileSize) {
        *error = QStringLiteral("%1: 文件过大").arg(path);
        return std::nullopt;
    }
    QString problem;
    auto catalogue = fromJson(file.read(kMaxFileSize), &problem, QFileInfo(path).absolutePath());
    if (!catalogue)
        *error = QStringLiteral("%1: %2").arg(path, problem);
    return catalogue;
}
