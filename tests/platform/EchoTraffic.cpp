#include "EchoTraffic.h"

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace {

bool sendAll(int fd, size_t bytes) {
    static char chunk[64 * 1024];
    while (bytes > 0) {
        const ssize_t n = send(fd, chunk, std::min(sizeof chunk, bytes), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes -= size_t(n);
    }
    return true;
}

bool receiveExactly(int fd, size_t bytes) {
    static char buffer[64 * 1024];
    while (bytes > 0) {
        const ssize_t n = recv(fd, buffer, std::min(sizeof buffer, bytes), 0);
        if (n <= 0)
            return false;
        bytes -= size_t(n);
    }
    return true;
}

// Sends back whatever arrives until the peer closes.
void echoStream(int fd) {
    static char buffer[64 * 1024];
    ssize_t n;
    while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) {
        if (!sendAll(fd, size_t(n)))
            return;
    }
}

// A child of a server here must not outlive it.
void dieWithParent() {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() == 1)
        _exit(0);
}

[[noreturn]] void echoDatagrams(int udp) {
    char datagram[2048];
    for (;;) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const ssize_t n = recvfrom(udp, datagram, sizeof datagram, 0,
                                   reinterpret_cast<sockaddr*>(&peer), &length);
        if (n > 0)
            sendto(udp, datagram, size_t(n), 0, reinterpret_cast<sockaddr*>(&peer), length);
    }
}

[[noreturn]] void serveEchoes(int toParent) {
    const int udp = socket(AF_INET, SOCK_DGRAM, 0);
    const int tcp = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in udpAddress = socketAddress(kFarAddress, kUdpEchoPort);
    const sockaddr_in tcpAddress = socketAddress(kFarAddress, kTcpEchoPort);
    const int bufferSize = 4 << 20;
    setsockopt(udp, SOL_SOCKET, SO_RCVBUF, &bufferSize, sizeof bufferSize);
    if (bind(udp, reinterpret_cast<const sockaddr*>(&udpAddress), sizeof udpAddress) != 0 ||
        bind(tcp, reinterpret_cast<const sockaddr*>(&tcpAddress), sizeof tcpAddress) != 0 ||
        listen(tcp, 8) != 0)
        _exit(13);
    writeByte(toParent, 'l');
    signal(SIGCHLD, SIG_IGN);
    if (fork() == 0) {
        dieWithParent();
        echoDatagrams(udp);
    }
    for (;;) {
        const int connection = accept(tcp, nullptr, nullptr);
        if (connection >= 0 && fork() == 0) {
            dieWithParent();
            echoStream(connection);
            _exit(0);
        }
        close(connection);
    }
}

int connectSocket(int type, const char* address, int port) {
    const int fd = socket(AF_INET, type, 0);
    const sockaddr_in peer = socketAddress(address, port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0)
        _exit(30);
    return fd;
}

} // namespace

std::string startEchoServer(ForkedChild& server) {
    return startPeer(server, false, serveEchoes);
}

int connectTcp(const char* address, int port) {
    return connectSocket(SOCK_STREAM, address, port);
}

void pingPong(int fd, size_t bytes) {
    constexpr size_t kChunk = 64 * 1024;
    while (bytes > 0) {
        const size_t chunk = std::min(kChunk, bytes);
        if (!sendAll(fd, chunk) || !receiveExactly(fd, chunk))
            _exit(31);
        bytes -= chunk;
    }
}

int connectUdp(const char* address, int port) {
    return connectSocket(SOCK_DGRAM, address, port);
}

void exchangeDatagrams(int fd, int datagrams) {
    char datagram[kDatagramBytes] = {};
    constexpr int kWindow = 50;
    for (int sent = 0; sent < datagrams; sent += kWindow) {
        const int window = std::min(kWindow, datagrams - sent);
        for (int i = 0; i < window; ++i) {
            if (send(fd, datagram, sizeof datagram, 0) != ssize_t(sizeof datagram))
                _exit(41);
        }
        for (int echoed = 0; echoed < window; ++echoed) {
            pollfd ready{fd, POLLIN, 0};
            if (poll(&ready, 1, 1000) != 1)
                break; // a lost echo: the link counters show what crossed
            recv(fd, datagram, sizeof datagram, 0);
        }
    }
}

void talkToSelf(const char* address) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local = socketAddress(address, 0);
    socklen_t length = sizeof local;
    if (bind(listener, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        _exit(50);
    const int client = connectTcp(address, ntohs(local.sin_port));
    const int server = accept(listener, nullptr, nullptr);
    if (fork() == 0) {
        dieWithParent();
        echoStream(server);
        _exit(0);
    }
    close(server);
    pingPong(client, kSelfStreamBytes);
    close(client);
    const int udp = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in self = socketAddress(address, 0);
    if (bind(udp, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
        getsockname(udp, reinterpret_cast<sockaddr*>(&self), &length) != 0)
        _exit(51);
    char datagram[kDatagramBytes] = {};
    for (int i = 0; i < 200; ++i) {
        sendto(udp, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&self), sizeof self);
        recv(udp, datagram, sizeof datagram, 0);
    }
}
