#pragma once

#include "speedtest/core/SpeedTestEngine.h"

#include "FakeScheduler.h"
#include "FakeTransport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using Phase = SpeedTestEngine::Phase;

// Host parts of the built-in catalogue's URLs, as the fake transport matches them.
const QString kTrace = QStringLiteral("/cdn-cgi/trace");
const QString kTunaPing = QStringLiteral("tuna.tsinghua.edu.cn/ubuntu-releases/22.04/SHA256SUMS");
const QString kHuaweiPing = QStringLiteral("huaweicloud.com/ubuntu-releases/22.04/SHA256SUMS");
const QString kBfsuPing = QStringLiteral("bfsu.edu.cn/ubuntu-releases/22.04/SHA256SUMS");
const QString kUstcUpload = QStringLiteral("/backend/empty.php");
const QString kCfUpload = QStringLiteral("/__up");

// Binary fractions keep every time stamp exact, so phase ends fall on exact ticks.
constexpr double kStep = 1.0 / 64;

// The engine on a fake clock, scheduler and transport, with every callback recorded.
class SpeedTestEngineTest : public testing::Test {
protected:
    SpeedTestEngineTest() { makeEngine(NodeCatalogue::builtIn()); }

    void makeEngine(NodeCatalogue catalogue) {
        engine.reset();
        SpeedTestTuning tuning;
        tuning.pingPause = 0.125;
        engine = std::make_unique<SpeedTestEngine>(transport, scheduler, clock,
                                                   std::move(catalogue), tuning);
        engine->identitySource = [] {
            return NetworkIdentity::Snapshot{"eth0", "AA:BB:CC:DD:EE:FF", "192.168.1.23",
                                             "2001:db8::7", ""};
        };
        engine->onPhase = [this](Phase phase) { phases.push_back(phase); };
        engine->onError = [this](const QString& message) { errors.push_back(message); };
        engine->onProbe = [this](const QString& name, std::optional<double> ms) {
            probes.push_back({name, ms});
        };
        engine->onNodePicked = [this](const SpeedTestNode& down, const UploadTestNode& up,
                                      const QString&) {
            picked.push_back({down.id, up.id});
        };
        engine->onPingSample = [this](double ms) { samples.push_back(ms); };
        engine->onPing = [this](double latency, double jitter) {
            pings.push_back({latency, jitter});
        };
        engine->onResult = [this](const SpeedTestEngine::Result& result) {
            results.push_back(result);
        };
        engine->onTick = [this](Phase phase, double instant, double average, double progress) {
            ticks.push_back({phase, instant, average, progress});
        };
    }

    // Answers the latency series: each sample after its round-trip time.
    void answerPings(const QString& ping, const std::vector<double>& rttSeconds) {
        for (double rtt : rttSeconds) {
            scheduler.advance(rtt);
            transport.answer(ping, rtt >= 0);
            scheduler.drain();
            scheduler.advance(0.125);
        }
    }

    void startWithPreferred(const QString& id) {
        engine->preferredNodeID = id;
        engine->start();
    }

    // From a start with a preferred node to the download phase with 8 quick pings.
    void reachDownload(const QString& id, const QString& ping) {
        startWithPreferred(id);
        transport.answer(kTrace, false);
        answerPings(ping, std::vector<double>(8, kStep));
        ASSERT_EQ(engine->phase(), Phase::download);
    }

    std::vector<Transport::TransferId> openDownloads(const QString& part) {
        return transport.open(part);
    }

    struct Probe {
        QString name;
        std::optional<double> ms;
    };
    struct Tick {
        Phase phase;
        double instant, average, progress;
    };

    FakeClock clock;
    FakeTransport transport;
    FakeScheduler scheduler{clock};
    std::unique_ptr<SpeedTestEngine> engine;
    std::vector<Phase> phases;
    std::vector<QString> errors;
    std::vector<Probe> probes;
    std::vector<std::pair<QString, QString>> picked;
    std::vector<double> samples;
    std::vector<std::pair<double, double>> pings;
    std::vector<SpeedTestEngine::Result> results;
    std::vector<Tick> ticks;
};
