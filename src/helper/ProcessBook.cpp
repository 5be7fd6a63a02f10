#include "ProcessBook.h"

#include <algorithm>
#include <limits>
#include <set>

namespace {

std::uint64_t sumSaturating(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

} // namespace

ProcessBook::ProcessBook(CounterStore& store, ProcessNames& names, IsAlive isAlive)
    : m_store(store), m_names(names), m_isAlive(std::move(isAlive)) {}

void ProcessBook::addAdopted(std::uint32_t pid, std::uint32_t uid, const byte_counts& bytes) {
    Adopted& adopted = m_adopted[pid];
    adopted.uid = uid;
    adopted.bytes.received = sumSaturating(adopted.bytes.received, bytes.received);
    adopted.bytes.sent = sumSaturating(adopted.bytes.sent, bytes.sent);
}

std::vector<ProcessTotals> ProcessBook::collect() {
    std::set<std::uint32_t> pids;
    for (const std::uint32_t pid : m_store.processIds())
        pids.insert(pid);
    for (const auto& [pid, adopted] : m_adopted)
        pids.insert(pid);
    std::vector<ProcessTotals> totals;
    for (const std::uint32_t pid : pids) {
        const bool alive = m_isAlive(pid);
        ProcessTotals process;
        process.pid = pid;
        std::string_view recorded;
        const auto kernel = m_store.readProcess(pid, !alive);
        if (kernel) {
            process.uid = kernel->uid;
            process.received = kernel->bytes.received;
            process.sent = kernel->bytes.sent;
            recorded = std::string_view(kernel->comm, sizeof kernel->comm);
        }
        if (const auto adopted = m_adopted.find(pid); adopted != m_adopted.end()) {
            process.uid = adopted->second.uid;
            process.received = sumSaturating(process.received, adopted->second.bytes.received);
            process.sent = sumSaturating(process.sent, adopted->second.bytes.sent);
            if (!alive)
                m_adopted.erase(adopted);
        }
        if (!kernel && process.received == 0 && process.sent == 0)
            continue;
        process.name = m_names.nameOf(pid, recorded);
        totals.push_back(std::move(process));
    }
    m_names.endSample();
    return totals;
}
