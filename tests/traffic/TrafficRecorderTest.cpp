#include "traffic/core/TrafficRecorder.h"
#include "traffic/core/TrafficFile.h"

#include "support/FakeClock.h"
#include "support/TestEnvironment.h"
#include "traffic/core/DayKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr quint64 kMax = std::numeric_limits<quint64>::max();

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class TrafficRecorderTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = QDir(testRoot())
                    .filePath(QStringLiteral("store-%1-%2")
                                  .arg(QString::fromLatin1(info->test_suite_name()),
                                       QString::fromLatin1(info->name())));
        QDir(m_dir).removeRecursively();
        QDir().mkpath(m_dir);
        clock.setNow(QDateTime(QDate(2026, 12, 6), QTime(12, 0, 0)));
    }

    std::unique_ptr<TrafficRecorder> makeRecorder() {
        return std::make_unique<TrafficRecorder>(clock, m_dir, nullptr);
    }
    QString path(const QString& name = TrafficRecorder::kFileName) const {
        return QDir(m_dir).filePath(name);
    }
    QStringList corruptCopies() const {
        return QDir(m_dir).entryList({QStringLiteral("traffic.corrupt-*")}, QDir::Files,
                                     QDir::Name);
    }

    FakeClock clock;
    QString m_dir;
};

TEST_F(TrafficRecorderTest, TotalsGoToTodayAndSurviveASaveAndReload) {
    auto recorder = makeRecorder();
    EXPECT_EQ(recorder->dataURL(), path());
    EXPECT_FALSE(recorder->getToday().has_value());
    recorder->recordTotal(10, 200); // upload first
    recorder->recordTotal(1, 2);
    ASSERT_TRUE(recorder->getToday().has_value());
    EXPECT_EQ(recorder->getToday()->totalIn, 202u);
    EXPECT_EQ(recorder->getToday()->totalOut, 11u);
    EXPECT_FALSE(QFileInfo::exists(path())); // ticks touch memory only
    ASSERT_TRUE(recorder->saveData());

    auto reloaded = makeRecorder();
    EXPECT_EQ(reloaded->data(), recorder->data());
    EXPECT_EQ(reloaded->data().at(QStringLiteral("2026-12-06")).totalIn, 202u);
}

TEST_F(TrafficRecorderTest, MidnightStartsANewDayAndLeavesYesterdayAlone) {
    auto recorder = makeRecorder();
    clock.setNow(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59)));
    recorder->recordTotal(1, 100);
    clock.setNow(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 0)));
    EXPECT_FALSE(recorder->getToday().has_value());
    recorder->recordTotal(2, 50);
    EXPECT_EQ(recorder->data().at(QStringLiteral("2026-12-06")), (DailyTraffic{100, 1, {}}));
    EXPECT_EQ(recorder->data().at(QStringLiteral("2026-12-07")), (DailyTraffic{50, 2, {}}));
    EXPECT_EQ(recorder->getToday()->totalIn, 50u);
}

TEST_F(TrafficRecorderTest, AClockSetBackAcrossMidnightBooksByTheWallClockAndLosesNothing) {
    auto recorder = makeRecorder();
    clock.setNow(QDateTime(QDate(2026, 12, 7), QTime(0, 5)));
    recorder->recordTotal(1, 100);
    clock.setNow(QDateTime(QDate(2026, 12, 6), QTime(23, 55))); // set back ten minutes
    recorder->recordTotal(2, 20);
    EXPECT_EQ(recorder->getToday(), (DailyTraffic{20, 2, {}}));
    recorder->processAppSample({{QStringLiteral("curl"), {1000, 10}}});
    recorder->processAppSample({{QStringLiteral("curl"), {1500, 30}}});
    clock.setNow(QDateTime(QDate(2026, 12, 7), QTime(0, 6))); // and on past midnight again
    recorder->recordTotal(4, 3);
    recorder->processAppSample({{QStringLiteral("curl"), {1600, 30}}});

    const TrafficData expected{
        {QStringLiteral("2026-12-06"), {20, 2, {{QStringLiteral("curl"), {500, 20}}}}},
        {QStringLiteral("2026-12-07"), {103, 5, {{QStringLiteral("curl"), {100, 0}}}}},
    };
    EXPECT_EQ(recorder->data(), expected);
    ASSERT_TRUE(recorder->saveData());
    EXPECT_EQ(makeRecorder()->data(), expected);
}

TEST_F(TrafficRecorderTest, SumsSaturateInsteadOfWrapping) {
    auto recorder = makeRecorder();
    recorder->recordTotal(kMax - 1, kMax);
    recorder->recordTotal(5, 1);
    EXPECT_EQ(recorder->getToday()->totalIn, kMax);
    EXPECT_EQ(recorder->getToday()->totalOut, kMax);
    recorder->processAppSample({{QStringLiteral("a"), {1, 1}}});
    recorder->processAppSample({{QStringLiteral("a"), {kMax, kMax}}});
    recorder->processAppSample({{QStringLiteral("a"), {0, 0}}});
    recorder->processAppSample({{QStringLiteral("a"), {kMax, kMax}}});
    EXPECT_EQ(recorder->getToday()->apps.at(QStringLiteral("a")), (AppTraffic{kMax, kMax}));
}

