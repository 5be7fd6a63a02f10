#pragma once

#include <QtGlobal>

#include <set>

// The sockets libcurl opened for one transport, so that a transfer can find the socket of the
// connection it was given: curl itself names it only once the transfer has ended. Used from
// the transport's worker thread only.
class CurlSockets {
public:
    static constexpr int kNone = -1;

    CurlSockets() = default;
    CurlSockets(const CurlSockets&) = delete;
    CurlSockets& operator=(const CurlSockets&) = delete;

    int open(int family, int type, int protocol);
    void close(int socket);
    // The open socket connected from localPort to remotePort, or kNone.
    int find(int localPort, int remotePort) const;

    // Bytes written to the socket that the peer has not acknowledged yet; 0 where unknown.
    static qint64 unacknowledgedBytes(int socket);

private:
    std::set<int> m_open;
};
