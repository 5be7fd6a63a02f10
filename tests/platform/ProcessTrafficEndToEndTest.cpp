#include "platform/ProcessTraffic.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

// A download across a rate-limited veth between two network namespaces made here: the
// client's bytes, over three sequential connections, must reach its process name.
constexpr int kConnections = 3;
constexpr size_t kBytesPerConnection = 2'500'000; // about 2.5 s each at 8 Mbit/s
constexpr const char* kClientName = "vorn-e2e-fetch";
constexpr const char* kServerAddress = "10.77.0.2";
constexpr int kPort = 18080;

void writeByte(int fd, char c) {
    [[maybe_unused]] const ssize_t written = write(fd, &c, 1);
}

char readByte(int fd) {
    char c = 0;
    return read(fd, &c, 1) == 1 ? c : 0;
}

// Child: its own namespace holding the server end of the veth, shaped by tbf.
[[noreturn]] void runServer(int toParent, int fromParent) {
    if (unshare(CLONE_NEWNET) != 0)
        _exit(10);
    writeByte(toParent, 'n');
    if (readByte(fromParent) != 'm')
        _exit(11);
    if (std::system("ip link set lo up && ip addr add 10.77.0.2/24 dev vorns0 && "
                    "ip link set vorns0 up && "
                    "tc qdisc add dev vorns0 root tbf rate 8mbit burst 32kb latency 100ms") != 0)
        _exit(12);
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kPort);
    inet_pton(AF_INET, kServerAddress, &address.sin_addr);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0)
        _exit(13);
    writeByte(toParent, 'l');
    static char chunk[64 * 1024];
    std::memset(chunk, 'x', sizeof chunk);
    for (int i = 0; i < kConnections; ++i) {
        const int connection = accept(listener, nullptr, nullptr);
        if (connection < 0)
            _exit(14);
        size_t sent = 0;
        while (sent < kBytesPerConnection) {
            const ssize_t n =
                send(connection, chunk, std::min(sizeof chunk, kBytesPerConnection - sent), 0);
            if (n <= 0)
                _exit(15);
            sent += size_t(n);
        }
        close(connection);
    }
    _exit(0);
}

// Child: downloads everything the server sends, one connection after another.
[[noreturn]] void runClient(int toParent) {
    prctl(PR_SET_NAME, kClientName);
    quint64 total = 0;
    static char buffer[64 * 1024];
    for (int i = 0; i < kConnections; ++i) {
        const int connection = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(kPort);
        inet_pton(AF_INET, kServerAddress, &address.sin_addr);
        if (connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            _exit(20);
        for (;;) {
            const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            total += quint64(n);
        }
        close(connection);
    }
    [[maybe_unused]] const ssize_t written = write(toParent, &total, sizeof total);
    _exit(0);
}

struct Child {
    pid_t pid = -1;
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    int wait() {
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    }
};

TEST(ProcessTrafficEndToEnd, DownloadIsAttributedToTheDownloadingProcess) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to create network namespaces (CI runs as root)";
    // This whole test process moves to a fresh namespace: the provider then sees exactly the
    // client's sockets, and nothing touches the machine's real network.
    if (unshare(CLONE_NEWNET) != 0) {
        if (errno == EPERM)
            GTEST_SKIP() << "root without CAP_SYS_ADMIN (an unprivileged container) cannot "
                            "create network namespaces";
        FAIL() << "unshare: " << std::strerror(errno);
    }

    int serverUp[2], serverDown[2];
    ASSERT_EQ(pipe(serverUp), 0);
    ASSERT_EQ(pipe(serverDown), 0);
    Child server;
    server.pid = fork();
    ASSERT_GE(server.pid, 0);
    if (server.pid == 0)
        runServer(serverUp[1], serverDown[0]);
    ASSERT_EQ(readByte(serverUp[0]), 'n');
    const QByteArray link = QByteArrayLiteral("ip link add vornc0 type veth peer name vorns0 "
                                              "netns ") +
                            QByteArray::number(server.pid) +
                            " && ip addr add 10.77.0.1/24 dev vornc0 && ip link set vornc0 up";
    ASSERT_EQ(std::system(link.constData()), 0);
    writeByte(serverDown[1], 'm');
    ASSERT_EQ(readByte(serverUp[0]), 'l') << "server set-up failed";

    const std::unique_ptr<ProcessTraffic> provider = ProcessTraffic::create();
    const std::optional<AppSample> before = provider->sample();
    ASSERT_TRUE(before.has_value()) << "the socket table could not be read";
    EXPECT_EQ(before->count(QString::fromLatin1(kClientName)), 0u);

    int clientPipe[2];
    ASSERT_EQ(pipe(clientPipe), 0);
    Child client;
    client.pid = fork();
    ASSERT_GE(client.pid, 0);
    if (client.pid == 0)
        runClient(clientPipe[1]);

    // Watch once a second as the sampler's thread does, until the client is done.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    int status = 0;
    while (waitpid(client.pid, &status, WNOHANG) == 0) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "download did not finish";
        provider->watch();
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    client.pid = -1;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "client status " << status;
    quint64 downloaded = 0;
    ASSERT_EQ(read(clientPipe[0], &downloaded, sizeof downloaded), ssize_t(sizeof downloaded));
    ASSERT_EQ(downloaded, quint64(kConnections) * kBytesPerConnection);
    EXPECT_EQ(server.wait(), 0);

    const std::optional<AppSample> after = provider->sample();
    ASSERT_TRUE(after.has_value()) << "the socket table could not be read";
    const auto found = after->find(QString::fromLatin1(kClientName));
    ASSERT_NE(found, after->end()) << "the downloading process was not seen";
    const quint64 attributed = found->second.first;
    EXPECT_GE(double(attributed), 0.95 * double(downloaded)) << attributed << " of " << downloaded;
    // tcp_info counts sequence numbers, so each connection's FIN adds one.
    EXPECT_LE(attributed, downloaded + kConnections);
}

} // namespace
