#include "speedtest/core/SpeedTestEngine.h"

#include "common/Clock.h"
#include "speedtest/core/SpeedTestEngineRelay.h"
#include "speedtest/core/TraceAnswer.h"

#include <QStringDecoder>

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
      m_counter(std::make_shared<ThroughputCounter>(clock)),
      m_loadedProbe(transport, scheduler, clock,
                    {tuning.loadedProbeInterval, tuning.loadedWarmUp, tuning.loadedTimeout}),
      m_relay(std::make_shared<Relay>()) {
    m_relay->scheduler = &scheduler;
    m_relay->engine = this;
    m_loadedProbe.onUpdate = [this](double loadedMs) {
        if (onLoadedLatency)
            onLoadedLatency(m_phase, loadedMs);
    };
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
