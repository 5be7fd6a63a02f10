#include "NamespaceNetwork.h"

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

bool namespaceTestsMustRun() {
    return qEnvironmentVariable("CI") == QLatin1String("true");
}

void writeByte(int fd, char c) {
    [[maybe_unused]] const ssize_t written = write(fd, &c, 1);
}

namespace {

// 0 when none came.
char readByte(int fd) {
    char c = 0;
    return read(fd, &c, 1) == 1 ? c : 0;
}

// Each side closes the end it does not use, so that it reads an end of file, not a wait
// forever, when the other side is gone.
void closeOnce(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

bool sendByte(int fd, char c) {
    return send(fd, &c, 1, MSG_NOSIGNAL) == 1; // a peer gone is no signal
}

} // namespace

Checkpoint::Checkpoint() {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_ends) != 0)
        ADD_FAILURE() << "socketpair: " << std::strerror(errno);
}

Checkpoint::~Checkpoint() {
    closeOnce(m_ends[0]);
    closeOnce(m_ends[1]);
}

void Checkpoint::reach() {
    closeOnce(m_ends[0]);
    if (!sendByte(m_ends[1], 'r') || readByte(m_ends[1]) != 'g')
        _exit(61);
}

bool Checkpoint::reached() {
    closeOnce(m_ends[1]);
    return readByte(m_ends[0]) == 'r';
}

void Checkpoint::release() {
    closeOnce(m_ends[1]);
    sendByte(m_ends[0], 'g');
}

sockaddr_in socketAddress(const char* address, int port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_port = htons(quint16(port));
    inet_pton(AF_INET, address, &socketAddress.sin_addr);
    return socketAddress;
}

namespace {

// Names unique to this test process: other tests may make veth pairs at the same moment.
QByteArray vethName(char side) {
    return QByteArray("vorn") + side + QByteArray::number(getpid());
}

// Listens, tells the parent, then serves every connection of `download`. Never returns.
[[noreturn]] void serve(const Download& download, int toParent) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const sockaddr_in address = socketAddress(download.serverAddress, download.port);
    if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0)
        _exit(13);
    writeByte(toParent, 'l');
    static char chunk[64 * 1024];
    std::memset(chunk, 'x', sizeof chunk);
    for (int i = 0; i < download.connections; ++i) {
        const int connection = accept(listener, nullptr, nullptr);
        if (connection < 0)
            _exit(14);
        size_t sent = 0;
        while (sent < download.bytesPerConnection) {
            const ssize_t n = send(connection, chunk,
                                   std::min(sizeof chunk, download.bytesPerConnection - sent), 0);
            if (n <= 0)
                _exit(15);
            sent += size_t(n);
        }
        // Wait for the client to close first, so the server's socket ends without TIME_WAIT.
        while (recv(connection, chunk, sizeof chunk, 0) > 0) {
        }
        close(connection);
    }
    _exit(0);
}

std::string serverFailure(ForkedChild& server) {
    return "server set-up failed with exit code " + std::to_string(server.wait());
}

} // namespace

void NetworkNamespaceTest::SetUp() {
    const char* reason = nullptr;
    if (geteuid() != 0) {
        reason = "needs root to create network namespaces";
    } else if (unshare(CLONE_NEWNET) != 0) {
        if (errno != EPERM)
            FAIL() << "unshare: " << std::strerror(errno);
        reason = "root without CAP_SYS_ADMIN (an unprivileged container) cannot create network "
                 "namespaces";
    }
    if (!reason) {
        // Traffic to the namespace's own addresses travels over lo.
        ASSERT_EQ(std::system("ip link set lo up"), 0);
        return;
    }
    if (namespaceTestsMustRun())
        FAIL() << reason << " (CI must run this test)";
    GTEST_SKIP() << reason;
}

ForkedChild::~ForkedChild() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool ForkedChild::fork() {
    m_pid = ::fork();
    return m_pid == 0;
}

