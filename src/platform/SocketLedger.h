#pragma once

#include "platform/IpAddress.h"
#include "platform/ProcessTraffic.h"

#include <functional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// One TCP socket as the kernel reports it: cumulative bytes received and sent (acknowledged).
struct TcpSocketCounts {
    quint64 cookie = 0; // stable for the socket's life
    quint64 inode = 0;  // 0 once no process holds it
    bool loopback = false;
    quint64 received = 0;
    quint64 sent = 0;
    IpAddress peer = {};
};

// Turns successive views of the TCP sockets into cumulative bytes per process name that never
// fall: a socket's last counts stay booked to its owner's name after it closes. Sockets that
// stay on the machine (loopback at both ends, or a peer that is one of the machine's own
// addresses) and sockets whose owner cannot be found are not counted.
class SocketLedger {
public:
    // The machine's own addresses, as of now (they change when a network is joined). Traffic
    // to them never leaves the machine, so the interface totals never see it.
    void setOwnAddresses(std::set<IpAddress> addresses) { m_ownAddresses = std::move(addresses); }

    // Owner names of the given socket inodes; inodes it cannot map are left out.
    using OwnerLookup =
        std::function<std::unordered_map<quint64, QString>(const std::unordered_set<quint64>&)>;

    // A full list of the live sockets. Owners of new sockets are looked up (once per call, and
    // only when there are new ones); sockets missing from the list have ended.
    void update(const std::vector<TcpSocketCounts>& live, const OwnerLookup& lookup);
    // The final counts of a socket the kernel has just destroyed.
    void ended(const TcpSocketCounts& final);

    AppSample sample() const;
    size_t trackedSockets() const { return m_live.size(); }

private:
    struct Tracked {
        QString name;
        quint64 received = 0;
        quint64 sent = 0;
    };
    void retire(const Tracked& socket);
    bool staysOnTheMachine(const TcpSocketCounts& socket) const;

    std::unordered_map<quint64, Tracked> m_live;              // by cookie
    std::unordered_map<quint64, Tracked> m_endedLately;       // retired in the last update
    std::unordered_set<quint64> m_unowned;                    // seen, owner unknown: not counted
    std::map<QString, std::pair<quint64, quint64>> m_retired; // by name
    std::set<IpAddress> m_ownAddresses;
};
