#include "speedtest/core/SpeedTestHistoryStore.h"

#include "common/NotificationCenter.h"
#include "speedtest/core/SpeedTestHistoryFile.h"
#include "support/FakeClock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <limits>

#include <gtest/gtest.h>

namespace {

class SpeedTestHistoryStoreTest : public testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("speedtest-history.json")); }
    QString dirPath() const { return m_dir.path(); }

    void writeHistory(const QByteArray& bytes) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readFile(const QString& filePath) const {
        QFile file(filePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList backups() const {
        return QDir(dirPath()).entryList({QStringLiteral("speedtest-history.corrupt-*")},
                                         QDir::Files, QDir::Name);
    }

    static SpeedTestRecord record(double down, const QString& node = {}) {
        SpeedTestRecord r;
        r.ts = 1700000000;
        r.downMbps = down;
        r.downNode = node;
        return r;
    }

    FakeClock m_clock;
    QTemporaryDir m_dir;
};

TEST_F(SpeedTestHistoryStoreTest, FirstRunHasNothing) {
    SpeedTestHistoryStore store(path(), m_clock);
    EXPECT_TRUE(store.records().isEmpty());
    EXPECT_FALSE(store.lastQuarantinePath());
    EXPECT_EQ(store.storageBytes(), 0);
    EXPECT_EQ(store.storageSizeText(), "0 KB");
    EXPECT_FALSE(QFileInfo::exists(path()));
    EXPECT_TRUE(backups().isEmpty());
}

TEST_F(SpeedTestHistoryStoreTest, EmptyArrayLoadsWithoutBackup) {
    writeHistory("[]");
    SpeedTestHistoryStore store(path(), m_clock);
    EXPECT_TRUE(store.records().isEmpty());
    EXPECT_FALSE(store.lastQuarantinePath());
    EXPECT_TRUE(backups().isEmpty());
}

TEST_F(SpeedTestHistoryStoreTest, MissingKeysTakeDefaultsAndOrderIsKept) {
    writeHistory(
        R"([{"downMbps": 50, "grade": "良好"}, {}, {"ts": 12.5, "upNode": "中科大 USTC"}])");
    SpeedTestHistoryStore store(path(), m_clock);
    ASSERT_EQ(store.records().size(), 3);
    EXPECT_EQ(store.records()[0].downMbps, 50.0);
    EXPECT_EQ(store.records()[0].grade, "良好");
    EXPECT_EQ(store.records()[1], SpeedTestRecord());
    EXPECT_EQ(store.records()[2].ts, 12.5);
    EXPECT_EQ(store.records()[2].upNode, "中科大 USTC");
    EXPECT_FALSE(store.lastQuarantinePath());
}

TEST_F(SpeedTestHistoryStoreTest, UndecodableFilesAreBackedUpWhole) {
    const QByteArray cases[] = {
        "",                          // zero bytes is not JSON
        R"({"records": []})",        // object at the top
        R"([{"downMbps": 10}, 42])", // one bad element spoils the whole file
        "[{\"downMbps\": 10}",       // cut short
        QByteArray("\xff\xfe\x00garbage", 10),
    };
    int index = 0;
    for (const QByteArray& bytes : cases) {
        m_clock.setNow(QDateTime(QDate(2026, 12, 6), QTime(8, 30, index++)));
        writeHistory(bytes);
        SpeedTestHistoryStore store(path(), m_clock);
        EXPECT_TRUE(store.records().isEmpty()) << bytes.toStdString();
        ASSERT_TRUE(store.lastQuarantinePath()) << bytes.toStdString();
        EXPECT_EQ(QFileInfo(*store.lastQuarantinePath()).fileName(),
                  QStringLiteral("speedtest-history.corrupt-20261206-0830%1.json")
                      .arg(index - 1, 2, 10, QLatin1Char('0')));
        EXPECT_EQ(readFile(*store.lastQuarantinePath()), bytes);
        EXPECT_EQ(readFile(path()), bytes) << "the unreadable file stays untouched";
    }
    EXPECT_EQ(backups().size(), std::size(cases));
}

TEST_F(SpeedTestHistoryStoreTest, BackupsInTheSameSecondNeverReplaceEachOther) {
    writeHistory("first");
    const std::optional<QString> first =
        SpeedTestHistoryStore(path(), m_clock).lastQuarantinePath();
    writeHistory("second");
    const std::optional<QString> second =
        SpeedTestHistoryStore(path(), m_clock).lastQuarantinePath();
    writeHistory("third");
    const std::optional<QString> third =
        SpeedTestHistoryStore(path(), m_clock).lastQuarantinePath();
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(QFileInfo(*first).fileName(), "speedtest-history.corrupt-20261206-120000.json");
    EXPECT_EQ(QFileInfo(*second).fileName(), "speedtest-history.corrupt-20261206-120000-2.json");
    EXPECT_EQ(QFileInfo(*third).fileName(), "speedtest-history.corrupt-20261206-120000-3.json");
    EXPECT_EQ(readFile(*first), "first");
    EXPECT_EQ(readFile(*second), "second");
    EXPECT_EQ(readFile(*third), "third");
    EXPECT_EQ(QDir(dirPath()).entryList(QDir::Files | QDir::Hidden).size(), 4)
        << "no temporary file is left behind";
}

TEST_F(SpeedTestHistoryStoreTest, NoFreeBackupNameRecordsNoPathAndTouchesNothing) {
    for (int n = 1; n <= 1000; ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral("-%1").arg(n);
        QFile taken(m_dir.filePath(QStringLiteral("speedtest-history.corrupt-20261206-120000") +
                                   suffix + QStringLiteral(".json")));
        ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
        taken.write("older backup");
    }
    writeHistory("not json");
    SpeedTestHistoryStore store(path(), m_clock);
    EXPECT_FALSE(store.lastQuarantinePath());
    EXPECT_TRUE(store.records().isEmpty());
    EXPECT_EQ(readFile(path()), "not json");
    EXPECT_EQ(readFile(m_dir.filePath("speedtest-history.corrupt-20261206-120000-1000.json")),
              "older backup");
    EXPECT_EQ(QDir(dirPath()).entryList(QDir::Files | QDir::Hidden).size(), 1001);
}

TEST_F(SpeedTestHistoryStoreTest, TheSameDamageIsSetAsideOnceAcrossStartUps) {
    writeHistory("[oops");
    const std::optional<QString> first =
        SpeedTestHistoryStore(path(), m_clock).lastQuarantinePath();
    m_clock.advance(5);
    const std::optional<QString> second =
        SpeedTestHistoryStore(path(), m_clock).lastQuarantinePath();
    ASSERT_TRUE(first);
    EXPECT_EQ(second, first);
    EXPECT_EQ(backups(), QStringList{"speedtest-history.corrupt-20261206-120000.json"});
}

TEST_F(SpeedTestHistoryStoreTest, AnUndecodableFileThatCannotBeSetAsideIsNeverReplaced) {
    for (int n = 1; n <= 1000; ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral("-%1").arg(n);
        QFile taken(m_dir.filePath(QStringLiteral("speedtest-history.corrupt-20261206-120000") +
                                   suffix + QStringLiteral(".json")));
        ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
        taken.write("older backup");
    }
    writeHistory("not json");
    SpeedTestHistoryStore store(path(), m_clock);
    store.add(record(12.3));
    EXPECT_EQ(readFile(path()), "not json");
    ASSERT_EQ(store.records().size(), 1);
    EXPECT_EQ(store.records()[0].downMbps, 12.3);
}

TEST_F(SpeedTestHistoryStoreTest, ReadOnlyNeverWrites) {
    writeHistory("[oops");
    const QStringList before = QDir(dirPath()).entryList(QDir::AllEntries | QDir::Hidden);
    SpeedTestHistoryStore reader(path(), m_clock, SpeedTestHistoryStore::Access::readOnly);
    EXPECT_TRUE(reader.fileUndecodable());
    EXPECT_FALSE(reader.lastQuarantinePath()) << "no copy exists yet and none is made";
    EXPECT_FALSE(reader.add(record(1)));
    EXPECT_FALSE(reader.clear());
    EXPECT_TRUE(reader.records().isEmpty());
    EXPECT_EQ(QDir(dirPath()).entryList(QDir::AllEntries | QDir::Hidden), before);
    EXPECT_EQ(readFile(path()), "[oops");

    // Once a writer has set the file aside, a reader names that copy.
    const std::optional<QString> copy = SpeedTestHistoryStore(path(), m_clock).lastQuarantinePath();
    ASSERT_TRUE(copy);
    SpeedTestHistoryStore laterReader(path(), m_clock, SpeedTestHistoryStore::Access::readOnly);
    EXPECT_EQ(laterReader.lastQuarantinePath(), copy);
}

TEST_F(SpeedTestHistoryStoreTest, FirstAddAfterBackupKeepsOnlyTheNewRecord) {
    writeHistory("[oops");
    SpeedTestHistoryStore store(path(), m_clock);
    store.add(record(12.3));
    EXPECT_EQ(readFile(*store.lastQuarantinePath()), "[oops");
    const auto reloaded = SpeedTestHistoryFile::decode(readFile(path()));
    ASSERT_TRUE(reloaded);
    ASSERT_EQ(reloaded->size(), 1);
    EXPECT_EQ(reloaded->front().downMbps, 12.3);
}

TEST_F(SpeedTestHistoryStoreTest, AddPutsNewestFirstWritesCompactlyAndNotifies) {
    int notifications = 0;
    QObject context;
    NotificationCenter::instance().observe(SpeedTestHistoryStore::speedTestHistoryChanged, &context,
                                           [&](const QVariant&) { ++notifications; });
    SpeedTestHistoryStore store(path(), m_clock);
    store.add(record(10, QStringLiteral("清华 TUNA")));
    store.add(record(20, QStringLiteral("华为云镜像")));
    EXPECT_EQ(notifications, 2);
    ASSERT_EQ(store.records().size(), 2);
    EXPECT_EQ(store.records()[0].downMbps, 20.0);
    const QByteArray bytes = readFile(path());
    EXPECT_FALSE(bytes.contains('\n'));
    EXPECT_TRUE(bytes.startsWith("[{"));
    SpeedTestHistoryStore reloaded(path(), m_clock);
    EXPECT_EQ(reloaded.records(), store.records());
}

TEST_F(SpeedTestHistoryStoreTest, ClearWritesEmptyArray) {
    SpeedTestHistoryStore store(path(), m_clock);
    store.add(record(10));
    int notifications = 0;
    QObject context;
    NotificationCenter::instance().observe(SpeedTestHistoryStore::speedTestHistoryChanged, &context,
                                           [&](const QVariant&) { ++notifications; });
    store.clear();
    EXPECT_EQ(notifications, 1);
    EXPECT_TRUE(store.records().isEmpty());
    EXPECT_EQ(readFile(path()), "[]");
    EXPECT_EQ(store.storageBytes(), 2);
    EXPECT_EQ(store.storageSizeText(), "2 B");
}

TEST_F(SpeedTestHistoryStoreTest, NonFiniteFigureDoesNotStopLaterSaves) {
    SpeedTestHistoryStore store(path(), m_clock);
    SpeedTestRecord broken = record(std::numeric_limits<double>::infinity());
    broken.latencyMs = std::numeric_limits<double>::quiet_NaN();
    store.add(broken);
    store.add(record(33));
    const auto reloaded = SpeedTestHistoryFile::decode(readFile(path()));
    ASSERT_TRUE(reloaded);
    ASSERT_EQ(reloaded->size(), 2);
    EXPECT_EQ((*reloaded)[0].downMbps, 33.0);
    EXPECT_EQ((*reloaded)[1].downMbps, 0.0);
    EXPECT_EQ((*reloaded)[1].latencyMs, 0.0);
}

TEST_F(SpeedTestHistoryStoreTest, FailedWriteKeepsListAndStillNotifies) {
    SpeedTestHistoryStore store(dirPath() + QStringLiteral("/missing/dir/history.json"), m_clock);
    int notifications = 0;
    QObject context;
    NotificationCenter::instance().observe(SpeedTestHistoryStore::speedTestHistoryChanged, &context,
                                           [&](const QVariant&) { ++notifications; });
    store.add(record(5));
    EXPECT_EQ(store.records().size(), 1);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(store.storageBytes(), 0);
}

TEST(SpeedTestHistorySize, Texts) {
    const struct {
        qint64 bytes;
        const char* text;
    } cases[] = {{-5, "0 KB"},         {0, "0 KB"},         {1, "1 B"},         {2, "2 B"},
                 {1023, "1023 B"},     {1024, "1 KB"},      {1536, "2 KB"},     {2560, "2 KB"},
                 {1048575, "1024 KB"}, {1048576, "1.0 MB"}, {5452595, "5.2 MB"}};
    for (const auto& c : cases)
        EXPECT_EQ(SpeedTestHistoryStore::sizeText(c.bytes).toStdString(), c.text) << c.bytes;
}

TEST_F(SpeedTestHistoryStoreTest, SizeTextOfARealFile) {
    writeHistory(QByteArray(1534, ' ').prepend('[').append(']'));
    SpeedTestHistoryStore store(path(), m_clock);
    EXPECT_EQ(store.storageBytes(), 1536);
    EXPECT_EQ(store.storageSizeText(), "2 KB");
}

TEST_F(SpeedTestHistoryStoreTest, ExportCsv) {
    SpeedTestHistoryStore store(path(), m_clock);
    const QString header = SpeedTestRecord::csvHeader;
    EXPECT_EQ(header.toStdString(), "时间,下载(Mbps),上传(Mbps),延迟(ms),抖动(ms),评级,下载节点,"
                                    "上传节点,网卡,MAC,本地IPv4,本地IPv6,公网IP");
    EXPECT_EQ(store.exportCSV().toUtf8(), "\xEF\xBB\xBF" + header.toUtf8() + "\r\n");

    store.add(record(1, QStringLiteral("older")));
    store.add(record(2, QStringLiteral("newer, with comma")));
    const QStringList lines = store.exportCSV().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QChar(0xFEFF) + header);
    EXPECT_EQ(lines[1], store.records()[0].csvLine());
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\"newer, with comma\"")));
    EXPECT_EQ(lines[2], store.records()[1].csvLine());
    EXPECT_EQ(lines[3], "");
}

TEST(SpeedTestHistoryLocation, SupportDirectoryFile) {
    EXPECT_EQ(SpeedTestHistoryStore::defaultFilePath(),
              qEnvironmentVariable("XDG_DATA_HOME") + "/Vorn/speedtest-history.json");
    EXPECT_EQ(SpeedTestHistoryStore::shared().filePath(), SpeedTestHistoryStore::defaultFilePath());
}

} // namespace
