#pragma once

#include <QtGlobal>

#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

class Clock;

// The byte count of the running download or upload phase. Transfers report from the
// transport's thread; the phase reads on the main thread; everything happens under one lock.
class ThroughputCounter {
public:
    // One transfer's share of the count.
    class Transfer {
        friend class ThroughputCounter;
        bool live = true;
        qint64 counted = 0;
    };

    struct Rates {
        double instantMbps = 0;
        double averageMbps = 0;
    };

    explicit ThroughputCounter(const Clock& clock) : m_clock(clock) {}

    // Starts a new phase: nothing counted, no first byte, no sample.
    void reset();
    std::shared_ptr<Transfer> track();
    // From now on the transfers add nothing, whatever late chunks they still report.
    void retire(const std::vector<std::shared_ptr<Transfer>>& transfers);

    // A chunk of a download's body.
    void received(Transfer& transfer, qint64 bytes);
    // An upload's cumulative bytes that reached the peer.
    void sent(Transfer& transfer, qint64 total);
    // The end of an upload, in one step: a body the server refused takes back every byte it
    // counted; a body it took counts up to finalTotal.
    void uploadEnded(Transfer& transfer, bool refused, qint64 finalTotal);
    // What the transfer has counted so far.
    qint64 counted(const Transfer& transfer) const;

    // The rates of one tick at now: instantaneous since the last sample older than
    // minSampleSeconds (else 0), and average since the first byte (0 when that is too recent).
    Rates sample(double now, double phaseStart);
    // The phase's figure at now, and whether any byte was counted at all.
    std::pair<double, bool> summarize(double now) const;

private:
    void countFirstByte();

    const Clock& m_clock;
    mutable std::mutex m_lock;
    quint64 m_total = 0;
    std::optional<double> m_firstByteTime;
    quint64 m_sampleBytes = 0;
    std::optional<double> m_sampleTime;
};