bool ForkedChild::running() {
    if (m_pid <= 0)
        return false;
    if (waitpid(m_pid, &m_status, WNOHANG) == 0)
        return true;
    m_pid = -1;
    return false;
}

int ForkedChild::wait() {
    if (m_pid > 0) {
        waitpid(m_pid, &m_status, 0);
        m_pid = -1;
    }
    return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : 100;
}

std::string nearLinkName() {
    return vethName('c').toStdString();
}

std::string startPeer(ForkedChild& server, bool shaped,
                      const std::function<void(int toParent)>& serve) {
    int up[2], down[2];
    if (pipe(up) != 0 || pipe(down) != 0)
        return "pipe failed";
    const QByteArray near = vethName('c');
    const QByteArray far = vethName('s');
    if (server.fork()) {
        if (unshare(CLONE_NEWNET) != 0)
            _exit(10);
        writeByte(up[1], 'n');
        if (readByte(down[0]) != 'm')
            _exit(11);
        QByteArray setUp = "ip link set lo up && ip addr add " + QByteArray(kFarAddress) +
                           "/24 dev " + far + " && ip link set " + far + " up";
        if (shaped)
            setUp +=
                " && tc qdisc add dev " + far + " root tbf rate 8mbit burst 32kb latency 100ms";
        if (std::system(setUp.constData()) != 0)
            _exit(12);
        serve(up[1]);
        _exit(16);
    }
    if (readByte(up[0]) != 'n')
        return serverFailure(server);
    const QByteArray link = "ip link add " + near + " type veth peer name " + far + " netns " +
                            QByteArray::number(server.pid()) + " && ip addr add " +
                            QByteArray(kNearAddress) + "/24 dev " + near + " && ip link set " +
                            near + " up";
    if (std::system(link.constData()) != 0)
        return "could not make the veth pair " + near.toStdString();
    writeByte(down[1], 'm');
    if (readByte(up[0]) != 'l')
        return serverFailure(server);
    return {};
}

std::string startShapedServer(ForkedChild& server, const Download& download) {
    return startPeer(server, true, [&](int toParent) { serve(download, toParent); });
}

std::string startLocalServer(ForkedChild& server, const Download& download, const char* name) {
    int up[2];
    if (pipe(up) != 0)
        return "pipe failed";
    if (server.fork()) {
        prctl(PR_SET_NAME, name);
        serve(download, up[1]);
    }
    if (readByte(up[0]) != 'l')
        return serverFailure(server);
    return {};
}

void runNamed(ForkedChild& child, const char* name, const std::function<void()>& body) {
    if (!child.fork())
        return;
    prctl(PR_SET_NAME, name);
    body();
    _exit(0);
}

DownloadClient::DownloadClient(const char* name, const Download& download, int holdMs) {
    if (pipe(m_pipe) != 0)
        return;
    if (!m_process.fork())
        return;
    prctl(PR_SET_NAME, name);
    quint64 total = 0;
    static char buffer[64 * 1024];
    const sockaddr_in address = socketAddress(download.serverAddress, download.port);
    for (int i = 0; i < download.connections; ++i) {
        const int connection = socket(AF_INET, SOCK_STREAM, 0);
        if (connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            _exit(20);
        quint64 received = 0;
        while (received < download.bytesPerConnection) {
            const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            received += quint64(n);
        }
        total += received;
        usleep(useconds_t(holdMs) * 1000);
        close(connection);
    }
    [[maybe_unused]] const ssize_t written = write(m_pipe[1], &total, sizeof total);
    _exit(0);
}

DownloadClient::~DownloadClient() {
    for (const int fd : m_pipe) {
        if (fd >= 0)
            close(fd);
    }
}

quint64 DownloadClient::receivedBytes() {
    quint64 total = 0;
    return read(m_pipe[0], &total, sizeof total) == ssize_t(sizeof total) ? total : 0;
}
