#include "traffic/core/TrafficRecorder.h"

#include "support/FakeClock.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace {

const QString kToday = QStringLiteral("2026-12-06");

class AppSampleTest : public testing::Test {
protected:
    AppSampleTest() { clock.setNow(QDateTime(QDate(2026, 12, 6), QTime(12, 0))); }

    std::map<QString, AppTraffic> todayApps() const {
        const auto day = recorder.getToday();
        return day ? day->apps : std::map<QString, AppTraffic>();
    }

    FakeClock clock;
    TrafficRecorder recorder{clock, std::nullopt, nullptr};
};

TEST_F(AppSampleTest, FirstSampleIsOnlyTheBaseline) {
    recorder.processAppSample({{QStringLiteral("curl"), {500, 20}}});
    ASSERT_TRUE(recorder.getToday().has_value()); // the day exists even though nothing was added
    EXPECT_TRUE(todayApps().empty());
    EXPECT_EQ(recorder.getToday()->totalIn, 0u);
}

TEST_F(AppSampleTest, GrowthIsBookedPerName) {
    recorder.processAppSample({{QStringLiteral("a"), {100, 10}}, {QStringLiteral("b"), {7, 7}}});
    recorder.processAppSample({{QStringLiteral("a"), {90, 30}},     // in went down: 0, out +20
                               {QStringLiteral("b"), {7, 7}},       // unchanged: no entry
                               {QStringLiteral("new"), {500, 0}}}); // absent before: all of it
    EXPECT_EQ(todayApps(), (std::map<QString, AppTraffic>{{QStringLiteral("a"), {0, 20}},
                                                          {QStringLiteral("new"), {500, 0}}}));
    recorder.processAppSample({{QStringLiteral("a"), {95, 30}}, {QStringLiteral("new"), {600, 1}}});
    EXPECT_EQ(todayApps(), (std::map<QString, AppTraffic>{{QStringLiteral("a"), {5, 20}},
                                                          {QStringLiteral("new"), {600, 1}}}));
    EXPECT_EQ(recorder.getToday()->totalIn, 0u); // totals come only from the tick
}

TEST_F(AppSampleTest, ForgottenNamesAndEmptySamplesStartOver) {
    recorder.processAppSample({{QStringLiteral("a"), {100, 10}}, {QStringLiteral("b"), {1, 1}}});
    recorder.processAppSample({{QStringLiteral("a"), {100, 10}}}); // b forgotten
    recorder.processAppSample({{QStringLiteral("a"), {100, 10}}, {QStringLiteral("b"), {3, 3}}});
    EXPECT_EQ(todayApps(), (std::map<QString, AppTraffic>{{QStringLiteral("b"), {3, 3}}}));

    recorder.appSampleFailed(); // the provider could not be asked
    EXPECT_FALSE(recorder.lastAppSnapshot().has_value());
    recorder.processAppSample({{QStringLiteral("a"), {1000, 1000}}});
    EXPECT_EQ(todayApps().count(QStringLiteral("a")), 0u);
    recorder.processAppSample({{QStringLiteral("a"), {1500, 1000}}});
    EXPECT_EQ(todayApps().at(QStringLiteral("a")), (AppTraffic{500, 0}));
}

TEST_F(AppSampleTest, GrowthAcrossMidnightGoesToTheNewDay) {
    clock.setNow(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 50)));
    recorder.processAppSample({{QStringLiteral("a"), {100, 10}}});
    clock.advance(15);
    recorder.processAppSample({{QStringLiteral("a"), {300, 20}}});
    EXPECT_TRUE(recorder.data().at(kToday).apps.empty());
    EXPECT_EQ(recorder.data().at(QStringLiteral("2026-12-07")).apps.at(QStringLiteral("a")),
              (AppTraffic{200, 10}));
}

// A provider whose samples the test scripts, counting where and how often it is asked.
class ScriptedProvider final : public ProcessTraffic {
public:
    std::optional<AppSample> sample() override {
        onMainThread = QThread::currentThread() == qApp->thread();
        return AppSample{{QStringLiteral("p"), {100 * quint64(++samples), 0}}};
    }
    int watchIntervalMs() const override { return 10; }
    void watch() override { ++watches; }

