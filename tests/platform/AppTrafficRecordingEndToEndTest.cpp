#include "platform/ProcessTraffic.h"
#include "traffic/core/TrafficRecorder.h"

#include "NamespaceNetwork.h"
#include "StoredTraffic.h"
#include "support/FakeClock.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr Download kShaped{kFarAddress, 18082, 3, 2'500'000};
constexpr const char* kClientName = "vorn-e2e-idle";

// Runs the event loop until done holds, for at most about steps × 10 ms.
bool processEventsUntil(const std::function<bool()>& done, int steps = 3000) {
    for (int step = 0; step < steps && !done(); ++step) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    return done();
}

quint64 snapshotBytesIn(const TrafficRecorder& recorder) {
    const auto& snapshot = recorder.lastAppSnapshot();
    if (!snapshot)
        return 0;
    const auto found = snapshot->find(QString::fromLatin1(kClientName));
    return found == snapshot->end() ? 0 : found->second.first;
}

using AppTrafficRecordingEndToEnd = NetworkNamespaceTest;

// The program starts on an idle machine (no connection open), a download starts seconds later
// and is sampled mid-way, as the 15 s timer would: all of it reaches the stored day.
TEST_F(AppTrafficRecordingEndToEnd, DownloadAfterAnIdleStartIsBookedInFull) {
    ForkedChild server;
    ASSERT_EQ(startShapedServer(server, kShaped), "");
    FakeClock clock;
    const QString directory = QDir(testRoot()).filePath(QStringLiteral("idle-start"));
    TrafficRecorder recorder(clock, directory, ProcessTraffic::create());
    recorder.startTimers();
    ASSERT_TRUE(processEventsUntil([&] { return recorder.lastAppSnapshot().has_value(); }));
    ASSERT_EQ(*recorder.lastAppSnapshot(), AppSample()) << "the start was not idle";

    DownloadClient client(kClientName, kShaped);
    processEventsUntil([] { return false; }, 300); // about 3 s into the download
    recorder.sampleAppTraffic();
    ASSERT_TRUE(processEventsUntil([&] { return snapshotBytesIn(recorder) > 0; }))
        << "the mid-way sample did not see the download";
    ASSERT_TRUE(processEventsUntil([&] { return !client.process().running(); }))
        << "download did not finish";
    ASSERT_EQ(client.process().wait(), 0);
    const quint64 downloaded = client.receivedBytes();
    ASSERT_EQ(downloaded, quint64(kShaped.connections) * kShaped.bytesPerConnection);
    recorder.sampleAppTraffic();
    ASSERT_TRUE(processEventsUntil([&] { return snapshotBytesIn(recorder) >= downloaded; }));
    recorder.stopAndSave();

    const QJsonObject app =
        storedApp(recorder.dataURL(), QStringLiteral("2026-12-06"), kClientName);
    const double booked = app[QStringLiteral("in")].toDouble();
    EXPECT_GE(booked, 0.95 * double(downloaded)) << booked << " of " << downloaded;
    // tcp_info counts sequence numbers, so each connection's FIN adds one.
    EXPECT_LE(booked, double(downloaded + kShaped.connections));
}

} // namespace
