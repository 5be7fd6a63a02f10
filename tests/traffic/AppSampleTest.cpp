#include "traffic/TrafficRecorder.h"

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

    recorder.processAppSample({}); // a failed sample resets the baseline
    EXPECT_TRUE(recorder.lastAppSnapshot().empty());
    recorder.processAppSample({{QStringLiteral("a"), {1000, 1000}}});
    EXPECT_EQ(todayApps().count(QStringLiteral("a")), 0u);
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
    ASSERT_TRUE(processEventsUntil([&] { return !recorder.lastAppSnapshot().empty(); }));
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

} // namespace
