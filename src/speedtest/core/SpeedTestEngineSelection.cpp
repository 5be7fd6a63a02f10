#include "speedtest/core/SpeedTestEngine.h"

#include "common/Clock.h"
#include "speedtest/core/SpeedTestEngineRelay.h"

#include <algorithm>
#include <cmath>

// Choosing the node by probing, and the idle latency series.

void SpeedTestEngine::enterProbing() {
    const quint64 run = m_run;
    enterPhase(Phase::probing);
    if (m_run != run)
        return;
    resetCounters();
    m_phaseStart = m_clock.elapsedSeconds();
    m_phaseDuration = m_tuning.probingScale;
    restartTicker();
    sendNetworkInfoRequest();

    if (const auto preferred = m_catalogue.node(preferredNodeID)) {
        m_activeNode = preferred;
        for (const SpeedTestNode& node : m_catalogue.download) {
            if (node.id != preferred->id)
                m_downCandidates.push_back(node);
        }
        m_activeUpload = pickUploadNode();
        runPing();
        return;
    }
    m_probePending = int(m_catalogue.download.size());
    if (m_probePending == 0) {
        // Nothing to probe would otherwise leave the run waiting for ever.
        finishProbingIfReady();
        return;
    }
    for (const SpeedTestNode& node : m_catalogue.download)
        probeNode(node, 0);
}

void SpeedTestEngine::probeNode(const SpeedTestNode& node, int attempt) {
    TransferRequest request;
    request.url = node.pingURL;
    request.timeoutSeconds = m_tuning.probeTimeout;
    const double t0 = m_clock.elapsedSeconds();
    sendRequest(request, [node, attempt, t0](SpeedTestEngine& engine,
                                             const TransferCompletion& done, double answeredAt) {
        engine.probeAnswered(node, (answeredAt - t0) * 1000, done.ok, attempt);
    });
}

void SpeedTestEngine::probeAnswered(const SpeedTestNode& node, double rttMs, bool ok, int attempt) {
    if (m_phase != Phase::probing)
        return;
    if (ok) {
        const auto it = m_probeBest.find(node.id);
        m_probeBest[node.id] = it == m_probeBest.end() ? rttMs : std::min(it->second, rttMs);
    }
    if (attempt + 1 < m_tuning.probeAttempts) {
        probeNode(node, attempt + 1);
        return;
    }
    --m_probePending;
    if (onProbe) {
        const quint64 run = m_run;
        const auto it = m_probeBest.find(node.id);
        onProbe(node.name,
                it == m_probeBest.end() ? std::nullopt : std::optional<double>(it->second));
        if (m_run != run)
            return;
    }
    finishProbingIfReady();
}

void SpeedTestEngine::finishProbingIfReady() {
    if (m_phase != Phase::probing || m_probePending > 0)
        return;
    std::vector<SpeedTestNode> ranked;
    for (const SpeedTestNode& node : m_catalogue.download) {
        if (m_probeBest.contains(node.id))
            ranked.push_back(node);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [this](const auto& a, const auto& b) {
        return m_probeBest.at(a.id) < m_probeBest.at(b.id);
    });
    for (const SpeedTestNode& node : m_catalogue.download) {
        if (!m_probeBest.contains(node.id))
            ranked.push_back(node);
    }
    if (ranked.empty()) {
        fail(QStringLiteral("无法连接任何测速节点，请检查网络"));
        return;
    }
    m_activeNode = ranked.front();
    m_downCandidates.assign(ranked.begin() + 1, ranked.end());
    m_activeUpload = pickUploadNode();
    const quint64 run = m_run;
    announceNodes();
    if (m_run == run)
        runPing();
}

std::optional<UploadTestNode> SpeedTestEngine::pickUploadNode() const {
    if (auto ustc = m_catalogue.uploadNode(QStringLiteral("ustc")))
        return ustc;
    if (!m_catalogue.upload.empty())
        return m_catalogue.upload.front();
    return std::nullopt;
}

void SpeedTestEngine::announceNodes() {
    if (!onNodePicked || !m_activeNode)
        return;
    UploadTestNode upload;
    if (m_activeUpload)
        upload = *m_activeUpload;
    else if (!m_catalogue.upload.empty())
        upload = m_catalogue.upload.front();
    onNodePicked(*m_activeNode, upload, m_networkInfo);
}

void SpeedTestEngine::runPing() {
    const quint64 run = m_run;
    enterPhase(Phase::ping);
    if (m_run != run)
        return;
    m_phaseStart = m_clock.elapsedSeconds();
    m_phaseDuration = m_tuning.pingScale;
    restartTicker();
    m_pingRTTs.clear();
    m_pingDone = 0;
    nextPing();
}

void SpeedTestEngine::nextPing() {
    if (m_phase != Phase::ping || m_pingDone >= m_tuning.pingCount) {
        finishPing();
        return;
    }
    if (!m_activeNode) {
        fail(QStringLiteral("测速节点不可用"));
        return;
    }
    ++m_pingDone;
    TransferRequest request;
    request.url = m_activeNode->pingURL;
    request.timeoutSeconds = m_tuning.pingTimeout;
    const double t0 = m_clock.elapsedSeconds();
    sendRequest(request,
                [t0](SpeedTestEngine& engine, const TransferCompletion& done, double answeredAt) {
                    engine.pingAnswered((answeredAt - t0) * 1000, done.ok);
                });
}

void SpeedTestEngine::pingAnswered(double rttMs, bool ok) {
    if (m_phase != Phase::ping)
        return;
    const quint64 run = m_run;
    if (ok) {
        m_pingRTTs.push_back(rttMs);
        if (onPingSample)
            onPingSample(rttMs);
        if (m_run != run)
            return;
    }
    m_scheduler.after(m_tuning.pingPause,
                      guarded([](SpeedTestEngine& engine) { engine.nextPing(); }));
}

void SpeedTestEngine::finishPing() {
    if (m_phase != Phase::ping)
        return;
    if (m_pingRTTs.empty()) {
        fail(QStringLiteral("无法连接测速节点，请检查网络"));
        return;
    }
    std::vector<double> sorted = m_pingRTTs;
    std::stable_sort(sorted.begin(), sorted.end());
    const double latency = sorted[sorted.size() / 2];
    const double bound = std::max(latency * 1.6, latency + 20);
    std::vector<double> series;
    for (double rtt : m_pingRTTs) {
        if (rtt <= bound)
            series.push_back(rtt);
    }
    if (series.size() <= 2)
        series = m_pingRTTs;
    double jitter = 0;
    if (series.size() > 1) {
        for (std::size_t i = 1; i < series.size(); ++i)
            jitter += std::abs(series[i] - series[i - 1]);
        jitter /= double(series.size() - 1);
    }
    m_result.latencyMs = latency;
    m_result.jitterMs = jitter;
    if (m_activeNode) {
        m_result.downNode = m_activeNode->name;
        m_result.downNodeDetail = m_activeNode->detail;
    }
    const quint64 run = m_run;
    if (onPing)
        onPing(latency, jitter);
    if (m_run == run)
        runDownload();
}
