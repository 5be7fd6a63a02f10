#include "speedtest/core/SpeedTestHistoryStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CommandRun {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

class HistoryCommandTest : public testing::Test {
protected:
    void SetUp() override { QDir().mkpath(supportDir()); }

    QString supportDir() const { return m_data.filePath(QStringLiteral("Vorn")); }
    QString historyPath() const { return supportDir() + QStringLiteral("/speedtest-history.json"); }

    CommandRun vorn(const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_data.path());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VORN_BINARY),
                      QStringList{QStringLiteral("history")} + arguments);
        process.closeWriteChannel();
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished();
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
    }

    // Two records written by a store of our own, as the window would.
    SpeedTestHistoryStore& seeded() {
        SpeedTestRecord older;
        older.ts = 1700000000;
        older.downMbps = 93.46;
        older.upMbps = 41.2;
        older.latencyMs = 12.4;
        older.jitterMs = 1.25;
        older.grade = QStringLiteral("良好");
        older.downNode = QStringLiteral("华为云镜像");
        older.upNode = QStringLiteral("中科大 USTC");
        SpeedTestRecord newer = older;
        newer.ts += 3600;
        newer.downNode = QStringLiteral("节点, \"引号\"");
        m_store.emplace(historyPath());
        m_store->add(older);
        m_store->add(newer);
        return *m_store;
    }

    QTemporaryDir m_data;
    std::optional<SpeedTestHistoryStore> m_store;
};

TEST_F(HistoryCommandTest, CsvIsExactlyTheExport) {
    const SpeedTestHistoryStore& store = seeded();
    const CommandRun run = vorn({QStringLiteral("--csv")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, store.exportCSV().toUtf8());
    EXPECT_TRUE(run.out.startsWith("\xEF\xBB\xBF"));
}

TEST_F(HistoryCommandTest, CsvToFile) {
    const SpeedTestHistoryStore& store = seeded();
    const QString output = m_data.filePath(QStringLiteral("out.csv"));
    const CommandRun run = vorn({QStringLiteral("--csv"), QStringLiteral("-o"), output});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), store.exportCSV().toUtf8());
}

TEST_F(HistoryCommandTest, PeopleTextListsNewestFirst) {
    const SpeedTestHistoryStore& store = seeded();
    const CommandRun run = vorn({});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("共 2 条 · 永久保留 · ") + store.storageSizeText());
    EXPECT_EQ(lines[1], store.records()[0].timeText() +
                            QStringLiteral("  良好  ↓ 93.5  ↑ 41.2 Mbps  ⏱ 12 ms ±1.2  MAC — · "
                                           "IP — · 节点, \"引号\""));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("华为云镜像")));
}

TEST_F(HistoryCommandTest, EmptyHistory) {
    const CommandRun run = vorn({});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(run.out), "暂无测速记录\n");
    EXPECT_EQ(vorn({QStringLiteral("--csv")}).out,
              "\xEF\xBB\xBF" + SpeedTestRecord::csvHeader.toUtf8() + "\r\n");
}

TEST_F(HistoryCommandTest, AnUndecodableHistoryIsReportedAndLeftAlone) {
    QFile file(historyPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{broken");
    file.close();
    const QStringList before =
        QDir(supportDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    const QString expected =
        QStringLiteral("⚠️ 测速历史文件无法解析：") + historyPath() +
        QStringLiteral("\n未做任何改动；下次保存测速结果前，会先把它原样备份为 ") + supportDir() +
        QStringLiteral("/speedtest-history.corrupt-yyyyMMdd-HHmmss.json（时间为备份时刻）\n");
    for (const QStringList& arguments : {QStringList{}, QStringList{"--csv"}, QStringList{}}) {
        const CommandRun run = vorn(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        EXPECT_EQ(run.err, expected);
    }
    EXPECT_EQ(QDir(supportDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), before);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "{broken");
    file.close();

    // Once the program has set the file aside, the listing names that copy.
    const std::optional<QString> copy = SpeedTestHistoryStore(historyPath()).lastQuarantinePath();
    ASSERT_TRUE(copy);
    const CommandRun afterCopy = vorn({});
    EXPECT_EQ(afterCopy.exitCode, 1);
    EXPECT_EQ(afterCopy.err, QStringLiteral("⚠️ 测速历史文件无法解析：") +
                                 historyPath() + QStringLiteral("\n它已原样备份为 ") + *copy +
                                 QStringLiteral("，未做删除\n"));
}

TEST_F(HistoryCommandTest, UsageAndWriteErrors) {
    EXPECT_EQ(vorn({QStringLiteral("--bogus")}).exitCode, 2);
    EXPECT_EQ(vorn({QStringLiteral("-o")}).exitCode, 2);
    const CommandRun help = vorn({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("用法: vorn history"));

    seeded();
    const CommandRun failed =
        vorn({QStringLiteral("--csv"), QStringLiteral("-o"), m_data.filePath("no/such/dir.csv")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.startsWith(QStringLiteral("无法写入 "))) << failed.err.toStdString();
}

} // namespace
