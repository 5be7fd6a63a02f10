#include "speedtest/core/ThroughputCounter.h"

#include "common/Clock.h"

#include <algorithm>

namespace {

// Rates over shorter spans say more about scheduling than about the link.
constexpr double kMinSampleSeconds = 0.15;
constexpr double kMinAverageSeconds = 0.3;

double toMbps(quint64 bytes, double seconds) {
    return double(bytes) * 8 / seconds / 1000000;
}

} // namespace

void ThroughputCounter::reset() {
    const std::lock_guard guard(m_lock);
    m_total = 0;
    m_firstByteTime.reset();
    m_sampleBytes = 0;
    m_sampleTime.reset();
}

std::shared_ptr<ThroughputCounter::Transfer> ThroughputCounter::track() {
    return std::make_shared<Transfer>();
}

void ThroughputCounter::retire(const std::vector<std::shared_ptr<Transfer>>& transfers) {
    const std::lock_guard guard(m_lock);
    for (const auto& transfer : transfers)
        transfer->live = false;
}

void ThroughputCounter::countFirstByte() {
    if (!m_firstByteTime)
        m_firstByteTime = m_clock.elapsedSeconds();
}

void ThroughputCounter::received(Transfer& transfer, qint64 bytes) {
    if (bytes <= 0)
        return;
    const std::lock_guard guard(m_lock);
    if (!transfer.live)
        return;
    countFirstByte();
    m_total += quint64(bytes);
    transfer.counted += bytes;
}

void ThroughputCounter::sent(Transfer& transfer, qint64 total) {
    const std::lock_guard guard(m_lock);
    if (!transfer.live || total <= transfer.counted)
        return;
    countFirstByte();
    m_total += quint64(total - transfer.counted);
    transfer.counted = total;
}

void ThroughputCounter::uploadEnded(Transfer& transfer, bool refused, qint64 finalTotal) {
    const std::lock_guard guard(m_lock);
    if (!transfer.live)
        return;
    if (!refused) {
        if (finalTotal > transfer.counted) {
            countFirstByte();
            m_total += quint64(finalTotal - transfer.counted);
            transfer.counted = finalTotal;
        }
        return;
    }
    m_total -= std::min(m_total, quint64(transfer.counted));
    m_sampleBytes = std::min(m_sampleBytes, m_total);
    if (m_total == 0)
        m_firstByteTime.reset();
    transfer.counted = 0;
    transfer.live = false;
}

qint64 ThroughputCounter::counted(const Transfer& transfer) const {
    const std::lock_guard guard(m_lock);
    return transfer.counted;
}

ThroughputCounter::Rates ThroughputCounter::sample(double now, double phaseStart) {
    Rates rates;
    const std::lock_guard guard(m_lock);
    const double dt = now - m_sampleTime.value_or(phaseStart);
    if (dt > kMinSampleSeconds) {
        rates.instantMbps = toMbps(m_total - m_sampleBytes, dt);
        m_sampleBytes = m_total;
        m_sampleTime = now;
    }
    if (m_firstByteTime && now - *m_firstByteTime > kMinAverageSeconds)
        rates.averageMbps = toMbps(m_total, now - *m_firstByteTime);
    return rates;
}

std::pair<double, bool> ThroughputCounter::summarize(double now) const {
    const std::lock_guard guard(m_lock);
    const double span = m_firstByteTime ? now - *m_firstByteTime : 0;
    const double mbps = span > kMinAverageSeconds ? toMbps(m_total, span) : 0;
    return {mbps, m_firstByteTime.has_value()};
}
