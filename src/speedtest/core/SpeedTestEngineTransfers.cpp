#include "speedtest/core/SpeedTestEngine.h"

#include "common/Clock.h"
#include "speedtest/core/SpeedTestEngineRelay.h"

#include <algorithm>

// The download and upload phases: parallel transfers, their counting and the figures.

namespace {

bool isSuccessStatus(int status) {
    return status >= 200 && status < 300;
}

} // namespace

void SpeedTestEngine::runDownload() {
    runTransferPhase(Phase::download, m_tuning.downloadSeconds);
}

void SpeedTestEngine::runUpload() {
    if (!m_activeUpload) {
        // Waiting out an upload phase without a node would only look like measuring.
        completeRun();
        return;
    }
    runTransferPhase(Phase::upload, m_tuning.uploadSeconds);
}

void SpeedTestEngine::runTransferPhase(Phase phase, double seconds) {
    const quint64 run = m_run;
    enterPhase(phase);
    if (m_run != run)
        return;
    ++m_transferPhase;
    resetCounters();
    m_phaseStart = m_clock.elapsedSeconds();
    m_phaseDuration = seconds;
    for (int i = 0; i < m_tuning.connections; ++i)
        launchPhaseTask(m_tuning.shortTransferPause);
    // The same request as the idle latency, so the difference is what the load adds.
    if (m_activeNode && m_tuning.loadedProbeInterval > 0)
        m_loadedProbe.start(m_activeNode->pingURL);
    restartTicker();
}

void SpeedTestEngine::launchPhaseTask(double shortPause) {
    if (m_phase == Phase::download && m_activeNode) {
        TransferRequest request;
        request.url = m_activeNode->downloadURL;
        request.timeoutSeconds = m_tuning.transferTimeout;
        launchTask(std::move(request), false, shortPause);
    } else if (m_phase == Phase::upload && m_activeUpload) {
        if (!m_uploadPayload)
            m_uploadPayload = std::make_shared<const QByteArray>(m_tuning.uploadChunk, 'a');
        TransferRequest request;
        request.url = m_activeUpload->url;
        request.body = m_uploadPayload;
        request.timeoutSeconds = m_tuning.transferTimeout;
        launchTask(std::move(request), true, shortPause);
    }
}

void SpeedTestEngine::launchTask(TransferRequest request, bool upload, double shortPause) {
    const std::shared_ptr<ThroughputCounter> counter = m_counter;
    auto share = counter->track();
    TransferCallbacks callbacks;
    if (upload) {
        callbacks.onSent = [counter, share](qint64 total) { counter->sent(*share, total); };
    } else {
        // An error page is not the file: only a successful answer's bytes count.
        callbacks.onData = [counter, share](qint64 bytes, int status) {
            if (isSuccessStatus(status))
                counter->received(*share, bytes);
        };
    }
    callbacks.onComplete = [relay = std::weak_ptr(m_relay), counter, share,
                            upload](const TransferCompletion& done) {
        if (upload) {
            const bool refused = done.httpStatus != 0 && !isSuccessStatus(done.httpStatus);
            counter->uploadEnded(*share, refused, done.ok ? done.bodyBytesSent : 0);
        }
        if (const auto alive = relay.lock()) {
            alive->post(
                [share, done](SpeedTestEngine& engine) { engine.taskCompleted(share, done); },
                relay);
        }
    };
    const Transport::TransferId id = m_transport.start(std::move(request), std::move(callbacks));
    m_tasks.push_back({share, id, shortPause});
}

