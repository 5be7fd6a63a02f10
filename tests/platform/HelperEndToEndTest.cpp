#include "platform/linux/HelperProcessTraffic.h"

#include <QFile>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace {

// Traffic of several processes through a veth pair between two network namespaces made here:
// each process's bytes must come within 2 % of what crossed the link (IP length), whatever
// the protocol, and loopback traffic must not be booked at all.
constexpr const char* kClientAddress = "10.78.0.1";
constexpr const char* kServerAddress = "10.78.0.2";
constexpr int kUdpPort = 18081;
constexpr int kTcpPort = 18082;
constexpr size_t kTransferBytes = 8'000'000;
constexpr int kDatagrams = 8000;
constexpr size_t kDatagramBytes = 1000;
constexpr quint64 kUdpIpOverhead = 28;  // IPv4 and UDP headers
constexpr quint64 kEthernetHeader = 14; // counted by the link, not part of the IP length

void writeByte(int fd, char c) {
    [[maybe_unused]] const ssize_t written = write(fd, &c, 1);
}

char readByte(int fd) {
    char c = 0;
    return read(fd, &c, 1) == 1 ? c : 0;
}

sockaddr_in address(const char* ip, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    inet_pton(AF_INET, ip, &address.sin_addr);
    return address;
}

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
void serveEcho(int fd) {
    static char buffer[64 * 1024];
    ssize_t n;
    while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) {
        if (!sendAll(fd, size_t(n)))
            return;
    }
}

// A child of a helper process here must not outlive it.
void dieWithParent() {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() == 1)
        _exit(0);
}

int connectTcp(const char* ip, int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in server = address(ip, port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0)
        _exit(30);
    return fd;
}

// Sends bytes through an echo in chunks, each waiting for its echo; the connection stays open.
void pingPong(int fd, size_t bytes) {
    constexpr size_t kChunk = 64 * 1024;
    while (bytes > 0) {
        const size_t chunk = std::min(kChunk, bytes);
        if (!sendAll(fd, chunk) || !receiveExactly(fd, chunk))
            _exit(31);
        bytes -= chunk;
    }
}

// The far namespace: a UDP echo and a TCP echo server (one process per connection).
[[noreturn]] void runServer(int toParent, int fromParent) {
    if (unshare(CLONE_NEWNET) != 0)
        _exit(10);
    writeByte(toParent, 'n');
    if (readByte(fromParent) != 'm')
        _exit(11);
    if (std::system("ip link set lo up && ip addr add 10.78.0.2/24 dev vornhs && "
                    "ip link set vornhs up") != 0)
        _exit(12);
    const int udp = socket(AF_INET, SOCK_DGRAM, 0);
    const int tcp = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in udpAddress = address(kServerAddress, kUdpPort);
    const sockaddr_in tcpAddress = address(kServerAddress, kTcpPort);
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
    for (;;) {
        const int connection = accept(tcp, nullptr, nullptr);
        if (connection >= 0 && fork() == 0) {
            dieWithParent();
            serveEcho(connection);
            _exit(0);
        }
        close(connection);
    }
}

// Sends the datagrams in windows, each waiting for its echoes, so no socket buffer overflows.
void udpClient() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in server = address(kServerAddress, kUdpPort);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0)
        _exit(40);
    char datagram[kDatagramBytes] = {};
    constexpr int kWindow = 50;
    for (int sent = 0; sent < kDatagrams; sent += kWindow) {
        for (int i = 0; i < kWindow; ++i) {
            if (send(fd, datagram, sizeof datagram, 0) != ssize_t(sizeof datagram))
                _exit(41);
        }
        for (int echoed = 0; echoed < kWindow; ++echoed) {
            pollfd ready{fd, POLLIN, 0};
            if (poll(&ready, 1, 1000) != 1)
                break; // a lost echo: the link counters show what crossed
            recv(fd, datagram, sizeof datagram, 0);
        }
    }
}

