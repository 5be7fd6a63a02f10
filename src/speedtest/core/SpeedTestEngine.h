#pragma once

#include "speedtest/core/LoadedLatencyProbe.h"
#include "speedtest/core/NetworkIdentity.h"
#include "speedtest/core/NodeCatalogue.h"
#include "speedtest/core/Scheduler.h"
#include "speedtest/core/SpeedTestResult.h"
#include "speedtest/core/SpeedTestTuning.h"
#include "speedtest/core/ThroughputCounter.h"
#include "speedtest/core/Transport.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <utility>
#include <vector>

class Clock;

// Runs one speed test at a time: picks a node, measures latency and jitter, then download and
// upload throughput, and reports through the callbacks, all on the main thread.
class SpeedTestEngine {
public:
    using Result = SpeedTestResult;

    enum class Phase { idle, probing, ping, download, upload, done };
    static QString label(Phase phase);
    static bool isRunningPhase(Phase phase);

    SpeedTestEngine(Transport& transport, Scheduler& scheduler, const Clock& clock,
                    NodeCatalogue catalogue, SpeedTestTuning tuning = {});
    ~SpeedTestEngine();
    SpeedTestEngine(const SpeedTestEngine&) = delete;
    SpeedTestEngine& operator=(const SpeedTestEngine&) = delete;

    // Begins a run unless one is running.
    void start();
    // Ends the running run without a result and without an error.
    void stop();

    bool isRunning() const { return isRunningPhase(m_phase); }
    Phase phase() const { return m_phase; }
    const Result& result() const { return m_result; }
    const std::optional<SpeedTestNode>& activeNode() const { return m_activeNode; }
    const std::optional<UploadTestNode>& activeUpload() const { return m_activeUpload; }
    const std::vector<SpeedTestNode>& downCandidates() const { return m_downCandidates; }
    const NodeCatalogue& catalogue() const { return m_catalogue; }

    // The trace answer's summary ("出口 loc · CF colo · ip") and its ip.
    static std::pair<QString, QString> parseTrace(QStringView text);

    // The download node picked by the user; empty or unknown means choosing by probing.
    QString preferredNodeID;
    // Where start() takes the local network identity from.
    std::function<NetworkIdentity::Snapshot()> identitySource = &NetworkIdentity::snapshot;

    std::function<void(Phase)> onPhase;
    std::function<void(Phase, double instantMbps, double averageMbps, double progress)> onTick;
    std::function<void(double rttMs)> onPingSample;
    std::function<void(double latencyMs, double jitterMs)> onPing;
    // While a transfer phase runs: the median of its counted latency probes so far.
    std::function<void(Phase, double loadedMs)> onLoadedLatency;
    std::function<void(const Result&)> onResult;
    std::function<void(const QString& message)> onError;
    std::function<void(const QString& nodeName, std::optional<double> bestMs)> onProbe;
    std::function<void(const SpeedTestNode& download, const UploadTestNode& upload,
                       const QString& networkInfo)>
        onNodePicked;

private:
    struct Relay;
    struct Task {
        std::shared_ptr<ThroughputCounter::Transfer> share;
        Transport::TransferId id = 0;
        // How long to wait before replacing it if its answer turns out short.
        double shortPause = 0;
    };

    void enterPhase(Phase phase);
    void enterProbing();
    void sendNetworkInfoRequest();
    void probeNode(const SpeedTestNode& node, int attempt);
    void probeAnswered(const SpeedTestNode& node, double rttMs, bool ok, int attempt);
    void finishProbingIfReady();
    std::optional<UploadTestNode> pickUploadNode() const;
    void announceNodes();

    void runPing();
    void nextPing();
    void pingAnswered(double rttMs, bool ok);
    void finishPing();

    void runDownload();
    void runUpload();
    // Enters a download or upload phase and starts its parallel transfers.
    void runTransferPhase(Phase phase, double seconds);
    // One more transfer of the running download or upload phase.
    void launchPhaseTask(double shortPause);
    void launchTask(TransferRequest request, bool upload, double shortPause);
    void taskCompleted(const std::shared_ptr<ThroughputCounter::Transfer>& share,
                       const TransferCompletion& completion);
    void resetCounters();
    void cancelTasks();
    void tick();
    std::pair<double, bool> summarize();
    void endPhase();
    void completeRun();

    void restartTicker();
    void stopTicker();
    void fail(const QString& message);
    // Runs action on the main thread if the engine and the current run still exist.
    void
    sendRequest(TransferRequest request,
                std::function<void(SpeedTestEngine&, const TransferCompletion&, double)> answered);
    std::function<void()> guarded(std::function<void(SpeedTestEngine&)> action);

    Transport& m_transport;
    Scheduler& m_scheduler;
    const Clock& m_clock;
    const NodeCatalogue m_catalogue;
    const SpeedTestTuning m_tuning;

    Phase m_phase = Phase::idle;
    quint64 m_run = 0;
    std::optional<SpeedTestNode> m_activeNode;
    std::optional<UploadTestNode> m_activeUpload;
    std::vector<SpeedTestNode> m_downCandidates;
    std::map<QString, double> m_probeBest;
    int m_probePending = 0;
    NetworkIdentity::Snapshot m_networkIdentity;
    QString m_networkInfo;
    QString m_networkPublicIP;
    Result m_result;

    std::optional<double> m_phaseStart;
    double m_phaseDuration = 0;
    std::optional<Scheduler::TimerId> m_ticker;

    std::vector<double> m_pingRTTs;
    int m_pingDone = 0;
    std::vector<Task> m_tasks;
    quint64 m_transferPhase = 0;
    std::shared_ptr<ThroughputCounter> m_counter;
    std::shared_ptr<const QByteArray> m_uploadPayload;
    std::set<Transport::TransferId> m_requests;
    LoadedLatencyProbe m_loadedProbe;
    std::shared_ptr<Relay> m_relay;
};