void SpeedTestEngine::taskCompleted(const std::shared_ptr<ThroughputCounter::Transfer>& share,
                                    const TransferCompletion& completion) {
    const auto it = std::find_if(m_tasks.begin(), m_tasks.end(),
                                 [&](const Task& task) { return task.share == share; });
    if (it == m_tasks.end())
        return;
    const Task task = *it;
    m_tasks.erase(it);
    // Failed answers are not replaced: a node that refuses would be asked again at once.
    if (!completion.ok || !isSuccessStatus(completion.httpStatus))
        return;
    if (m_counter->counted(*share) >= m_tuning.shortTransferBytes) {
        launchPhaseTask(m_tuning.shortTransferPause);
        return;
    }
    // An answer that carries next to nothing would otherwise be asked for again at once,
    // thousands of times a second; the pause grows while the answers stay short.
    m_scheduler.after(
        task.shortPause,
        guarded([phase = m_transferPhase, next = task.shortPause * 2](SpeedTestEngine& engine) {
            if (engine.m_transferPhase == phase)
                engine.launchPhaseTask(next);
        }));
}

void SpeedTestEngine::resetCounters() {
    m_counter->reset();
}

void SpeedTestEngine::cancelTasks() {
    m_loadedProbe.stop();
    std::vector<Task> tasks;
    tasks.swap(m_tasks);
    std::vector<std::shared_ptr<ThroughputCounter::Transfer>> shares;
    for (const Task& task : tasks)
        shares.push_back(task.share);
    m_counter->retire(shares);
    for (const Task& task : tasks)
        m_transport.cancel(task.id);
}

void SpeedTestEngine::tick() {
    if (!m_phaseStart || !isRunning())
        return;
    const double now = m_clock.elapsedSeconds();
    const double elapsed = now - *m_phaseStart;
    const ThroughputCounter::Rates rates = m_counter->sample(now, *m_phaseStart);
    const quint64 run = m_run;
    if (onTick)
        onTick(m_phase, rates.instantMbps, rates.averageMbps,
               std::min(elapsed / m_phaseDuration, 1.0));
    if (m_run == run && elapsed >= m_phaseDuration)
        endPhase();
}

std::pair<double, bool> SpeedTestEngine::summarize() {
    return m_counter->summarize(m_clock.elapsedSeconds());
}

void SpeedTestEngine::endPhase() {
    if (m_phase == Phase::download) {
        cancelTasks();
        const auto [mbps, hasData] = summarize();
        if (hasData) {
            m_result.downMbps = mbps;
            m_result.loadedDownMs = m_loadedProbe.latencyMs();
            runUpload();
            return;
        }
        if (m_downCandidates.empty()) {
            fail(QStringLiteral("下载测速失败：所有候选节点均无数据返回"));
            return;
        }
        m_activeNode = m_downCandidates.front();
        m_downCandidates.erase(m_downCandidates.begin());
        m_result.downNode = m_activeNode->name;
        m_result.downNodeDetail = m_activeNode->detail;
        const quint64 run = m_run;
        announceNodes();
        if (m_run == run)
            runDownload();
        return;
    }
    if (m_phase != Phase::upload)
        return;
    cancelTasks();
    const auto [mbps, hasData] = summarize();
    if (!hasData && m_activeUpload->id != QLatin1String("cf")) {
        if (auto fallback = m_catalogue.uploadNode(QStringLiteral("cf"))) {
            m_activeUpload = fallback;
            runUpload();
            return;
        }
    }
    m_result.upMbps = mbps;
    m_result.loadedUpMs = m_loadedProbe.latencyMs();
    completeRun();
}

void SpeedTestEngine::completeRun() {
    m_result.upNode = m_activeUpload ? m_activeUpload->name : QStringLiteral("—");
    m_result.noUploadNode = !m_activeUpload;
    stopTicker();
    m_result.iface = m_networkIdentity.iface;
    m_result.mac = m_networkIdentity.mac;
    m_result.ipv4 = m_networkIdentity.ipv4;
    m_result.ipv6 = m_networkIdentity.ipv6;
    m_result.publicIP = m_networkPublicIP;
    const quint64 run = m_run;
    enterPhase(Phase::done);
    if (m_run == run && onResult)
        onResult(m_result);
}
