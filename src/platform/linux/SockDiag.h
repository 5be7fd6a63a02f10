#pragma once

#include "platform/SocketLedger.h"

#include <QByteArrayView>

#include <optional>
#include <vector>

// The kernel's TCP socket table over netlink sock_diag (no privileges needed).
namespace SockDiag {

// Every TCP socket of this network namespace that can carry data (not listening, not in
// TIME_WAIT), IPv4 and IPv6, with its tcp_info byte counts. Absent when netlink fails.
std::optional<std::vector<TcpSocketCounts>> dumpTcpSockets();

enum class Batch { More, Done, Failed };

// Appends the sockets of one buffer of sock_diag messages (a dump reply or destroy
// notifications) and says whether the dump goes on, ended, or was refused.
Batch parseMessages(QByteArrayView buffer, std::vector<TcpSocketCounts>& out);

// Notifications of destroyed TCP sockets with their final counts. Unavailable (valid() false)
// where the kernel does not offer them; then only the periodic dumps are seen.
class DestroyListener {
public:
    DestroyListener();
    ~DestroyListener();
    DestroyListener(const DestroyListener&) = delete;
    DestroyListener& operator=(const DestroyListener&) = delete;

    bool valid() const { return m_fd >= 0; }
    // Everything that arrived since the last call; never blocks.
    std::vector<TcpSocketCounts> drain();

private:
    int m_fd = -1;
};

} // namespace SockDiag
