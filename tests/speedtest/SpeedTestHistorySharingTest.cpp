#include "speedtest/core/SpeedTestHistoryStore.h"

#include "common/NotificationCenter.h"
#include "support/FakeClock.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Another process keeping the same history (tests/speedtest/HistoryWriterMain.cpp).
class HistoryWriter {
public:
    explicit HistoryWriter(const QString& path) {
        m_process.start(QStringLiteral(VORN_HISTORY_WRITER), {path});
    }
    ~HistoryWriter() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    bool started() { return m_process.waitForStarted(5000); }

    // Sends one command line; its answer line without the line break.
    void send(const QByteArray& command) { m_process.write(command + '\n'); }
    QString answer() {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(15000))
                return QStringLiteral("<no answer>");
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

private:
    QProcess m_process;
};

SpeedTestRecord madeHere(double ts) {
    SpeedTestRecord record;
    record.ts = ts;
    record.downMbps = 200;
    record.upMbps = 50;
    record.latencyMs = 9;
    record.downNode = QStringLiteral("本进程");
    return record;
}

QString stampsOf(const QList<SpeedTestRecord>& records) {
    QStringList stamps;
    for (const SpeedTestRecord& record : records)
        stamps << QString::number(qint64(record.ts));
    return stamps.join(QLatin1Char(' '));
}

class SpeedTestHistorySharingTest : public testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("speedtest-history.json")); }
    QByteArray fileBytes() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // What a store opened afresh finds in the file.
    QString fileStamps() const { return stampsOf(SpeedTestHistoryStore(path()).records()); }
    void overwrite(const QByteArray& bytes) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QStringList copies() const {
        return QDir(m_dir.path())
            .entryList({QStringLiteral("speedtest-history.corrupt-*")}, QDir::Files);
    }

    QTemporaryDir m_dir;
    FakeClock m_clock;
};

TEST_F(SpeedTestHistorySharingTest, TwoProcessesWritingInTurnLoseNothingAndSeeEachOther) {
    HistoryWriter first(path());
    HistoryWriter second(path());
    ASSERT_TRUE(first.started() && second.started());
    QStringList expected;
    for (int turn = 0; turn < 6; ++turn) {
        HistoryWriter& writer = turn % 2 == 0 ? first : second;
        const QByteArray ts = QByteArray::number(1765000000 + turn);
        writer.send("add " + ts);
        expected.prepend(QString::fromLatin1(ts));
        // Each answer lists every test so far, the other process's included, newest first.
        EXPECT_EQ(writer.answer(), QStringLiteral("ok ") + expected.join(QLatin1Char(' ')))
            << "turn " << turn;
    }
    EXPECT_EQ(fileStamps(), expected.join(QLatin1Char(' ')));
}

TEST_F(SpeedTestHistorySharingTest, TwoProcessesWritingAtOnceLoseNothing) {
    HistoryWriter first(path());
    HistoryWriter second(path());
    ASSERT_TRUE(first.started() && second.started());
    constexpr int kEach = 40;
    first.send("burst 1765000000 " + QByteArray::number(kEach));
    second.send("burst 1765001000 " + QByteArray::number(kEach));
    EXPECT_EQ(first.answer(), "done 0");
    EXPECT_EQ(second.answer(), "done 0");

    const QList<SpeedTestRecord> records = SpeedTestHistoryStore(path()).records();
    QSet<qint64> stamps;
    for (const SpeedTestRecord& record : records)
        stamps.insert(qint64(record.ts));
    EXPECT_EQ(records.size(), 2 * kEach);
    EXPECT_EQ(stamps.size(), 2 * kEach);
    for (int i = 0; i < kEach; ++i) {
        EXPECT_TRUE(stamps.contains(1765000000 + i)) << i;
        EXPECT_TRUE(stamps.contains(1765001000 + i)) << i;
    }
}

TEST_F(SpeedTestHistorySharingTest, ARunningStoreShowsWhatAnotherProcessStored) {
    SpeedTestHistoryStore running(path(), m_clock);
    running.add(madeHere(1765000000));
    running.watchForChanges();
    int notifications = 0;
    QObject context;
    NotificationCenter::instance().observe(SpeedTestHistoryStore::speedTestHistoryChanged, &context,
                                           [&](const QVariant&) { ++notifications; });

    HistoryWriter other(path());
    ASSERT_TRUE(other.started());
    other.send("add 1765000100");
    EXPECT_EQ(other.answer(), "ok 1765000100 1765000000");
    EXPECT_TRUE(QTest::qWaitFor([&] { return running.records().size() == 2; }, 10000));
    EXPECT_EQ(stampsOf(running.records()), "1765000100 1765000000");
    EXPECT_EQ(running.records()[0].downNode, "第二个进程");
    EXPECT_EQ(notifications, 1);

    // Its own next test goes on top of both.
    running.add(madeHere(1765000200));
    EXPECT_EQ(fileStamps(), "1765000200 1765000100 1765000000");
    EXPECT_EQ(stampsOf(running.records()), fileStamps());

    // Every replacement of the file is a new file; the watch follows it.
    other.send("add 1765000300");
    EXPECT_EQ(other.answer(), "ok 1765000300 1765000200 1765000100 1765000000");
    EXPECT_TRUE(QTest::qWaitFor([&] { return running.records().size() == 4; }, 10000));
    EXPECT_EQ(stampsOf(running.records()), "1765000300 1765000200 1765000100 1765000000");
}

