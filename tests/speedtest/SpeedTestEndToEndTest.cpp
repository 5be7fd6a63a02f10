#include "LocalHttpsServer.h"
#include "StallingTlsServer.h"

#include "common/Clock.h"
#include "speedtest/core/CurlTransport.h"
#include "speedtest/core/QtScheduler.h"
#include "speedtest/core/SpeedTestEngine.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>

namespace {

using Phase = SpeedTestEngine::Phase;

// Loopback TLS on two shared cores cannot move 5 GB a second; a figure above this counted
// bytes that never moved.
constexpr double kMaxLoopbackMbps = 40000;

SpeedTestTuning shortTuning() {
    SpeedTestTuning tuning;
    // Long enough that a slow first byte on a busy machine still leaves a measurable span.
    tuning.downloadSeconds = 1.5;
    tuning.uploadSeconds = 1.5;
    tuning.pingPause = 0.02;
    tuning.probeTimeout = 2;
    tuning.pingTimeout = 2;
    tuning.traceTimeout = 2;
    return tuning;
}

SpeedTestNode node(const QString& id, const QString& name, const QString& ping,
                   const QString& download) {
    return {id, name, QStringLiteral("回环"), QUrl(ping), QUrl(download), std::nullopt};
}

// A loopback port whose connections the kernel accepts and nobody ever answers.
class SilentPort {
public:
    SilentPort() : m_fd(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            listen(m_fd, 64) == 0 &&
            getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~SilentPort() { close(m_fd); }
    SilentPort(const SilentPort&) = delete;
    SilentPort& operator=(const SilentPort&) = delete;

    QString url(const QString& path) const {
        return QStringLiteral("https://127.0.0.1:%1%2").arg(m_port).arg(path);
    }

private:
    int m_fd;
    int m_port = 0;
};

class SpeedTestEndToEndTest : public testing::Test {
protected:
    void SetUp() override {
        server = std::make_unique<LocalHttpsServer>();
        ASSERT_TRUE(server->error().isEmpty()) << server->error().toStdString();
    }

    NodeCatalogue localCatalogue(const QString& downloadPath = QStringLiteral("/big.bin"),
                                 const QString& tracePath = QStringLiteral("/cdn-cgi/trace")) {
        NodeCatalogue catalogue;
        catalogue.download = {
            node("local", "本地节点", server->url("/ping"), server->url(downloadPath)),
            node("cf", "本地 CF", server->url(tracePath), server->url("/big.bin")),
        };
        catalogue.upload = {{"ustc", "本地上传", QUrl(server->url("/up"))}};
        catalogue.caFile = server->caFile();
        return catalogue;
    }

    // Runs one test to its end; false when it did not end within the limit.
    bool runEngine(NodeCatalogue catalogue, const QString& preferred = {},
                   bool trustServer = true) {
        transport = std::make_unique<CurlTransport>(trustServer ? catalogue.caFile : QString());
        engine = std::make_unique<SpeedTestEngine>(*transport, scheduler, Clock::system(),
                                                   std::move(catalogue), tuning);
        engine->preferredNodeID = preferred;
        QEventLoop loop;
        engine->onPhase = [&](Phase phase) {
            phases.push_back(phase);
            if (phase == Phase::done || phase == Phase::idle)
                QTimer::singleShot(0, &loop, &QEventLoop::quit);
            if (onPhase)
                onPhase(phase);
        };
        engine->onResult = [&](const SpeedTestEngine::Result& r) { result = r; };
        engine->onError = [&](const QString& message) { error = message; };
        engine->onProbe = [&](const QString& name, std::optional<double> ms) { probes[name] = ms; };
        bool finished = true;
        QTimer::singleShot(20000, &loop, [&] {
            finished = false;
            loop.quit();
        });
        engine->start();
        loop.exec();
        return finished;
    }

