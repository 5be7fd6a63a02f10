#include "LocalHttpsServer.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct ProcessResult {
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessResult vorn(const QStringList& arguments, const QString& dataHome = {}) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VORN_SPEEDTEST_PHASE_SECONDS"), QStringLiteral("1.5"));
    if (!dataHome.isEmpty())
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VORN_BINARY), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QString writeFile(const QString& name, const QByteArray& contents) {
    const QString path = testRoot() + QLatin1Char('/') + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(contents);
    return path;
}

// The server's nodes file with another upload list (none when the list is empty).
QString nodesWithUploads(const LocalHttpsServer& server, const QString& name,
                         const QJsonArray& uploads) {
    QFile nodes(server.writeNodesFile());
    nodes.open(QIODevice::ReadOnly);
    QJsonObject object = QJsonDocument::fromJson(nodes.readAll()).object();
    if (uploads.isEmpty())
        object.remove("upload");
    else
        object["upload"] = uploads;
    return writeFile(name, QJsonDocument(object).toJson());
}

// Loopback TLS on two shared cores cannot move 5 GB a second.
constexpr double kMaxLoopbackMbps = 40000;

TEST(SpeedtestCommandTest, JsonResultAgainstALocalServer) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    const ProcessResult run =
        vorn({"speedtest", "--nodes", server.writeNodesFile(), "--node", "local", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8());
    ASSERT_TRUE(document.isObject()) << run.out.toStdString();
    const QJsonObject object = document.object();
    EXPECT_EQ(object.keys(),
              (QStringList{"bloatGrade", "bloatMs",      "downMbps",   "downNode", "downNodeDetail",
                           "grade",      "iface",        "ipv4",       "ipv6",     "jitterMs",
                           "latencyMs",  "loadedDownMs", "loadedUpMs", "mac",      "networkInfo",
                           "publicIP",   "rpm",          "ts",         "upMbps",   "upNode"}));
    EXPECT_GT(object["downMbps"].toDouble(), 10);
    EXPECT_LT(object["downMbps"].toDouble(), kMaxLoopbackMbps);
    EXPECT_GT(object["upMbps"].toDouble(), 10);
    EXPECT_LT(object["upMbps"].toDouble(), kMaxLoopbackMbps);
    EXPECT_EQ(object["downNode"].toString(), "本地节点");
    EXPECT_EQ(object["downNodeDetail"].toString(), "回环");
    EXPECT_EQ(object["upNode"].toString(), "本地上传");
    EXPECT_EQ(object["publicIP"].toString(), "203.0.113.7");
    EXPECT_EQ(object["networkInfo"].toString(), "出口 ZZ · CF LCL · 203.0.113.7");
    EXPECT_NEAR(object["ts"].toDouble(), QDateTime::currentSecsSinceEpoch(), 120);
    EXPECT_FALSE(object["grade"].toString().isEmpty());
    EXPECT_TRUE(run.err.contains("下载测速中…")); // the phases go to stderr with --json
}

TEST(SpeedtestCommandTest, ResultIsStoredInTheHistory) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    const QString dataHome = testRoot() + QStringLiteral("/stored-history");
    const ProcessResult run = vorn(
        {"speedtest", "--nodes", server.writeNodesFile(), "--node", "local", "--json"}, dataHome);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject reported = QJsonDocument::fromJson(run.out.toUtf8()).object();

    QFile file(dataHome + QStringLiteral("/Vorn/speedtest-history.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonArray history = QJsonDocument::fromJson(file.readAll()).array();
    ASSERT_EQ(history.size(), 1);
    const QJsonObject stored = history[0].toObject();
    for (const char* key : {"ts", "downMbps", "upMbps", "latencyMs", "jitterMs", "grade",
                            "downNode", "upNode", "publicIP"})
        EXPECT_EQ(stored[key], reported[key]) << key;
    EXPECT_EQ(stored["downNode"].toString(), "本地节点");

    const ProcessResult csv = vorn({"history", "--csv"}, dataHome);
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    const QStringList lines = csv.out.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3) << csv.out.toStdString();
    EXPECT_EQ(lines[2], QString());
    // The stored figures as the list shows them; the time of day is the run's own.
    const QStringList fields = lines[1].split(QLatin1Char(','));
    ASSERT_EQ(fields.size(), 13) << lines[1].toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                    .match(fields[0])
                    .hasMatch())
        << fields[0].toStdString();
    const auto figure = [&](const char* key, const char* format) {
        return QString::asprintf(format, stored[key].toDouble());
    };
    const QStringList expected{
        figure("downMbps", "%.1f"), figure("upMbps", "%.1f"),   figure("latencyMs", "%.0f"),
        figure("jitterMs", "%.1f"), stored["grade"].toString(), QStringLiteral("本地节点"),
        QStringLiteral("本地上传"), stored["iface"].toString(), stored["mac"].toString(),
        stored["ipv4"].toString(),  stored["ipv6"].toString(),  QStringLiteral("203.0.113.7")};
    EXPECT_EQ(fields.mid(1).join(QLatin1Char(',')).toStdString(),
              expected.join(QLatin1Char(',')).toStdString());
}

