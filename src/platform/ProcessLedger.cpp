#include "platform/ProcessLedger.h"

#include "common/Saturating.h"

namespace {

void book(AppSample& sample, const QString& name, quint64 received, quint64 sent) {
    auto& total = sample[name];
    addSaturating(total.first, received);
    addSaturating(total.second, sent);
}

} // namespace

void ProcessLedger::retire(const Tracked& process) {
    book(m_retired, process.name, process.received - process.receivedBefore,
         process.sent - process.sentBefore);
}

void ProcessLedger::update(const std::vector<HelperProcessCounts>& report) {
    std::unordered_map<quint32, Tracked> live;
    for (const HelperProcessCounts& process : report) {
        Tracked tracked{process.name, process.received, process.sent, 0, 0};
        if (const auto known = m_live.find(process.pid); known != m_live.end()) {
            const Tracked& before = known->second;
            const bool fell = process.received < before.received || process.sent < before.sent;
            if (fell) {
                retire(before);
            } else if (before.name != process.name) {
                retire(before);
                tracked.receivedBefore = before.received;
                tracked.sentBefore = before.sent;
            } else {
                tracked.receivedBefore = before.receivedBefore;
                tracked.sentBefore = before.sentBefore;
            }
            m_live.erase(known);
        }
        live.insert_or_assign(process.pid, std::move(tracked));
    }
    for (const auto& [pid, ended] : m_live)
        retire(ended);
    m_live = std::move(live);
}

AppSample ProcessLedger::sample() const {
    AppSample sample = m_retired;
    for (const auto& [pid, process] : m_live)
        book(sample, process.name, process.received - process.receivedBefore,
             process.sent - process.sentBefore);
    return sample;
}
