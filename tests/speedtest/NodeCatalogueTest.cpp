#include "speedtest/core/NodeCatalogue.h"
#include "speedtest/core/SpeedTestNodes.h"

#include "common/Brand.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(NodeCatalogueTest, BuiltInCatalogueInOrder) {
    const NodeCatalogue catalogue = NodeCatalogue::builtIn();
    ASSERT_EQ(catalogue.download.size(), 4u);
    const char* ids[] = {"tuna", "huawei", "bfsu", "cf"};
    const char* names[] = {"清华 TUNA", "华为云镜像", "北外镜像", "Cloudflare"};
    const char* details[] = {"北京 · 教育网", "云 · 多线", "北京 · 教育网", "国际线路"};
    for (int i = 0; i < 4; ++i) {
        const SpeedTestNode& node = catalogue.download[i];
        EXPECT_EQ(node.id, ids[i]);
        EXPECT_EQ(node.name, QString::fromUtf8(names[i]));
        EXPECT_EQ(node.detail, QString::fromUtf8(details[i]));
        EXPECT_EQ(node.pingURL.scheme(), "https");
        EXPECT_EQ(node.downloadURL.scheme(), "https");
        EXPECT_EQ(node.uploadURL.has_value(), i == 3);
    }
    EXPECT_EQ(catalogue.download[0].downloadURL.path(), "/speedtest/100mb.bin");
    EXPECT_EQ(catalogue.download[1].pingURL.path(), "/ubuntu-releases/22.04/SHA256SUMS");
    EXPECT_EQ(catalogue.download[2].downloadURL.path(),
              "/ubuntu-releases/22.04/ubuntu-22.04.5-desktop-amd64.iso");
    EXPECT_EQ(catalogue.download[3].pingURL.path(), "/cdn-cgi/trace");
    EXPECT_EQ(catalogue.download[3].downloadURL.query(), "bytes=209715200");
    ASSERT_EQ(catalogue.upload.size(), 2u);
    EXPECT_EQ(catalogue.upload[0].id, "ustc");
    EXPECT_EQ(catalogue.upload[0].name, "中科大 USTC");
    EXPECT_EQ(catalogue.upload[0].url.path(), "/backend/empty.php");
    EXPECT_EQ(catalogue.upload[1].url, *catalogue.download[3].uploadURL);
    EXPECT_EQ(catalogue.upload[1].url.host(), catalogue.download[3].pingURL.host());
}

TEST(NodeCatalogueTest, LookupsAreExact) {
    const NodeCatalogue catalogue = NodeCatalogue::builtIn();
    EXPECT_FALSE(catalogue.node("").has_value());
    EXPECT_FALSE(catalogue.node("TUNA").has_value());
    EXPECT_EQ(catalogue.node("tuna"), catalogue.download[0]);
    EXPECT_EQ(catalogue.uploadNode("cf"), catalogue.upload[1]);
    EXPECT_FALSE(catalogue.uploadNode("tuna").has_value());
}

TEST(NodeCatalogueTest, ReadsTheNodesFile) {
    const QByteArray json = R"({
        "download": [
            {"id": "a", "name": "甲", "detail": "本地", "pingURL": "https://127.0.0.1:8443/ping",
             "downloadURL": "https://127.0.0.1:8443/big.bin"},
            {"id": "cf", "name": "乙", "pingURL": "https://localhost/cdn-cgi/trace",
             "downloadURL": "https://localhost/__down?bytes=10", "uploadURL": "https://localhost/__up"}
        ],
        "upload": [{"id": "ustc", "name": "丙", "url": "https://127.0.0.1:8443/up"}]
    })";
    QString error;
    const auto catalogue = NodeCatalogue::fromJson(json, &error);
    ASSERT_TRUE(catalogue) << error.toStdString();
    ASSERT_EQ(catalogue->download.size(), 2u);
    EXPECT_EQ(catalogue->download[0].id, "a");
    EXPECT_EQ(catalogue->download[0].detail, "本地");
    EXPECT_EQ(catalogue->download[0].pingURL.port(), 8443);
    EXPECT_EQ(catalogue->download[1].detail, "");
    EXPECT_EQ(catalogue->download[1].downloadURL.query(), "bytes=10");
    EXPECT_TRUE(catalogue->download[1].uploadURL.has_value());
    EXPECT_EQ(catalogue->upload[0].url.toString(), "https://127.0.0.1:8443/up");
    EXPECT_TRUE(catalogue->caFile.isEmpty());
}

