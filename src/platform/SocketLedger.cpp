#include "platform/SocketLedger.h"

#include "common/Saturating.h"

#include <algorithm>

void SocketLedger::retire(const Tracked& socket) {
    auto& total = m_retired[socket.name];
    addSaturating(total.first, socket.received);
    addSaturating(total.second, socket.sent);
}

bool SocketLedger::staysOnTheMachine(const TcpSocketCounts& socket) const {
    return socket.loopback || m_ownAddresses.count(socket.peer) != 0;
}

void SocketLedger::update(const std::vector<TcpSocketCounts>& live, const OwnerLookup& lookup) {
    std::unordered_map<quint64, Tracked> stillLive;
    std::unordered_set<quint64> stillUnowned;
    std::vector<const TcpSocketCounts*> fresh;
    std::unordered_set<quint64> freshInodes;
    for (const TcpSocketCounts& socket : live) {
        if (staysOnTheMachine(socket))
            continue;
        if (const auto known = m_live.find(socket.cookie); known != m_live.end()) {
            Tracked tracked = known->second;
            tracked.received = std::max(tracked.received, socket.received);
            tracked.sent = std::max(tracked.sent, socket.sent);
            stillLive.emplace(socket.cookie, std::move(tracked));
        } else if (m_unowned.count(socket.cookie)) {
            stillUnowned.insert(socket.cookie);
        } else if (socket.inode != 0) { // 0: not yet accepted, or already closed
            fresh.push_back(&socket);
            freshInodes.insert(socket.inode);
        }
    }
    if (!fresh.empty()) {
        const auto owners = lookup(freshInodes);
        for (const TcpSocketCounts* socket : fresh) {
            const auto owner = owners.find(socket->inode);
            if (owner == owners.end())
                stillUnowned.insert(socket->cookie);
            else
                stillLive.emplace(socket->cookie,
                                  Tracked{owner->second, socket->received, socket->sent});
        }
    }
    m_endedLately.clear();
    for (const auto& [cookie, tracked] : m_live) {
        if (!stillLive.count(cookie)) {
            retire(tracked);
            m_endedLately.emplace(cookie, tracked);
        }
    }
    m_live = std::move(stillLive);
    m_unowned = std::move(stillUnowned);
}

void SocketLedger::ended(const TcpSocketCounts& final) {
    if (const auto live = m_live.find(final.cookie); live != m_live.end()) {
        Tracked tracked = live->second;
        tracked.received = std::max(tracked.received, final.received);
        tracked.sent = std::max(tracked.sent, final.sent);
        retire(tracked);
        m_live.erase(live);
        return;
    }
    // Already retired with the counts of its last listing: book only the tail since then.
    if (const auto late = m_endedLately.find(final.cookie); late != m_endedLately.end()) {
        Tracked tail{late->second.name, 0, 0};
        tail.received =
            final.received > late->second.received ? final.received - late->second.received : 0;
        tail.sent = final.sent > late->second.sent ? final.sent - late->second.sent : 0;
        retire(tail);
        m_endedLately.erase(late);
        return;
    }
    m_unowned.erase(final.cookie);
}

AppSample SocketLedger::sample() const {
    AppSample sample = m_retired;
    for (const auto& [cookie, tracked] : m_live) {
        auto& total = sample[tracked.name];
        addSaturating(total.first, tracked.received);
        addSaturating(total.second, tracked.sent);
    }
    return sample;
}
