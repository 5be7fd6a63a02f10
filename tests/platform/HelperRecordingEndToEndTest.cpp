#include "platform/linux/LinuxProcessTraffic.h"
#include "traffic/core/TrafficRecorder.h"

#include "EchoTraffic.h"
#include "HelperNamespaceTest.h"
#include "LinkCounters.h"
#include "StoredTraffic.h"
#include "support/FakeClock.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QStringList>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <vector>

namespace {

constexpr int kDatagrams = 8000;
constexpr size_t kTcpBytes = 8'000'000;
constexpr int kWaitMs = 30'000;

// A transfer in a child named `name`, in two halves: the test takes a sample between them.
class TransferInHalves {
public:
    using Body = std::function<void(const std::function<void()>& halfway)>;

    TransferInHalves(const char* name, const Body& body) {
        runNamed(m_process, name, [&] { body([&] { m_halfway.reach(); }); });
    }

    bool reachedHalfway() { return m_halfway.reached(); }
    // Lets the second half run; the child's exit code.
    int finish() {
        m_halfway.release();
        return m_process.wait();
    }

private:
    Checkpoint m_halfway;
    ForkedChild m_process;
};

// The notices of the provider, which come from the sampler's thread.
struct Notices {
    std::mutex mutex;
    QStringList lines;

    ProcessTrafficNotice receiver() {
        return [this](const QString& line) {
            const std::lock_guard lock(mutex);
            lines << line;
        };
    }
    std::string text() {
        const std::lock_guard lock(mutex);
        return lines.join(QLatin1Char('\n')).toStdString();
    }
};

std::pair<quint64, quint64> snapshotOf(const TrafficRecorder& recorder, const char* name) {
    const auto& snapshot = recorder.lastAppSnapshot();
    if (!snapshot)
        return {};
    const auto found = snapshot->find(QString::fromLatin1(name));
    return found == snapshot->end() ? std::pair<quint64, quint64>() : found->second;
}

// Asks for a sample and waits until the recorder applied one in which name has sent at least
// `sent` bytes.
bool sampleUntilSent(TrafficRecorder& recorder, const char* name, quint64 sent) {
    recorder.sampleAppTraffic();
    return QTest::qWaitFor([&] { return snapshotOf(recorder, name).second >= sent; }, kWaitMs);
}

using HelperRecordingEndToEnd = HelperNamespaceTest;

// The program's chain with the helper: the recorder starts on an idle machine (its baseline
// is an empty sample), then a UDP and a TCP transfer each run with a sample half-way, as the
// 15 s timer would take one. All of both reaches the stored day, as the link counted it.
TEST_F(HelperRecordingEndToEnd, TransfersAfterAnIdleStartAreBookedInFull) {
    ForkedChild server;
    ASSERT_EQ(startEchoServer(server), "");
    FakeClock clock;
    Notices notices;
    const QString directory = QDir(testRoot()).filePath(QStringLiteral("helper-idle-start"));
    TrafficRecorder recorder(clock, directory,
                             createLinuxProcessTraffic(helperProgram(), notices.receiver()));
    recorder.startTimers();
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.lastAppSnapshot().has_value(); }, kWaitMs))
        << notices.text();
    ASSERT_EQ(*recorder.lastAppSnapshot(), AppSample()) << "the start was not idle";

    struct Transfer {
        const char* name;
        TransferInHalves::Body body;
        quint64 payload;
    };
    const Transfer transfers[] = {
        {"vorn-idle-udp",
         [](const auto& halfway) {
             const int fd = connectUdp(kFarAddress, kUdpEchoPort);
             exchangeDatagrams(fd, kDatagrams / 2);
             halfway();
             exchangeDatagrams(fd, kDatagrams / 2);
         },
         kDatagrams * kDatagramBytes},
        {"vorn-idle-tcp",
         [](const auto& halfway) {
             const int fd = connectTcp(kFarAddress, kTcpEchoPort);
             pingPong(fd, kTcpBytes / 2);
             halfway();
             pingPong(fd, kTcpBytes / 2);
         },
         kTcpBytes},
    };
    const std::string link = nearLinkName();
    std::vector<std::pair<quint64, quint64>> crossed; // IP bytes received, sent
    for (const Transfer& transfer : transfers) {
        const LinkCounters before = readLinkCounters(link);
        TransferInHalves child(transfer.name, transfer.body);
        ASSERT_TRUE(child.reachedHalfway()) << transfer.name;
        ASSERT_TRUE(sampleUntilSent(recorder, transfer.name, 1))
            << "no sample saw the first half of " << transfer.name;
        ASSERT_EQ(child.finish(), 0) << transfer.name;
        crossed.push_back(ipBytesBetween(before, readLinkCounters(link)));
    }
    // IP lengths exceed the payload, so only a sample after the whole transfer gets there.
    ASSERT_TRUE(sampleUntilSent(recorder, "vorn-idle-tcp", kTcpBytes));
    recorder.stopAndSave();
    EXPECT_EQ(recorder.appTrafficSource(), AppTrafficSource::AllProtocols) << notices.text();

    const QString day = clock.now().date().toString(Qt::ISODate);
    for (size_t i = 0; i < crossed.size(); ++i) {
        const Transfer& transfer = transfers[i];
        const QJsonObject app = storedApp(recorder.dataURL(), day, transfer.name);
        const std::string what = transfer.name;
        expectWithin2Percent(quint64(app[QStringLiteral("in")].toDouble()), crossed[i].first,
                             transfer.payload, (what + " received").c_str());
        expectWithin2Percent(quint64(app[QStringLiteral("out")].toDouble()), crossed[i].second,
                             transfer.payload, (what + " sent").c_str());
    }
}

} // namespace