// The window restores the chosen node at every start, so this is the usual path.
TEST(SpeedtestCommandTest, ChosenNodeWithACatalogueWithoutUstcStillMeasuresUpload) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    const QString nodes = nodesWithUploads(
        server, "home-upload-nodes.json",
        QJsonArray{QJsonObject{{"id", "home"}, {"name", "家里"}, {"url", server.url("/up")}}});
    const QString dataHome = testRoot() + QStringLiteral("/home-upload");
    const ProcessResult run =
        vorn({"speedtest", "--nodes", nodes, "--node", "local", "--json"}, dataHome);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject object = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(object["upNode"].toString(), "家里");
    EXPECT_GT(object["upMbps"].toDouble(), 10);
    EXPECT_LT(object["upMbps"].toDouble(), kMaxLoopbackMbps);
    EXPECT_TRUE(QFile::exists(dataHome + QStringLiteral("/Vorn/speedtest-history.json")));
}

// Nothing to upload to: the run says so, reports no number for it and keeps it out of the
// history, whose records have a number for every figure.
TEST(SpeedtestCommandTest, WithoutUploadNodesTheUploadIsNamedUnmeasured) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    const QString nodes = nodesWithUploads(server, "no-upload-nodes.json", {});
    const QString dataHome = testRoot() + QStringLiteral("/no-upload");
    const ProcessResult json =
        vorn({"speedtest", "--nodes", nodes, "--node", "local", "--json"}, dataHome);
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_TRUE(object["upMbps"].isNull()) << json.out.toStdString();
    EXPECT_EQ(object["upNode"].toString(), "—");
    EXPECT_GT(object["downMbps"].toDouble(), 10);
    EXPECT_LT(object["downMbps"].toDouble(), kMaxLoopbackMbps);
    EXPECT_TRUE(json.err.contains("没有上传节点，未测上传；本次结果不存入历史记录\n"))
        << json.err.toStdString();
    EXPECT_FALSE(json.err.contains("上传测速中…"));
    EXPECT_FALSE(QFile::exists(dataHome + QStringLiteral("/Vorn/speedtest-history.json")));

    const ProcessResult text = vorn({"speedtest", "--nodes", nodes, "--node", "local"}, dataHome);
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains("上传　未测量\n　　　没有上传节点，未测上传\n"))
        << text.out.toStdString();
}

TEST(SpeedtestCommandTest, ADamagedHistoryIsSetAsideAndTheUserIsToldWhere) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    const QString dataHome = testRoot() + QStringLiteral("/damaged-history");
    const QString supportDir = dataHome + QStringLiteral("/Vorn");
    ASSERT_TRUE(QDir().mkpath(supportDir));
    const QByteArray damaged = "[{\"ts\": 1765000000, \"downMbps\": 93.4";
    QFile history(supportDir + QStringLiteral("/speedtest-history.json"));
    ASSERT_TRUE(history.open(QIODevice::WriteOnly));
    history.write(damaged);
    history.close();

    const ProcessResult run = vorn(
        {"speedtest", "--nodes", server.writeNodesFile(), "--node", "local", "--json"}, dataHome);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList copies =
        QDir(supportDir).entryList({QStringLiteral("speedtest-history.corrupt-*.json")});
    ASSERT_EQ(copies.size(), 1);
    const QString copy = supportDir + QLatin1Char('/') + copies[0];
    EXPECT_TRUE(run.err.contains(
        QStringLiteral("\n⚠️ 测速历史文件无法解析，已原样备份为 ") + copy +
        QStringLiteral("；本次结果存入了新的历史文件\n")))
        << run.err.toStdString();
    QFile copied(copy);
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), damaged);
    ASSERT_TRUE(history.open(QIODevice::ReadOnly));
    const QJsonArray stored = QJsonDocument::fromJson(history.readAll()).array();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].toObject()["downNode"].toString(), "本地节点");
}