// Over loopback only: TCP to itself, and UDP to itself.
void loopbackClient() {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local = address("127.0.0.1", 0);
    socklen_t length = sizeof local;
    if (bind(listener, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        _exit(50);
    const int client = connectTcp("127.0.0.1", ntohs(local.sin_port));
    const int server = accept(listener, nullptr, nullptr);
    if (fork() == 0) {
        dieWithParent();
        serveEcho(server);
        _exit(0);
    }
    close(server);
    pingPong(client, 2'000'000);
    close(client);
    const int udp = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in self = address("127.0.0.1", 0);
    bind(udp, reinterpret_cast<sockaddr*>(&self), sizeof self);
    getsockname(udp, reinterpret_cast<sockaddr*>(&self), &length);
    char datagram[kDatagramBytes] = {};
    for (int i = 0; i < 200; ++i) {
        sendto(udp, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&self), sizeof self);
        recv(udp, datagram, sizeof datagram, 0);
    }
}

struct Child {
    pid_t pid = -1;
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    // The child's exit code, 100 when it did not exit normally.
    int wait() {
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    }
};

// A child process that names itself (as the helper will see it) and runs body.
void spawn(Child& child, const char* name, const std::function<void()>& body) {
    child.pid = fork();
    if (child.pid == 0) {
        prctl(PR_SET_NAME, name);
        body();
        _exit(0);
    }
}

struct LinkCounters {
    quint64 rxBytes = 0, rxPackets = 0, txBytes = 0, txPackets = 0;
};

// This namespace's counters of the link, from /proc/net/dev.
LinkCounters readLink(const char* name) {
    QFile file(QStringLiteral("/proc/net/dev"));
    LinkCounters counters;
    if (!file.open(QIODevice::ReadOnly))
        return counters;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.startsWith(prefix))
            continue;
        const QList<QByteArray> fields = trimmed.mid(prefix.size()).simplified().split(' ');
        if (fields.size() >= 10)
            counters = {fields[0].toULongLong(), fields[1].toULongLong(), fields[8].toULongLong(),
                        fields[9].toULongLong()};
    }
    return counters;
}

// The IP bytes that crossed the link in each direction between two readings.
std::pair<quint64, quint64> ipBytesBetween(const LinkCounters& before, const LinkCounters& after) {
    const quint64 received =
        (after.rxBytes - before.rxBytes) - kEthernetHeader * (after.rxPackets - before.rxPackets);
    const quint64 sent =
        (after.txBytes - before.txBytes) - kEthernetHeader * (after.txPackets - before.txPackets);
    return {received, sent};
}

#define SKIP_OR_FAIL_UNDER_CI(why)                                                                 \
    do {                                                                                           \
        if (qgetenv("CI") == "true")                                                               \
            FAIL() << why;                                                                         \
        GTEST_SKIP() << why;                                                                       \
    } while (false)

void expectWithin2Percent(quint64 booked, quint64 crossed, const char* what) {
    std::printf("%s: booked %llu of %llu bytes that crossed the link (%.3f %%)\n", what,
                static_cast<unsigned long long>(booked), static_cast<unsigned long long>(crossed),
                crossed ? 100.0 * double(booked) / double(crossed) : 0.0);
    EXPECT_GE(double(booked), 0.98 * double(crossed))
        << what << ": " << booked << " of " << crossed;
    EXPECT_LE(double(booked), 1.02 * double(crossed))
        << what << ": " << booked << " of " << crossed;
}