TEST_F(TrafficRecorderTest, PartlyMalformedFileKeepsWhatCanBeRead) {
    writeFile(path(), R"({"2026-12-05": {"totalIn": "12", "totalOut": 3.5, "apps": 7},
                         "2026-12-04": [], "someday": {"totalIn": 9}})");
    auto recorder = makeRecorder();
    ASSERT_EQ(recorder->data().size(), 2u);
    EXPECT_EQ(recorder->data().at(QStringLiteral("2026-12-05")), DailyTraffic{});
    EXPECT_EQ(recorder->data().at(QStringLiteral("someday")).totalIn, 9u);
    ASSERT_TRUE(recorder->saveData());
    EXPECT_TRUE(corruptCopies().isEmpty());                // it was JSON: nothing set aside
    EXPECT_TRUE(readFile(path()).contains("\"someday\"")); // unknown keys are carried along
}

TEST_F(TrafficRecorderTest, UnparseableFileIsSetAsideBeforeTheFirstSave) {
    const QByteArray damaged = "{\"2026-12-05\": {\"totalIn\": 123"; // cut short
    writeFile(path(), damaged);
    auto recorder = makeRecorder();
    EXPECT_TRUE(recorder->data().empty());
    EXPECT_EQ(readFile(path()), damaged); // loading alone changes nothing
    recorder->recordTotal(1, 2);
    clock.setNow(QDateTime(QDate(2026, 12, 6), QTime(12, 34, 56)));
    ASSERT_TRUE(recorder->saveData());
    EXPECT_EQ(corruptCopies(), QStringList{QStringLiteral("traffic.corrupt-20261206-123456.json")});
    EXPECT_EQ(readFile(path(QStringLiteral("traffic.corrupt-20261206-123456.json"))), damaged);
    EXPECT_EQ(TrafficFile::parse(readFile(path())), recorder->data());

    ASSERT_TRUE(recorder->saveData()); // only once
    EXPECT_EQ(corruptCopies().size(), 1);
}

TEST_F(TrafficRecorderTest, SettingAsideNeverReplacesAnEarlierCopy) {
    clock.setNow(QDateTime(QDate(2026, 12, 6), QTime(8, 0, 0)));
    const QString earlier = QStringLiteral("traffic.corrupt-20261206-080000.json");
    writeFile(path(earlier), "the first damaged file");
    writeFile(path(QStringLiteral("traffic.corrupt-20261206-080000-2.json")), "the second");
    writeFile(path(), "\x89PNG not json at all");
    auto recorder = makeRecorder();
    ASSERT_TRUE(recorder->saveData());
    EXPECT_EQ(readFile(path(earlier)), "the first damaged file");
    EXPECT_EQ(readFile(path(QStringLiteral("traffic.corrupt-20261206-080000-2.json"))),
              "the second");
    EXPECT_EQ(readFile(path(QStringLiteral("traffic.corrupt-20261206-080000-3.json"))),
              "\x89PNG not json at all");
    EXPECT_EQ(readFile(path()), "{}\n");
}

TEST_F(TrafficRecorderTest, NoSaveWhileTheDamagedFileCannotBeSetAside) {
    writeFile(path(), "garbage");
    auto recorder = makeRecorder();
    recorder->recordTotal(1, 1);
    // A directory where the copy would go makes the move fail the same way a full or
    // read-only disk would, even for root.
    for (int i = 1; i < 1000; ++i) {
        QDir(m_dir).mkdir(i == 1
                              ? QStringLiteral("traffic.corrupt-20261206-120000.json")
                              : QStringLiteral("traffic.corrupt-20261206-120000-%1.json").arg(i));
    }
    EXPECT_FALSE(recorder->saveData());
    EXPECT_EQ(readFile(path()), "garbage");
}

TEST_F(TrafficRecorderTest, FailedWriteLeavesTheOldFileWhole) {
    auto recorder = makeRecorder();
    recorder->recordTotal(1, 2);
    ASSERT_TRUE(recorder->saveData());
    const QByteArray before = readFile(path());
    AppSample baseline, grown;
    for (int i = 0; i < 300; ++i) {
        baseline[QStringLiteral("app-%1").arg(i)] = {0, 0};
        grown[QStringLiteral("app-%1").arg(i)] = {quint64(i) + 1, 1};
    }
    recorder->processAppSample(baseline);
    recorder->processAppSample(grown);

    // A file size limit makes the write fail part-way whatever the user's rights are.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = rlim_t(before.size() + 64);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = recorder->saveData();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(path()), before);
    EXPECT_EQ(QDir(m_dir).entryList(QDir::Files), QStringList{TrafficRecorder::kFileName});
    ASSERT_TRUE(recorder->saveData()); // memory kept everything for the next try
    EXPECT_EQ(TrafficFile::parse(readFile(path()))->at(QStringLiteral("2026-12-06")).apps.size(),
              300u);
}

