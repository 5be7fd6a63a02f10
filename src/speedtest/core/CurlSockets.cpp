#include "speedtest/core/CurlSockets.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/sockios.h>
#include <sys/ioctl.h>
#endif

namespace {

int portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

int localPort(int socket) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    return getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0
               ? portOf(address)
               : -1;
}

int remotePort(int socket) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    return getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0
               ? portOf(address)
               : -1;
}

} // namespace

int CurlSockets::open(int family, int type, int protocol) {
    const int fd = ::socket(family, type, protocol);
    if (fd >= 0)
        m_open.insert(fd);
    return fd;
}

void CurlSockets::close(int socket) {
    m_open.erase(socket);
    ::close(socket);
}

int CurlSockets::find(int local, int remote) const {
    for (int fd : m_open) {
        if (localPort(fd) == local && remotePort(fd) == remote)
            return fd;
    }
    return kNone;
}

qint64 CurlSockets::unacknowledgedBytes(int socket) {
#ifdef __linux__
    int queued = 0;
    if (socket < 0 || ioctl(socket, SIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
#else
    return 0;
#endif
}
