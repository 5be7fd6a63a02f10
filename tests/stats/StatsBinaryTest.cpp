#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Result vornStats(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VORN_BINARY), QStringList{"stats"} + arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        process.kill();
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

QString trafficFile() {
    return testRoot() + "/data/Vorn/traffic.json";
}

void installTrafficFile(const QByteArray& contents) {
    QDir().mkpath(testRoot() + "/data/Vorn");
    QFile::remove(trafficFile());
    QFile file(trafficFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

QByteArray fixture() {
    QFile file(VORN_FIXTURES "/stats/traffic.json");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(StatsBinary, CsvOfTheRecordedFile) {
    installTrafficFile(fixture());
    const Result csv = vornStats({"--from", "2026-11-30", "--to", "2026-12-06", "--csv"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    EXPECT_EQ(csv.out, "\xEF\xBB\xBF"
                       "# 岚 (Vorn) 流量导出\n"
                       "# 区间,2026-11-30 ~ 2026-12-06,共7天\n"
                       "类型,下载,上传,合计\n"
                       "区间汇总,1320000000,110000000,1430000000\n"
                       "\n"
                       "日期,下载,上传,合计\n"
                       "2026-11-30,300000000,20000000,320000000\n"
                       "2026-12-05,900000000,60000000,960000000\n"
                       "2026-12-06,120000000,30000000,150000000\n"
                       "\n"
                       "应用,进程,下载,上传,合计,占比\n"
                       "微信,WeChat,300000000,15000000,315000000,22.0%\n"
                       "\"data,sync \"\"tool\"\"\",\"data,sync \"\"tool\"\"\",7,3,10,0.0%\n");

    const QString out = testRoot() + "/stats.json";
    const Result json =
        vornStats({"--from", "2026-12-05", "--to", "2026-12-05", "--json", "-o", out});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    EXPECT_TRUE(json.out.isEmpty());
    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    EXPECT_TRUE(text.contains("\"days\": 1,"));
    EXPECT_TRUE(text.contains("\"pct\": 21.88,")); // 210 000 000 of 960 000 000
}

TEST(StatsBinary, MissingFileIsAnEmptyHistoryAndCorruptFileFails) {
    QFile::remove(trafficFile());
    const Result empty = vornStats({"--today"});
    ASSERT_EQ(empty.exitCode, 0) << empty.err.toStdString();
    EXPECT_TRUE(empty.out.contains("下载 0 B · 上传 0 B · 合计 0 B\n"));

    installTrafficFile("{ not json");
    const Result corrupt = vornStats({"--today", "--csv"});
    EXPECT_EQ(corrupt.exitCode, 1);
    EXPECT_TRUE(corrupt.out.isEmpty());
    EXPECT_TRUE(corrupt.err.contains("traffic.json")) << corrupt.err.toStdString();
    // The unreadable file is left as it was.
    QFile file(trafficFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "{ not json");
}

// Every entry of the data directory with its bytes, hidden ones included.
QMap<QString, QByteArray> dataDirectory() {
    QMap<QString, QByteArray> entries;
    const QDir directory(testRoot() + "/data/Vorn");
    for (const QString& name : directory.entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                   QDir::NoDotAndDotDot)) {
        QFile file(directory.filePath(name));
        entries.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<dir>"));
    }
    return entries;
}

TEST(StatsBinary, ReadingNeverChangesTheDataDirectory) {
    for (const QByteArray& contents : {fixture(), QByteArray("{ not json")}) {
        installTrafficFile(contents);
        const QMap<QString, QByteArray> before = dataDirectory();
        ASSERT_TRUE(before.contains("traffic.json"));
        for (const QStringList& arguments : {QStringList{"--today"}, QStringList{"--year", "--csv"},
                                             QStringList{"--last30", "--json"}})
            vornStats(arguments);
        EXPECT_EQ(dataDirectory(), before) << contents.left(10).toStdString();
    }
}

TEST(StatsBinary, HelpAndUsage) {
    const Result help = vornStats({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("用法: vorn stats"));
    const Result bad = vornStats({"--from", "2026-13-01", "--to", "2026-12-01"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("日期应为 YYYY-MM-DD"));
}