    std::unique_ptr<LocalHttpsServer> server;
    SpeedTestTuning tuning = shortTuning();
    QtScheduler scheduler;
    std::unique_ptr<CurlTransport> transport;
    std::unique_ptr<SpeedTestEngine> engine;
    std::function<void(Phase)> onPhase;
    std::vector<Phase> phases;
    std::optional<SpeedTestEngine::Result> result;
    QString error;
    std::map<QString, std::optional<double>> probes;
};

TEST_F(SpeedTestEndToEndTest, TransportPostsAWholeBodyAndReportsItDelivered) {
    CurlTransport curl(server->caFile());
    const auto body = std::make_shared<const QByteArray>(10485760, 'a');
    std::promise<TransferCompletion> completed;
    std::atomic<qint64> lastSent = 0;
    TransferRequest request;
    request.url = QUrl(server->url("/up"));
    request.body = body;
    TransferCallbacks callbacks;
    callbacks.onSent = [&](qint64 total) {
        EXPECT_GT(total, lastSent.load()); // cumulative and growing
        lastSent = total;
    };
    callbacks.onComplete = [&](const TransferCompletion& done) { completed.set_value(done); };
    curl.start(request, callbacks);
    auto future = completed.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    const TransferCompletion done = future.get();
    EXPECT_TRUE(done.ok) << done.error.toStdString();
    EXPECT_EQ(done.httpStatus, 200);
    EXPECT_LE(lastSent.load(), body->size());
    EXPECT_EQ(done.bodyBytesSent, body->size()); // the server read it all before answering
}

// Bytes still queued on this machine have not been delivered: with a peer that stops reading,
// the count must stay within what the peer's side has received.
TEST_F(SpeedTestEndToEndTest, TransportCountsOnlyWhatThePeerHasReceived) {
#ifndef __linux__
    GTEST_SKIP() << "the transport reads the unacknowledged queue on Linux only";
#endif
    constexpr qint64 kServerReads = 4 << 20;
    StallingTlsServer stalling(server->directory() + "/server.pem",
                               server->directory() + "/server.key", kServerReads);
    ASSERT_NE(stalling.port(), 0);
    CurlTransport curl(server->caFile());
    std::atomic<qint64> lastSent = 0;
    TransferRequest request;
    request.url = QUrl(QStringLiteral("https://127.0.0.1:%1/up").arg(stalling.port()));
    request.body = std::make_shared<const QByteArray>(64 << 20, 'a');
    TransferCallbacks callbacks;
    callbacks.onSent = [&](qint64 total) { lastSent = total; };
    const Transport::TransferId id = curl.start(request, callbacks);
    // Wait until the server has stopped reading and the count has stopped growing.
    const QDeadlineTimer deadline(15000);
    qint64 previous = -1;
    int unchanged = 0;
    while (unchanged < 10 && !deadline.hasExpired()) {
        QThread::msleep(50);
        const qint64 now = lastSent;
        unchanged = stalling.stalled() && now == previous ? unchanged + 1 : 0;
        previous = now;
    }
    ASSERT_TRUE(stalling.stalled());
    EXPECT_GE(lastSent.load(), kServerReads / 2);
    EXPECT_LE(lastSent.load(), stalling.bytesReceived());
    curl.cancel(id);
}

// A server that refuses a body early has not got it: the transport must not say it has.
TEST_F(SpeedTestEndToEndTest, TransportNeverReportsARefusedBodyAsSent) {
    CurlTransport curl(server->caFile());
    const auto body = std::make_shared<const QByteArray>(64 << 20, 'a');
    std::promise<TransferCompletion> completed;
    std::atomic<qint64> lastSent = 0;
    TransferRequest request;
    request.url = QUrl(server->url("/refuse-up"));
    request.body = body;
    TransferCallbacks callbacks;
    callbacks.onSent = [&](qint64 total) { lastSent = total; };
    callbacks.onComplete = [&](const TransferCompletion& done) { completed.set_value(done); };
    curl.start(request, callbacks);
    auto future = completed.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    const TransferCompletion done = future.get();
    EXPECT_EQ(done.httpStatus, 413);
    EXPECT_LT(lastSent.load(), body->size());
    EXPECT_LT(done.bodyBytesSent, body->size());
}

TEST_F(SpeedTestEndToEndTest, TransportKeepsSmallAnswersAndRefusesPlainHttp) {
    CurlTransport curl(server->caFile());
    auto fetch = [&](const QString& url) {
        std::promise<TransferCompletion> completed;
        TransferRequest request;
        request.url = QUrl(url);
        request.keepBodyBytes = 1024;
        TransferCallbacks callbacks;
        callbacks.onComplete = [&](const TransferCompletion& done) { completed.set_value(done); };
        curl.start(request, callbacks);
        return completed.get_future().get();
    };
    const TransferCompletion ping = fetch(server->url("/ping"));
    EXPECT_TRUE(ping.ok);
    EXPECT_EQ(ping.body, "pong");
    const TransferCompletion missing = fetch(server->url("/nothing"));
    EXPECT_TRUE(missing.ok);
    EXPECT_EQ(missing.httpStatus, 404);
    EXPECT_FALSE(fetch(server->url("/big.bin")).ok); // longer than kept
    QString plain = server->url("/ping");
    plain.replace("https:", "http:");
    EXPECT_FALSE(fetch(plain).ok);
}

TEST_F(SpeedTestEndToEndTest, FullRunGivesPlausibleFigures) {
    ASSERT_TRUE(runEngine(localCatalogue()));
    ASSERT_TRUE(result) << error.toStdString();
    EXPECT_EQ(phases, (std::vector{Phase::probing, Phase::ping, Phase::download, Phase::upload,
                                   Phase::done}));
    EXPECT_GT(result->downMbps, 10); // loose: the machine may be busy
    EXPECT_LT(result->downMbps, kMaxLoopbackMbps);
    EXPECT_GT(result->upMbps, 10);
    EXPECT_LT(result->upMbps, kMaxLoopbackMbps);
    EXPECT_GT(result->latencyMs, 0);
    EXPECT_LT(result->latencyMs, 1000);
    EXPECT_GE(result->jitterMs, 0);
    EXPECT_EQ(result->upNode, "本地上传");
    EXPECT_EQ(result->networkInfo, "出口 ZZ · CF LCL · 203.0.113.7");
    EXPECT_EQ(result->publicIP, "203.0.113.7");
    ASSERT_EQ(probes.size(), 2u);
    const auto local = probes.find("本地节点");
    ASSERT_NE(local, probes.end());
    EXPECT_TRUE(local->second.has_value());
}

TEST_F(SpeedTestEndToEndTest, NodeOnAClosedPortIsRankedLast) {
    NodeCatalogue catalogue = localCatalogue();
    const QString closed = QStringLiteral("https://127.0.0.1:%1").arg(closedLoopbackPort());
    catalogue.download.insert(catalogue.download.begin(),
                              node("closed", "关闭的节点", closed + "/ping", closed + "/big.bin"));
    ASSERT_TRUE(runEngine(catalogue));
    ASSERT_TRUE(result) << error.toStdString();
    const auto closedProbe = probes.find("关闭的节点");
    ASSERT_NE(closedProbe, probes.end()) << "the closed node was never probed";
    EXPECT_FALSE(closedProbe->second.has_value());
    EXPECT_NE(result->downNode, "关闭的节点");
    EXPECT_GT(result->downMbps, 10);
    EXPECT_LT(result->downMbps, kMaxLoopbackMbps);
}

TEST_F(SpeedTestEndToEndTest, NodeAnsweringNotFoundFallsBack) {
    ASSERT_TRUE(runEngine(localCatalogue("/missing.bin"), "local"));
    ASSERT_TRUE(result) << error.toStdString();
    EXPECT_EQ(result->downNode, "本地 CF");
    EXPECT_GT(result->downMbps, 10); // loose: the machine may be busy
    EXPECT_LT(result->downMbps, kMaxLoopbackMbps);
    EXPECT_EQ(std::count(phases.begin(), phases.end(), Phase::download), 2);
}

TEST_F(SpeedTestEndToEndTest, StopDuringDownloadLeavesNoTransferRunning) {
    onPhase = [this](Phase phase) {
        if (phase == Phase::download)
            QTimer::singleShot(300, [this] { engine->stop(); });
    };
    ASSERT_TRUE(runEngine(localCatalogue(), "local"));
    EXPECT_EQ(phases.back(), Phase::idle);
    EXPECT_FALSE(result);
    EXPECT_TRUE(error.isEmpty());
    const QDeadlineTimer deadline(5000);
    while (transport->activeCount() > 0 && !deadline.hasExpired())
        QThread::msleep(10);
    EXPECT_EQ(transport->activeCount(), 0);
}

TEST_F(SpeedTestEndToEndTest, UntrustedCertificateFailsProbing) {
    ASSERT_TRUE(runEngine(localCatalogue(), {}, false));
    EXPECT_FALSE(result);
    EXPECT_EQ(error, "无法连接测速节点，请检查网络");
    for (const auto& [name, ms] : probes)
        EXPECT_FALSE(ms.has_value()) << name.toStdString();
}

TEST_F(SpeedTestEndToEndTest, StalledDownloadEndsOnTime) {
    ASSERT_TRUE(runEngine(localCatalogue("/stall"), "local"));
    ASSERT_TRUE(result) << error.toStdString();
    EXPECT_EQ(result->downNode, "本地节点"); // the first 100 KiB arrived, so no fallback
    EXPECT_NE(std::find(phases.begin(), phases.end(), Phase::upload), phases.end());
    // The eight stalled transfers hold exactly 100 KiB each, so the figure gives the seconds
    // from the first byte to the phase's end: the 1.5 s phase, less a slow first byte, plus
    // at most 1 s that a busy machine may add. Transfers that held the phase open until they
    // ended would stretch it far beyond.
    const double measuredSeconds = 8 * 102400 * 8 / (result->downMbps * 1e6);
    EXPECT_GE(measuredSeconds, 0.5);
    EXPECT_LE(measuredSeconds, 2.5);
}

TEST_F(SpeedTestEndToEndTest, RefusedUploadsStillCompleteTheRun) {
    NodeCatalogue catalogue = localCatalogue();
    catalogue.upload = {{"ustc", "拒收", QUrl(server->url("/refuse-up"))},
                        {"cf", "也拒收", QUrl(server->url("/refuse-up"))}};
    ASSERT_TRUE(runEngine(catalogue, "local"));
    ASSERT_TRUE(result) << error.toStdString();
    EXPECT_GT(result->downMbps, 10);
    EXPECT_LT(result->downMbps, kMaxLoopbackMbps);
    EXPECT_EQ(result->upMbps, 0);
    EXPECT_EQ(result->upNode, "也拒收"); // nothing was accepted, so the run moved to "cf"
    EXPECT_EQ(std::count(phases.begin(), phases.end(), Phase::upload), 2);
}

TEST_F(SpeedTestEndToEndTest, EndlessTraceIsCutOff) {
    ASSERT_TRUE(runEngine(localCatalogue("/big.bin", "/endless-trace"), "local"));
    ASSERT_TRUE(result) << error.toStdString();
    EXPECT_EQ(result->networkInfo, "");
    EXPECT_EQ(result->publicIP, "");
}

// --- Hostile and odd servers ---

class HostileServerTest;

struct HostileCase {
    const char* name;
    // Points the catalogue (and the tuning) at the odd answer.
    std::function<void(NodeCatalogue&, SpeedTestTuning&, const LocalHttpsServer&,
                       const SilentPort&)>
        prepare;
    QString preferred;
    std::function<void(const HostileServerTest&, const LocalHttpsServer&)> check;