    std::atomic<int> samples = 0;
    std::atomic<int> watches = 0;
    std::atomic<bool> onMainThread = true;
};

bool processEventsUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10'000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(AppSampleQueue, SamplesRunInTheBackgroundAndApplyOnTheMainThread) {
    FakeClock clock;
    auto provider = std::make_unique<ScriptedProvider>();
    ScriptedProvider& scripted = *provider;
    TrafficRecorder recorder(clock, QDir(testRoot()).filePath(QStringLiteral("queue")),
                             std::move(provider));
    recorder.startTimers(); // takes the baseline sample at once
    ASSERT_TRUE(processEventsUntil([&] { return recorder.lastAppSnapshot().has_value(); }));
    EXPECT_FALSE(scripted.onMainThread);
    EXPECT_TRUE(recorder.getToday()->apps.empty());

    recorder.sampleAppTraffic();
    ASSERT_TRUE(processEventsUntil([&] { return !recorder.getToday()->apps.empty(); }));
    EXPECT_EQ(recorder.getToday()->apps.at(QStringLiteral("p")), (AppTraffic{100, 0}));
    EXPECT_TRUE(processEventsUntil([&] { return scripted.watches >= 2; }));

    recorder.stopAndSave(); // ends the thread; a sample asked for afterwards is not taken
    const int taken = scripted.samples;
    recorder.sampleAppTraffic();
    QCoreApplication::processEvents();
    EXPECT_EQ(scripted.samples, taken);
}

// Hands out the given samples in turn; none (a failed sample) once they run out.
class ListedProvider final : public ProcessTraffic {
public:
    explicit ListedProvider(std::vector<std::optional<AppSample>> samples)
        : m_samples(std::move(samples)) {}
    std::optional<AppSample> sample() override {
        return m_next < m_samples.size() ? m_samples[m_next++] : std::nullopt;
    }

private:
    std::vector<std::optional<AppSample>> m_samples;
    size_t m_next = 0;
};

TEST(AppSampleQueue, IdleStartBooksTheFirstTrafficAndAFailureDropsTheBaseline) {
    FakeClock clock;
    const AppSample idle;
    const AppSample downloaded{{QStringLiteral("python3"), {9'600'000, 30'000}}};
    const AppSample more{{QStringLiteral("python3"), {9'700'000, 30'000}}};
    const AppSample evenMore{{QStringLiteral("python3"), {9'750'000, 30'000}}};
    TrafficRecorder recorder(clock, QDir(testRoot()).filePath(QStringLiteral("idle")),
                             std::make_unique<ListedProvider>(std::vector<std::optional<AppSample>>{
                                 idle, downloaded, std::nullopt, more, evenMore}));
    // Each step waits until the sample has been applied: every one leaves its own snapshot.
    const auto sampleUntil = [&](const std::optional<AppSample>& snapshot) {
        recorder.sampleAppTraffic();
        return processEventsUntil([&] { return recorder.lastAppSnapshot() == snapshot; });
    };
    recorder.startTimers(); // the baseline: nothing had traffic yet
    ASSERT_TRUE(processEventsUntil([&] { return recorder.lastAppSnapshot() == idle; }));
    ASSERT_TRUE(sampleUntil(downloaded));
    EXPECT_EQ(recorder.getToday()->apps,
              (std::map<QString, AppTraffic>{{QStringLiteral("python3"), {9'600'000, 30'000}}}));

    ASSERT_TRUE(sampleUntil(std::nullopt));
    ASSERT_TRUE(sampleUntil(more)); // only the new baseline
    ASSERT_TRUE(sampleUntil(evenMore));
    EXPECT_EQ(recorder.getToday()->apps.at(QStringLiteral("python3")),
              (AppTraffic{9'650'000, 30'000}));
    recorder.stopTimers();
}

} // namespace