TEST(NodeCatalogueTest, RejectsMalformedFilesSayingWhy) {
    const std::pair<const char*, const char*> cases[] = {
        {"{", "JSON 格式错误"},
        {"[]", "顶层不是对象"},
        {R"({"download": []})", "download"},
        {R"({"download": [1]})", "download[0] 不是对象"},
        {R"({"download": [{"id": "a", "name": "n", "pingURL": "http://x/p",
             "downloadURL": "https://x/d"}]})",
         "download[0] 的 \"pingURL\" 不是 https 地址"},
        {R"({"download": [{"id": "a", "pingURL": "https://x/p", "downloadURL": "https://x/d"}]})",
         "download[0] 缺少文本字段 \"name\""},
        {R"({"download": [{"id": "a", "name": "n", "pingURL": "https://x/p",
             "downloadURL": "https://x/d"}], "upload": [{"id": "u", "name": "n", "url": "ftp://x"}]})",
         "upload[0] 的 \"url\" 不是 https 地址"},
        {R"({"download": [{"id": "a", "name": "n", "pingURL": "https://x/p",
             "downloadURL": "https://x/d"}], "caFile": "/nonexistent/ca.pem"})",
         "caFile"},
    };
    for (const auto& [json, expected] : cases) {
        QString error;
        EXPECT_FALSE(NodeCatalogue::fromJson(QByteArray(json), &error)) << json;
        EXPECT_TRUE(error.contains(QString::fromUtf8(expected))) << error.toStdString();
    }
}

TEST(NodeCatalogueTest, LoadNamesTheFile) {
    const QString path = testRoot() + "/broken-nodes.json";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"download\": 3}");
    file.close();
    QString error;
    EXPECT_FALSE(NodeCatalogue::load(path, &error));
    EXPECT_TRUE(error.startsWith(path + ": ")) << error.toStdString();
    EXPECT_FALSE(NodeCatalogue::load(testRoot() + "/missing.json", &error));
    EXPECT_TRUE(error.contains("missing.json"));
}

TEST(NodeCatalogueTest, ARelativeCaFileIsTakenFromTheNodesFilesDirectory) {
    const QString directory = testRoot() + "/lab-nodes";
    ASSERT_TRUE(QDir().mkpath(directory + "/certs"));
    QFile certificate(directory + "/certs/ca.pem");
    ASSERT_TRUE(certificate.open(QIODevice::WriteOnly));
    certificate.write("-----BEGIN CERTIFICATE-----\n");
    certificate.close();
    const auto writeNodes = [&](const char* caFile) {
        QFile nodes(directory + "/nodes.json");
        EXPECT_TRUE(nodes.open(QIODevice::WriteOnly | QIODevice::Truncate));
        nodes.write(QByteArray(R"({"download": [{"id": "a", "name": "甲", "pingURL": "https://x/p",
            "downloadURL": "https://x/d"}], "caFile": ")") +
                    caFile + "\"}");
        return nodes.fileName();
    };
    // Started anywhere else, the program must find the same certificate.
    const QString startedIn = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(testRoot()));
    QString error;
    const auto relative = NodeCatalogue::load(writeNodes("certs/ca.pem"), &error);
    const auto dotted = NodeCatalogue::load(writeNodes("./certs/../certs/ca.pem"), &error);
    const auto absolute = NodeCatalogue::load(writeNodes("/nonexistent/ca.pem"), &error);
    const QString absoluteError = error;
    const auto missing = NodeCatalogue::load(writeNodes("ca.pem"), &error);
    QDir::setCurrent(startedIn);

    ASSERT_TRUE(relative) << error.toStdString();
    EXPECT_EQ(relative->caFile, directory + "/certs/ca.pem");
    ASSERT_TRUE(dotted);
    EXPECT_EQ(dotted->caFile, directory + "/certs/ca.pem");
    EXPECT_FALSE(absolute);
    EXPECT_EQ(absoluteError,
              directory + "/nodes.json: \"caFile\" 不是可读的文件: /nonexistent/ca.pem");
    EXPECT_FALSE(missing);
    EXPECT_EQ(error,
              directory + "/nodes.json: \"caFile\" 不是可读的文件: " + directory + "/ca.pem");
}

// The program-wide catalogue is chosen once per process, so only one case can look at it.
TEST(SpeedTestNodesTest, AMalformedNodesFileFallsBackToTheBuiltInCatalogue) {
    const auto directory = Brand::supportDirectory();
    ASSERT_TRUE(directory);
    QFile file(*directory + "/nodes.json");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not json");
    file.close();
    EXPECT_EQ(SpeedTestNodes::download(), NodeCatalogue::builtIn().download);
    EXPECT_EQ(SpeedTestNodes::upload(), NodeCatalogue::builtIn().upload);
    EXPECT_TRUE(SpeedTestNodes::catalogueProblem().contains("nodes.json"));
    EXPECT_EQ(SpeedTestNodes::node("bfsu")->name, "北外镜像");
    EXPECT_EQ(SpeedTestNodes::uploadNode("ustc")->name, "中科大 USTC");
    QFile::remove(file.fileName());
}

} // namespace