    friend void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }
};

class HostileServerTest : public SpeedTestEndToEndTest,
                          public testing::WithParamInterface<HostileCase> {
public:
    const std::optional<SpeedTestEngine::Result>& outcome() const { return result; }
    const QString& failure() const { return error; }
    int phaseCount(Phase phase) const {
        return int(std::count(phases.begin(), phases.end(), phase));
    }
    const std::map<QString, std::optional<double>>& probeTimes() const { return probes; }
};

TEST_P(HostileServerTest, EndsWithSoundFigures) {
    const HostileCase& c = GetParam();
    SilentPort silent;
    NodeCatalogue catalogue = localCatalogue();
    c.prepare(catalogue, tuning, *server, silent);
    ASSERT_TRUE(runEngine(catalogue, c.preferred)) << "the run did not end";
    c.check(*this, *server);
}

void useDownloadPath(NodeCatalogue& catalogue, const LocalHttpsServer& server, const char* path) {
    catalogue.download[0].downloadURL = QUrl(server.url(QString::fromLatin1(path)));
}

// The first node's download was unusable, so the run measured the second one.
void expectFellBack(const HostileServerTest& test) {
    ASSERT_TRUE(test.outcome()) << test.failure().toStdString();
    EXPECT_EQ(test.outcome()->downNode, "本地 CF");
    EXPECT_EQ(test.phaseCount(Phase::download), 2);
    EXPECT_GT(test.outcome()->downMbps, 10);
    EXPECT_LT(test.outcome()->downMbps, kMaxLoopbackMbps);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileServerTest,
    testing::Values(
        HostileCase{"RedirectToPlainHttpIsRefused",
                    [](NodeCatalogue& c, SpeedTestTuning&, const LocalHttpsServer& s,
                       const SilentPort&) { useDownloadPath(c, s, "/to-http"); },
                    "local",
                    [](const HostileServerTest& t, const LocalHttpsServer& s) {
                        expectFellBack(t);
                        EXPECT_EQ(s.requestCount("/to-http"), 8); // failures are not repeated
                    }},
        HostileCase{"RedirectLoopIsBounded",
                    [](NodeCatalogue& c, SpeedTestTuning&, const LocalHttpsServer& s,
                       const SilentPort&) { useDownloadPath(c, s, "/loop"); },
                    "local",
                    [](const HostileServerTest& t, const LocalHttpsServer& s) {
                        expectFellBack(t);
                        EXPECT_EQ(s.requestCount("/loop"), 8 * 6); // five redirects each
                    }},
        HostileCase{"HugeHeadersAreRefused",
                    [](NodeCatalogue& c, SpeedTestTuning&, const LocalHttpsServer& s,
                       const SilentPort&) { useDownloadPath(c, s, "/huge-headers"); },
                    "local",
                    [](const HostileServerTest& t, const LocalHttpsServer& s) {
                        expectFellBack(t);
                        EXPECT_EQ(s.requestCount("/huge-headers"), 8);
                    }},
        HostileCase{"EmptyAnswersAreAskedForAgainOnlyAfterAPause",
                    [](NodeCatalogue& c, SpeedTestTuning&, const LocalHttpsServer& s,
                       const SilentPort&) { useDownloadPath(c, s, "/empty"); },
                    "local",
                    [](const HostileServerTest& t, const LocalHttpsServer& s) {
                        expectFellBack(t);
                        // In 1.5 s: at the start, after 0.5 s and perhaps after 1.5 s.
                        EXPECT_GE(s.requestCount("/empty"), 16);
                        EXPECT_LE(s.requestCount("/empty"), 24);
                    }},
        HostileCase{
            "ResetDuringUploadEndsTheRun",
            [](NodeCatalogue& c, SpeedTestTuning&, const LocalHttpsServer& s, const SilentPort&) {
                c.upload = {{"ustc", "断开", QUrl(s.url("/reset-up"))},
                            {"cf", "也断开", QUrl(s.url("/reset-up"))}};
            },
            "local",
            [](const HostileServerTest& t, const LocalHttpsServer& s) {
                ASSERT_TRUE(t.outcome()) << t.failure().toStdString();
                EXPECT_GE(t.outcome()->upMbps, 0);
                EXPECT_LT(t.outcome()->upMbps, kMaxLoopbackMbps);
                // Each upload phase sends eight bodies; a reset one is not sent again.
                EXPECT_EQ(s.requestCount("/reset-up"), 8 * t.phaseCount(Phase::upload));
            }},
        HostileCase{
            "CertificateForAnotherHostIsRefused",
            [](NodeCatalogue& c, SpeedTestTuning&, const LocalHttpsServer& s, const SilentPort&) {
                c.download.insert(
                    c.download.begin(),
                    node("other", "别的主机", s.otherHostUrl("/ping"), s.otherHostUrl("/big.bin")));
            },
            "",
            [](const HostileServerTest& t, const LocalHttpsServer&) {
                ASSERT_TRUE(t.outcome()) << t.failure().toStdString();
                EXPECT_FALSE(t.probeTimes().at("别的主机").has_value());
                EXPECT_NE(t.outcome()->downNode, "别的主机");
            }},
        HostileCase{"SilentHandshakeEndsTheProbeOnTime",
                    [](NodeCatalogue& c, SpeedTestTuning& tuning, const LocalHttpsServer&,
                       const SilentPort& silent) {
                        tuning.probeTimeout = 1;
                        c.download.insert(
                            c.download.begin(),
                            node("silent", "沉默", silent.url("/ping"), silent.url("/big.bin")));
                    },
                    "",
                    [](const HostileServerTest& t, const LocalHttpsServer&) {
                        ASSERT_TRUE(t.outcome()) << t.failure().toStdString();
                        EXPECT_FALSE(t.probeTimes().at("沉默").has_value());
                        EXPECT_NE(t.outcome()->downNode, "沉默");
                    }},
        HostileCase{"SilentHandshakeEndsTheLatencyPhaseOnTime",
                    [](NodeCatalogue& c, SpeedTestTuning& tuning, const LocalHttpsServer&,
                       const SilentPort& silent) {
                        tuning.pingTimeout = 0.5;
                        c.download.insert(
                            c.download.begin(),
                            node("silent", "沉默", silent.url("/ping"), silent.url("/big.bin")));
                    },
                    "silent",
                    [](const HostileServerTest& t, const LocalHttpsServer&) {
                        EXPECT_FALSE(t.outcome());
                        EXPECT_EQ(t.failure(), "无法连接测速节点，请检查网络");
                    }}),
    [](const testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

// Latency probes under load go on one kept-alive connection of their own, one after the
// other, never on a connection of the transfers that load the link.
TEST_F(SpeedTestEndToEndTest, TransportKeepsTheProbesOnTheirOwnConnection) {
    CurlTransport curl(server->caFile());
    // Eight transfers that end and start again all the time, as replaced downloads do: on a
    // shared pool they would take the probes' idle connection and lend theirs.
    std::atomic<bool> churning = true;
    std::atomic<int> churned = 0;
    std::function<void()> churn = [&] {
        TransferRequest request;
        request.url = QUrl(server->url("/empty"));
        TransferCallbacks callbacks;
        callbacks.onComplete = [&](const TransferCompletion&) {
            ++churned;
            if (churning)
                churn();
        };
        curl.start(request, callbacks);
    };
    for (int i = 0; i < 8; ++i)
        churn();
    for (int i = 0; i < 5; ++i) {
        QThread::msleep(50);
        TransferRequest request;
        request.url = QUrl(server->url("/ping"));
        request.dedicatedConnection = true;
        std::promise<TransferCompletion> completed;
        TransferCallbacks callbacks;
        callbacks.onComplete = [&](const TransferCompletion& done) { completed.set_value(done); };
        curl.start(request, callbacks);
        auto future = completed.get_future();
        ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_TRUE(future.get().ok);
    }
    churning = false;
    const QDeadlineTimer deadline(5000);
    while (curl.activeCount() > 0 && !deadline.hasExpired())
        QThread::msleep(10);
    EXPECT_GT(churned.load(), 16); // the transfers went on meanwhile

    const QList<int> probes = server->connectionsOf("/ping");
    ASSERT_EQ(probes.size(), 5);
    EXPECT_EQ(QSet<int>(probes.begin(), probes.end()).size(), 1) << "one kept-alive connection";
    const QList<int> transfers = server->connectionsOf("/empty");
    EXPECT_FALSE(transfers.contains(probes.front()));
}

TEST_F(SpeedTestEndToEndTest, FullRunMeasuresLatencyUnderLoad) {
    // Five seconds after the warm-up: on a busy machine the probe's own connection is set up
    // while eight transfers hold both cores, a loopback probe under load can take a second, and
    // one still out when the phase ends is not counted.
    tuning.downloadSeconds = 6;
    tuning.uploadSeconds = 6;
    ASSERT_TRUE(runEngine(localCatalogue()));
    ASSERT_TRUE(result) << error.toStdString();
    // On loopback a round trip under load stays far below the 2 s that a lost probe counts.
    for (const auto& [direction, loaded] :
         {std::pair{"download", result->loadedDownMs}, std::pair{"upload", result->loadedUpMs}}) {
        ASSERT_TRUE(loaded.has_value()) << direction;
        EXPECT_GT(*loaded, 0);
        EXPECT_LT(*loaded, 1000);
    }
    ASSERT_TRUE(result->bloatMs().has_value());
    EXPECT_GE(*result->bloatMs(), 0);
    EXPECT_LT(*result->bloatMs(), 1000);
    EXPECT_FALSE(result->bloatGrade().isEmpty());
    ASSERT_TRUE(result->rpm().has_value());
    EXPECT_GT(*result->rpm(), 60);      // a mean under 1 s
    EXPECT_LT(*result->rpm(), 6000000); // a mean over 10 µs: a real round trip
}

} // namespace
