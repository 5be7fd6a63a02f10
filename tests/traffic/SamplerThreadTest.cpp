#include "traffic/core/AppSampleQueue.h"
#include "traffic/core/TrafficRecorder.h"

#include "support/FakeClock.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QSemaphore>
#include <QThread>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

// The sampler's thread meets the main thread in three places: a sample in flight while its
// owner goes or stops, and the provider's watch timer beside the samples.
namespace {

// What a provider leaves behind for the test to read after the provider is gone.
struct ProviderTrace {
    std::atomic<bool> alive = true;
    std::atomic<int> samplesFinished = 0;
    std::atomic<bool> finishedAfterItsEnd = false;
};

// Holds each sample at a gate until the test opens it.
class GatedProvider final : public ProcessTraffic {
public:
    explicit GatedProvider(ProviderTrace& trace) : m_trace(trace) {}
    ~GatedProvider() override { m_trace.alive = false; }

    std::optional<AppSample> sample() override {
        started.release();
        gate.acquire();
        ++m_taken; // the provider's own state, as a real provider's socket table
        if (!m_trace.alive)
            m_trace.finishedAfterItsEnd = true;
        ++m_trace.samplesFinished;
        return AppSample{{QStringLiteral("p"), {100 * m_taken, 0}}};
    }

    QSemaphore started;
    QSemaphore gate;

private:
    ProviderTrace& m_trace;
    quint64 m_taken = 0;
};

bool processEventsUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10'000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Opens the gate from another thread while the main thread is busy ending the sampler. The
// short pause only makes it likely that the end has begun; the cases hold either way.
std::thread openGateSoon(QSemaphore& gate) {
    return std::thread([&gate] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        gate.release();
    });
}

TEST(SamplerThread, DestroyingTheRecorderWaitsForTheSampleInFlight) {
    FakeClock clock;
    ProviderTrace trace;
    auto provider = std::make_unique<GatedProvider>(trace);
    GatedProvider& gated = *provider;
    auto recorder = std::make_unique<TrafficRecorder>(
        clock, QDir(testRoot()).filePath(QStringLiteral("destroyed")), std::move(provider));
    recorder->startTimers(); // the baseline sample starts at once
    ASSERT_TRUE(gated.started.tryAcquire(1, 10'000));

    std::thread opener = openGateSoon(gated.gate);
    recorder.reset();
    opener.join();
    EXPECT_EQ(trace.samplesFinished, 1); // finished before the recorder was gone
    EXPECT_FALSE(trace.finishedAfterItsEnd);
    EXPECT_FALSE(trace.alive);
    QCoreApplication::processEvents(); // the delivery to the gone recorder is dropped
}

TEST(SamplerThread, StoppingWithASampleInFlightThenStartingAgainKeepsSampling) {
    FakeClock clock;
    ProviderTrace trace;
    auto provider = std::make_unique<GatedProvider>(trace);
    GatedProvider& gated = *provider;
    TrafficRecorder recorder(clock, QDir(testRoot()).filePath(QStringLiteral("restarted")),
                             std::move(provider));
    recorder.startTimers();
    ASSERT_TRUE(gated.started.tryAcquire(1, 10'000));
    std::thread opener = openGateSoon(gated.gate);
    recorder.stopTimers(); // what quitting does
    opener.join();
    EXPECT_EQ(trace.samplesFinished, 1);

    // The stopped sample's answer still arrives (as the baseline); a new thread samples again.
    gated.gate.release();
    recorder.startTimers();
    const AppSample second{{QStringLiteral("p"), {200, 0}}};
    ASSERT_TRUE(processEventsUntil([&] { return recorder.lastAppSnapshot() == second; }));
    EXPECT_EQ(trace.samplesFinished, 2);
    EXPECT_EQ(recorder.getToday()->apps.at(QStringLiteral("p")), (AppTraffic{100, 0}));
    recorder.stopTimers();
    EXPECT_TRUE(trace.alive);
}

// Samples and watches that each take a while and share the provider's unsynchronised state.
class BusyProvider final : public ProcessTraffic {
public:
    std::optional<AppSample> sample() override {
        enter();
        work();
        leave();
        ++samples;
        return AppSample{};
    }
    int watchIntervalMs() const override { return 1; }
    void watch() override {
        enter();
        work();
        leave();
        ++watches;
    }

    std::atomic<int> samples = 0;
    std::atomic<int> watches = 0;
    std::atomic<bool> overlapped = false;
    std::atomic<bool> leftTheSamplerThread = false;

private:
    void enter() {
        if (m_inside.fetch_add(1) != 0)
            overlapped = true;
        const Qt::HANDLE thread = QThread::currentThreadId();
        Qt::HANDLE expected = nullptr;
        if (!m_thread.compare_exchange_strong(expected, thread) && expected != thread)
            leftTheSamplerThread = true;
    }
    void leave() { --m_inside; }
    void work() {
        for (int i = 0; i < 2000; ++i)
            m_table[i % m_table.size()] += quint64(i);
    }

    std::atomic<int> m_inside = 0;
    std::atomic<Qt::HANDLE> m_thread = nullptr;
    std::array<quint64, 64> m_table{};
};

TEST(SamplerThread, WatchesRunOnTheSamplerThreadBetweenSamplesNeverBeside) {
    BusyProvider provider;
    QObject receiver;
    std::atomic<int> delivered = 0;
    {
        AppSampleQueue queue(provider);
        for (int i = 0; i < 50; ++i)
            queue.submit(&receiver, [&](const std::optional<AppSample>&) { ++delivered; });
        ASSERT_TRUE(processEventsUntil([&] { return delivered == 50 && provider.watches >= 5; }));
    }
    EXPECT_FALSE(provider.overlapped);
    EXPECT_FALSE(provider.leftTheSamplerThread);
    EXPECT_EQ(provider.samples, 50);
}

} // namespace