TEST_F(SpeedTestHistorySharingTest, ClearDeletesOnlyTheTestsItHadShown) {
    SpeedTestHistoryStore window(path(), m_clock);
    window.add(madeHere(1765000000));
    window.add(madeHere(1765000060));
    SpeedTestHistoryStore other(path(), m_clock);
    other.add(madeHere(1765000120));

    // The window has not re-read the file: the newest test was never shown, so it stays.
    EXPECT_EQ(stampsOf(window.records()), "1765000060 1765000000");
    window.clear();
    EXPECT_EQ(fileStamps(), "1765000120");
    EXPECT_EQ(stampsOf(window.records()), "1765000120");

    window.clear();
    EXPECT_EQ(fileBytes(), "[]");
    EXPECT_TRUE(window.records().isEmpty());
}

TEST_F(SpeedTestHistorySharingTest, AFileDamagedWhileRunningIsSetAsideAndNothingShownIsLost) {
    SpeedTestHistoryStore running(path(), m_clock);
    running.add(madeHere(1765000000));
    running.add(madeHere(1765000060));
    int notifications = 0;
    QObject context;
    NotificationCenter::instance().observe(SpeedTestHistoryStore::speedTestHistoryChanged, &context,
                                           [&](const QVariant&) { ++notifications; });

    overwrite("[{\"ts\": 17650");
    running.reload();
    ASSERT_TRUE(running.lastQuarantinePath());
    EXPECT_EQ(copies(), QStringList{"speedtest-history.corrupt-20261206-120000.json"});
    EXPECT_EQ(notifications, 1) << "the hint names the copy";
    EXPECT_EQ(stampsOf(running.records()), "1765000060 1765000000");
    running.reload();
    EXPECT_EQ(copies().size(), 1) << "the same damage is set aside once";

    running.add(madeHere(1765000120));
    EXPECT_EQ(fileStamps(), "1765000120 1765000060 1765000000");
    QFile copy(*running.lastQuarantinePath());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), "[{\"ts\": 17650");
}

TEST_F(SpeedTestHistorySharingTest, ARemovedFileIsAnEmptyHistoryAndStaysRemoved) {
    SpeedTestHistoryStore running(path(), m_clock);
    running.add(madeHere(1765000000));
    ASSERT_TRUE(QFile::remove(path()));
    running.reload();
    EXPECT_TRUE(running.records().isEmpty());
    running.add(madeHere(1765000060));
    EXPECT_EQ(fileStamps(), "1765000060");
}

TEST_F(SpeedTestHistorySharingTest, AChangeThatCouldNotBeWrittenGoesWithTheNextWrite) {
    const QString directory = m_dir.filePath(QStringLiteral("later"));
    SpeedTestHistoryStore store(directory + QStringLiteral("/speedtest-history.json"), m_clock);
    EXPECT_FALSE(store.add(madeHere(1765000000)));
    EXPECT_FALSE(store.lastSaveError().isEmpty());
    EXPECT_EQ(stampsOf(store.records()), "1765000000");

    ASSERT_TRUE(QDir().mkpath(directory));
    EXPECT_TRUE(store.add(madeHere(1765000060)));
    EXPECT_TRUE(store.lastSaveError().isEmpty());
    EXPECT_EQ(stampsOf(SpeedTestHistoryStore(store.filePath()).records()), "1765000060 1765000000");
}

TEST_F(SpeedTestHistorySharingTest, AHeldLockIsWaitedForAndNeverBypassed) {
    SpeedTestHistoryStore store(path(), m_clock);
    store.add(madeHere(1765000000));
    QLockFile held(path() + QStringLiteral(".lock"));
    ASSERT_TRUE(held.tryLock(0));
    store.add(madeHere(1765000060));
    EXPECT_EQ(fileStamps(), "1765000000");
    EXPECT_EQ(stampsOf(store.records()), "1765000060 1765000000");
    held.unlock();
    store.add(madeHere(1765000120));
    EXPECT_EQ(fileStamps(), "1765000120 1765000060 1765000000");
}

} // namespace