TEST(HelperEndToEnd, EveryProtocolIsBookedToItsProcessAndLoopbackToNone) {
    const QString helper = QStringLiteral(VORN_HELPER_BINARY);
    if (helper.isEmpty())
        SKIP_OR_FAIL_UNDER_CI(
            "vorn-traffic-helper is not built (needs clang, bpftool, libbpf-dev)");
    if (geteuid() != 0)
        SKIP_OR_FAIL_UNDER_CI("needs root for network namespaces and the helper's programs");
    if (unshare(CLONE_NEWNET) != 0)
        SKIP_OR_FAIL_UNDER_CI("cannot create a network namespace: " << std::strerror(errno));

    int serverUp[2], serverDown[2];
    ASSERT_EQ(pipe(serverUp), 0);
    ASSERT_EQ(pipe(serverDown), 0);
    Child server;
    server.pid = fork();
    ASSERT_GE(server.pid, 0);
    if (server.pid == 0)
        runServer(serverUp[1], serverDown[0]);
    ASSERT_EQ(readByte(serverUp[0]), 'n');
    const QByteArray link = "ip link set lo up && "
                            "ip link add vornhc type veth peer name vornhs netns " +
                            QByteArray::number(server.pid) +
                            " && ip addr add 10.78.0.1/24 dev vornhc && ip link set vornhc up";
    ASSERT_EQ(std::system(link.constData()), 0);
    writeByte(serverDown[1], 'm');
    ASSERT_EQ(readByte(serverUp[0]), 'l') << "server set-up failed";

    // A connection older than the helper: found through the socket table once it carries bytes.
    int oldGo[2], oldDone[2];
    ASSERT_EQ(pipe(oldGo), 0);
    ASSERT_EQ(pipe(oldDone), 0);
    Child old;
    spawn(old, "vorn-e2e-old", [&] {
        const int fd = connectTcp(kServerAddress, kTcpPort);
        writeByte(oldDone[1], 'c');
        if (readByte(oldGo[0]) != 'g')
            _exit(60);
        pingPong(fd, 2'000'000);
        writeByte(oldDone[1], 'd');
        readByte(oldGo[0]); // a long-lived connection: open until after the sample
    });
    ASSERT_EQ(readByte(oldDone[0]), 'c');

    HelperProcessTraffic traffic(helper, {});
    ASSERT_TRUE(traffic.sample().has_value()) << "the helper did not start";

    const LinkCounters start = readLink("vornhc");
    writeByte(oldGo[1], 'g');
    ASSERT_EQ(readByte(oldDone[0]), 'd');
    const LinkCounters afterOld = readLink("vornhc");
    Child udp;
    spawn(udp, "vorn-e2e-udp", udpClient);
    ASSERT_EQ(udp.wait(), 0);
    const LinkCounters afterUdp = readLink("vornhc");
    Child tcp;
    spawn(tcp, "vorn-e2e-tcp",
          [] { pingPong(connectTcp(kServerAddress, kTcpPort), kTransferBytes); });
    ASSERT_EQ(tcp.wait(), 0);
    const LinkCounters afterTcp = readLink("vornhc");
    Child loopback;
    spawn(loopback, "vorn-e2e-lo", loopbackClient);
    ASSERT_EQ(loopback.wait(), 0);

    const std::optional<AppSample> sample = traffic.sample();
    writeByte(oldGo[1], 'x');
    EXPECT_EQ(old.wait(), 0);
    ASSERT_TRUE(sample.has_value());
    const auto booked = [&](const char* name) {
        const auto found = sample->find(QString::fromLatin1(name));
        return found == sample->end() ? std::pair<quint64, quint64>() : found->second;
    };

    const auto [oldReceived, oldSent] = ipBytesBetween(start, afterOld);
    expectWithin2Percent(booked("vorn-e2e-old").first, oldReceived, "old connection received");
    expectWithin2Percent(booked("vorn-e2e-old").second, oldSent, "old connection sent");

    const auto [udpReceived, udpSent] = ipBytesBetween(afterOld, afterUdp);
    expectWithin2Percent(booked("vorn-e2e-udp").first, udpReceived, "UDP received");
    expectWithin2Percent(booked("vorn-e2e-udp").second, udpSent, "UDP sent");
    EXPECT_EQ(booked("vorn-e2e-udp").second, kDatagrams * (kDatagramBytes + kUdpIpOverhead))
        << "each datagram is its IP length";

    const auto [tcpReceived, tcpSent] = ipBytesBetween(afterUdp, afterTcp);
    EXPECT_GE(tcpSent, kTransferBytes);
    expectWithin2Percent(booked("vorn-e2e-tcp").first, tcpReceived, "TCP received");
    expectWithin2Percent(booked("vorn-e2e-tcp").second, tcpSent, "TCP sent");

    EXPECT_EQ(sample->count(QStringLiteral("vorn-e2e-lo")), 0u) << "loopback traffic was booked";
}

} // namespace
