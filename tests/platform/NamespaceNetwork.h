#pragma once

#include <QtGlobal>

#include <gtest/gtest.h>

#include <functional>
#include <netinet/in.h>
#include <string>
#include <sys/types.h>

// Whether tests that cannot run here must fail instead of skipping (under CI).
bool namespaceTestsMustRun();

// A test whose whole process moves into a fresh network namespace: a provider then sees only
// the test's sockets, and nothing touches the machine's real network. Skipped where namespaces
// cannot be made (no root, an unprivileged container), except under CI, which must run it.
class NetworkNamespaceTest : public testing::Test {
protected:
    void SetUp() override;
};

// A forked child, killed and reaped if the test ends first.
class ForkedChild {
public:
    ForkedChild() = default;
    ForkedChild(const ForkedChild&) = delete;
    ForkedChild& operator=(const ForkedChild&) = delete;
    ~ForkedChild();

    // Forks; true in the child.
    bool fork();
    pid_t pid() const { return m_pid; }
    bool running();
    // The exit code; 100 when it did not exit normally.
    int wait();

private:
    pid_t m_pid = -1;
    int m_status = 0;
};

// Runs body in a forked child that names itself `name` (as providers see it), then exits 0.
void runNamed(ForkedChild& child, const char* name, const std::function<void()>& body);

// One byte over a pipe, how tests and their children tell each other where they are.
void writeByte(int fd, char c);

// Holds a forked child where the test wants to look: the child says it got there and waits
// until the test lets it go on. Made before the fork; usable again and again.
class Checkpoint {
public:
    Checkpoint();
    Checkpoint(const Checkpoint&) = delete;
    Checkpoint& operator=(const Checkpoint&) = delete;
    ~Checkpoint();

    // In the child: tells the test and waits; the child exits (61) when the test is gone.
    void reach();
    // In the test: whether the child got there (false when it ended first).
    bool reached();
    void release();

private:
    int m_ends[2] = {-1, -1}; // the test's, the child's
};

sockaddr_in socketAddress(const char* address, int port);

// A server that sends bytesPerConnection to each of `connections` clients, one after another.
struct Download {
    const char* serverAddress;
    int port;
    int connections;
    size_t bytesPerConnection;
};

// The addresses of the veth pair a shaped server is reached over: this side, the server's.
inline constexpr const char* kNearAddress = "10.77.0.1";
inline constexpr const char* kFarAddress = "10.77.0.2";

// Runs serve in a server process in its own namespace, reached over a veth pair that gives
// this namespace kNearAddress and the server kFarAddress, shaped to 8 Mbit/s there when
// `shaped`. serve writes 'l' to toParent once it listens and never returns. Empty, or what
// failed.
std::string startPeer(ForkedChild& server, bool shaped,
                      const std::function<void(int toParent)>& serve);
// This namespace's end of that veth pair.
std::string nearLinkName();

// Starts the server of `download` (at kFarAddress) behind a veth pair shaped to 8 Mbit/s.
std::string startShapedServer(ForkedChild& server, const Download& download);

// Starts the server of `download` in this namespace, its process named `name`.
std::string startLocalServer(ForkedChild& server, const Download& download, const char* name);

// A client process named `name` that takes every connection of `download`, holding each open
// for holdMs after its last byte. Its total comes through receivedBytes() once it exits.
class DownloadClient {
public:
    DownloadClient(const char* name, const Download& download, int holdMs = 0);
    ~DownloadClient();
    ForkedChild& process() { return m_process; }
    quint64 receivedBytes();

private:
    ForkedChild m_process;
    int m_pipe[2] = {-1, -1};
};
