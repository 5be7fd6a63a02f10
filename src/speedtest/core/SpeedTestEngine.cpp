#include "speedtest/core/SpeedTestEngine.h"

#include "common/Clock.h"
#include "speedtest/core/TraceAnswer.h"

#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <limits>

// Hands answers from the transport's thread to the engine on the main thread; cleared when
// the engine goes away, so late answers find nobody.
struct SpeedTestEngine::Relay {
    std::mutex mutex;
    Scheduler* scheduler = nullptr;
    SpeedTestEngine* engine = nullptr;

    void post(std::function<void(SpeedTestEngine&)> action, std::weak_ptr<Relay> self) {
        const std::lock_guard guard(mutex);
        if (!scheduler)
            return;
        scheduler->post([self, action = std::move(action)] {
            const auto relay = self.lock();
            if (relay && relay->engine)
                action(*relay->engine);
        });
    }
};

namespace {

bool isSuccessStatus(int status) {
    return status >= 200 && status < 300;
}

} // namespace

QString SpeedTestEngine::label(Phase phase) {
    switch (phase) {
    case Phase::idle:
        return QStringLiteral("就绪");
    case Phase::probing:
        return QStringLiteral("正在选择最优测速节点…");
    case Phase::ping:
        return QStringLiteral("测量延迟中…");
    case Phase::download:
        return QStringLiteral("下载测速中…");
    case Phase::upload:
        return QStringLiteral("上传测速中…");
    case Phase::done:
        return QStringLiteral("测速完成");
    }
    return {};
}

bool SpeedTestEngine::isRunningPhase(Phase phase) {
    return phase == Phase::probing || phase == Phase::ping || phase == Phase::download ||
           phase == Phase::upload;
}

SpeedTestEngine::SpeedTestEngine(Transport& transport, Scheduler& scheduler, const Clock& clock,
                                 NodeCatalogue catalogue, SpeedTestTuning tuning)
    : m_transport(transport), m_scheduler(scheduler), m_clock(clock),
      m_catalogue(std::move(catalogue)), m_tuning(tuning),
      m_counter(std::make_shared<ThroughputCounter>(clock)), m_relay(std::make_shared<Relay>()) {
    m_relay->scheduler = &scheduler;
    m_relay->engine = this;
}

SpeedTestEngine::~SpeedTestEngine() {
    {
        const std::lock_guard guard(m_relay->mutex);
        m_relay->scheduler = nullptr;
        m_relay->engine = nullptr;
    }
    cancelTasks();
    stopTicker();
    for (Transport::TransferId id : m_requests)
        m_transport.cancel(id);
}

std::function<void()> SpeedTestEngine::guarded(std::function<void(SpeedTestEngine&)> action) {
    return [relay = std::weak_ptr(m_relay), run = m_run, action = std::move(action)] {
        const auto alive = relay.lock();
        if (alive && alive->engine && alive->engine->m_run == run)
            action(*alive->engine);
    };
}

void SpeedTestEngine::sendRequest(
    TransferRequest request,
    std::function<void(SpeedTestEngine&, const TransferCompletion&, double)> answered) {
    auto id = std::make_shared<Transport::TransferId>(0);
    TransferCallbacks callbacks;
    callbacks.onComplete = [relay = std::weak_ptr(m_relay), clock = &m_clock, run = m_run, id,
                            answered = std::move(answered)](const TransferCompletion& done) {
        // The answer's time is taken here, before the hop to the main thread.
        const double answeredAt = clock->elapsedSeconds();
        const auto alive = relay.lock();
        if (!alive)
            return;
        alive->post(
            [run, id, done, answeredAt, answered](SpeedTestEngine& engine) {
                engine.m_requests.erase(*id);
                if (engine.m_run == run)
                    answered(engine, done, answeredAt);
            },
            relay);
    };
    *id = m_transport.start(std::move(request), std::move(callbacks));
    m_requests.insert(*id);
}

void SpeedTestEngine::enterPhase(Phase phase) {
    m_phase = phase;
    if (onPhase)
        onPhase(phase);
}

void SpeedTestEngine::start() {
    if (isRunning())
        return;
    ++m_run;
    m_result = Result();
    m_pingRTTs.clear();
    m_pingDone = 0;
    m_probeBest.clear();
    m_probePending = 0;
    m_networkInfo.clear();
    m_networkPublicIP.clear();
    m_networkIdentity = identitySource ? identitySource() : NetworkIdentity::Snapshot();
    m_downCandidates.clear();
    m_activeNode.reset();
    m_activeUpload.reset();
    enterProbing();
}

void SpeedTestEngine::stop() {
    if (!isRunning())
        return;
    cancelTasks();
    stopTicker();
    ++m_run;
    enterPhase(Phase::idle);
}

void SpeedTestEngine::fail(const QString& message) {
    cancelTasks();
    stopTicker();
    ++m_run;
    enterPhase(Phase::idle);
    if (onError)
        onError(message);
}

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

void SpeedTestEngine::sendNetworkInfoRequest() {
    const auto traceNode = m_catalogue.node(QStringLiteral("cf"));
    if (!traceNode)
        return;
    TransferRequest request;
    request.url = traceNode->pingURL;
    request.timeoutSeconds = m_tuning.traceTimeout;
    request.keepBodyBytes = m_tuning.traceMaxBytes;
    sendRequest(request, [](SpeedTestEngine& engine, const TransferCompletion& done, double) {
        if (!done.ok)
            return;
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString body = decoder(done.body);
        if (decoder.hasError())
            return;
        const auto [summary, ip] = parseTrace(body);
        engine.m_networkInfo = summary;
        engine.m_result.networkInfo = summary;
        if (!ip.isEmpty())
            engine.m_networkPublicIP = ip;
    });
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

void SpeedTestEngine::restartTicker() {
    stopTicker();
    m_ticker = m_scheduler.every(m_tuning.tickInterval, [relay = std::weak_ptr(m_relay)] {
        const auto alive = relay.lock();
        if (alive && alive->engine)
            alive->engine->tick();
    });
}

void SpeedTestEngine::stopTicker() {
    if (m_ticker)
        m_scheduler.cancel(*m_ticker);
    m_ticker.reset();
}

std::pair<QString, QString> SpeedTestEngine::parseTrace(QStringView text) {
    const TraceAnswer::Fields fields = TraceAnswer::parse(text);
    return {TraceAnswer::summary(fields), fields.ip};
}