TEST_F(TrafficRecorderTest, KillDuringSavesNeverLeavesATruncatedFile) {
    auto recorder = makeRecorder();
    AppSample baseline, grown;
    for (int i = 0; i < 2000; ++i) {
        baseline[QStringLiteral("application-%1").arg(i)] = {0, 0};
        grown[QStringLiteral("application-%1").arg(i)] = {5, 5};
    }
    recorder->processAppSample(baseline);
    recorder->processAppSample(grown);
    for (int round = 0; round < 4; ++round) {
        int saved[2];
        ASSERT_EQ(pipe(saved), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (quint64 n = 0;; ++n) {
                recorder->recordTotal(n, n);
                recorder->saveData();
                if (n == 0) { // the file exists now; the kill may land in any later save
                    [[maybe_unused]] const ssize_t written = write(saved[1], "s", 1);
                }
            }
        }
        close(saved[1]);
        char signal = 0;
        ASSERT_EQ(read(saved[0], &signal, 1), 1) << "the child never saved";
        close(saved[0]);
        usleep(useconds_t(10'000 + round * 17'000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::optional<TrafficData> onDisk = TrafficFile::parse(readFile(path()));
        ASSERT_TRUE(onDisk.has_value()) << "round " << round;
        EXPECT_EQ(onDisk->at(QStringLiteral("2026-12-06")).apps.size(), 2000u);
    }
}

TEST_F(TrafficRecorderTest, WithoutSupportDirectoryTheFallbackIsWrittenNeverRead) {
    const QString fallback = QStringLiteral("/tmp/vorn_traffic.json");
    // The path is shared by every user of the machine: whatever is there comes back after.
    const bool existed = QFileInfo::exists(fallback);
    const QByteArray before = readFile(fallback);
    const TrafficData earlier{{QStringLiteral("2026-12-05"), {7, 8, {}}}};
    writeFile(fallback, TrafficFile::serialize(earlier));
    {
        TrafficRecorder recorder(clock, std::nullopt, nullptr);
        EXPECT_EQ(recorder.dataURL(), fallback);
        EXPECT_TRUE(recorder.data().empty());
        recorder.recordTotal(3, 4);
        EXPECT_TRUE(recorder.saveData());
    }
    const std::optional<TrafficData> written = TrafficFile::parse(readFile(fallback));
    if (existed)
        writeFile(fallback, before);
    else
        QFile::remove(fallback);
    const TrafficData expected{{QStringLiteral("2026-12-06"), {4, 3, {}}}};
    EXPECT_EQ(written, expected);
}

TEST_F(TrafficRecorderTest, StopAndSaveWritesTheFile) {
    auto recorder = makeRecorder();
    recorder->recordTotal(3, 4);
    recorder->stopAndSave();
    EXPECT_EQ(TrafficFile::parse(readFile(path())), recorder->data());
}

TEST(TrafficRecorderText, DayKeysAndDisplayDates) {
    EXPECT_EQ(dayKey(QDate(2026, 1, 5)), QStringLiteral("2026-01-05"));
    FakeClock lateEvening;
    lateEvening.setNow(QDateTime(QDate(2027, 2, 3), QTime(23, 59, 59)));
    EXPECT_EQ(TrafficRecorder::todayString(lateEvening), QStringLiteral("2027-02-03"));
    EXPECT_EQ(displayDay(QStringLiteral("2026-01-05")), QStringLiteral("1/5"));
    EXPECT_EQ(displayDay(QStringLiteral("2026-12-31")), QStringLiteral("12/31"));
    for (const QString& text : {QStringLiteral("someday"), QString(), QStringLiteral("2026-13-01"),
                                QStringLiteral("2026-02-30")})
        EXPECT_EQ(displayDay(text), text);
}

TEST(TrafficRecorderText, FmtBytesTrafficChangesUnitOnTheIntegerCount) {
    const std::pair<quint64, const char*> cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1.0 KB"},
        {1536, "1.5 KB"},
        {(1ull << 20) - 1, "1024.0 KB"},
        {1ull << 20, "1.0 MB"},
        {(1ull << 30) - 1, "1024.0 MB"},
        {1ull << 30, "1.00 GB"},
        {(1ull << 30) * 5 / 4, "1.25 GB"},
        {1ull << 40, "1.00 TB"},
        {kMax, "16777216.00 TB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(fmtBytesTraffic(bytes), QString::fromUtf8(text)) << bytes;
}

} // namespace