TEST(SpeedtestCommandTest, AResultThatCannotBeStoredFailsTheCommand) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    const QString dataHome = testRoot() + QStringLiteral("/unwritable-history");
    // A directory where the history file belongs can be neither read nor replaced.
    const QString blocker = dataHome + QStringLiteral("/Vorn/speedtest-history.json");
    ASSERT_TRUE(QDir().mkpath(blocker));
    const ProcessResult run = vorn(
        {"speedtest", "--nodes", server.writeNodesFile(), "--node", "local", "--json"}, dataHome);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QJsonDocument::fromJson(run.out.toUtf8()).isObject()) << "the result is shown";
    EXPECT_TRUE(run.err.contains(QStringLiteral(
        "\n⚠️ 本次结果未能存入测速历史：无法读取历史文件（")))
        << run.err.toStdString();
    EXPECT_TRUE(QFileInfo(blocker).isDir());
}

TEST(SpeedtestCommandTest, TextResultShowsFiguresAndSummary) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    const ProcessResult run = vorn({"speedtest", "--nodes", server.writeNodesFile()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("正在选择最优测速节点…"));
    // Both local nodes answer in about 0 ms, so either may win the probe.
    EXPECT_TRUE(QRegularExpression("下载节点 (本地节点|本地 CF)（回环），上传节点 本地上传")
                    .match(run.out)
                    .hasMatch())
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("评级　"));
    EXPECT_TRUE(run.out.contains("网络　出口 ZZ · CF LCL · 203.0.113.7"));
    EXPECT_TRUE(run.out.contains("Mbps  ⏱ ")) << run.out.toStdString();
}

TEST(SpeedtestCommandTest, FailuresExplainThemselves) {
    const ProcessResult broken =
        vorn({"speedtest", "--nodes", writeFile("bad-nodes.json", "{\"download\": 1}")});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(broken.err.contains("bad-nodes.json: 缺少非空数组 \"download\""))
        << broken.err.toStdString();

    const ProcessResult unknown = vorn({"speedtest", "--node", "nowhere"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("没有这个节点: nowhere（可用: tuna, huawei, bfsu, cf）"))
        << unknown.err.toStdString();

    EXPECT_EQ(vorn({"speedtest", "--bogus"}).exitCode, 2);
    const ProcessResult help = vorn({"speedtest", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("用法: vorn speedtest"));
}

TEST(SpeedtestCommandTest, ARelativeCaFileIsFoundBesideTheNodesFile) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    QFile nodes(server.writeNodesFile());
    ASSERT_TRUE(nodes.open(QIODevice::ReadOnly));
    QJsonObject object = QJsonDocument::fromJson(nodes.readAll()).object();
    const QFileInfo certificate(object["caFile"].toString());
    ASSERT_TRUE(certificate.isAbsolute() && certificate.isFile());
    object["caFile"] = certificate.fileName();
    QFile relativeNodes(certificate.absolutePath() + QStringLiteral("/relative-nodes.json"));
    ASSERT_TRUE(relativeNodes.open(QIODevice::WriteOnly));
    relativeNodes.write(QJsonDocument(object).toJson());
    relativeNodes.close();
    ASSERT_NE(QDir::currentPath(), certificate.absolutePath()) << "vorn runs from elsewhere";

    const ProcessResult run =
        vorn({"speedtest", "--nodes", relativeNodes.fileName(), "--node", "local", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(run.out.toUtf8()).object()["downNode"].toString(),
              "本地节点");
}

TEST(SpeedtestCommandTest, UntrustedServerFailsWithTheEngineMessage) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    QFile nodes(server.writeNodesFile());
    ASSERT_TRUE(nodes.open(QIODevice::ReadOnly));
    QJsonObject object = QJsonDocument::fromJson(nodes.readAll()).object();
    object.remove("caFile");
    const QString path = writeFile("untrusted-nodes.json", QJsonDocument(object).toJson());
    const ProcessResult run = vorn({"speedtest", "--nodes", path, "--json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.endsWith("无法连接测速节点，请检查网络\n")) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
}

} // namespace
