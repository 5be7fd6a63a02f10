// Cost of the Linux per-process provider: the once-a-second watch on an idle machine, and one
// sample with 1 000 open TCP sockets, beside one run of `ss -tinp` over the same sockets.
#include "platform/InterfaceAddresses.h"
#include "platform/IpAddress.h"
#include "platform/ProcessTraffic.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace {

// Two addresses that are local to a private network namespace without belonging to any
// interface (a local route on lo): connections between them stay in this process, yet the
// provider counts and maps them as it does connections to other machines.
constexpr const char* kServerAddress = "10.99.0.1";
constexpr const char* kClientAddress = "10.99.0.2";

sockaddr_in socketAddress(const char* text) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, text, &address.sin_addr);
    return address;
}

// 500 connections in a private network namespace: 1 000 TCP sockets, each having carried a
// few bytes. The whole process moves there, so the benchmarks before the first use measure
// the machine's own connection table. Needs root.
class OpenSockets {
public:
    OpenSockets() {
        if (unshare(CLONE_NEWNET) != 0 ||
            std::system("ip link set lo up && ip route add local 10.99.0.0/24 dev lo") != 0)
            return;
        const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = socketAddress(kServerAddress);
        socklen_t length = sizeof address;
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener, 1024);
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        const sockaddr_in clientAddress = socketAddress(kClientAddress);
        for (int i = 0; i < 500; ++i) {
            const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            bind(client, reinterpret_cast<const sockaddr*>(&clientAddress), sizeof clientAddress);
            connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
            const int server = accept(listener, nullptr, nullptr);
            [[maybe_unused]] ssize_t n = write(client, "hello", 5);
            n = write(server, "world!", 6);
            m_fds.push_back(client);
            m_fds.push_back(server);
        }
        close(listener);
        m_ready = true;
    }
    ~OpenSockets() {
        for (int fd : m_fds)
            close(fd);
    }
    bool ready() const { return m_ready; }

private:
    std::vector<int> m_fds;
    bool m_ready = false;
};

bool ensureSockets(benchmark::State& state) {
    static OpenSockets sockets;
    if (!sockets.ready())
        state.SkipWithError("needs root to make a network namespace");
    return sockets.ready();
}

// The once-a-second watch when no connection was opened since the last one: the usual case
// on an idle desktop.
void WatchWithoutNewConnections(benchmark::State& state) {
    const auto provider = ProcessTraffic::create();
    provider->sample();
    for (auto _ : state)
        provider->watch();
}
BENCHMARK(WatchWithoutNewConnections)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

// A watch that lists the sockets of an idle machine (a connection was opened): the cost of one
// listing over the kernel's whole connection table.
void WatchListingIdleMachine(benchmark::State& state) {
    const auto provider = ProcessTraffic::create();
    provider->sample();
    for (auto _ : state)
        benchmark::DoNotOptimize(provider->sample());
}
BENCHMARK(WatchListingIdleMachine)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

// What every listing adds to learn the machine's own addresses.
void ReadOwnAddresses(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ownAddresses(readInterfaceAddresses()));
}
BENCHMARK(ReadOwnAddresses)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

double selfCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The real schedule on this machine as it is: one watch a second for 30 s. Reports the share
// of one core the watching cost.
void WatchEverySecondFor30s(benchmark::State& state) {
    const auto provider = ProcessTraffic::create();
    provider->sample();
    for (auto _ : state) {
        const double before = selfCpuSeconds();
        for (int second = 0; second < 30; ++second) {
            sleep(1);
            provider->watch();
        }
        const double used = selfCpuSeconds() - before;
        state.SetIterationTime(used);
        state.counters["core_percent"] = 100 * used / 30;
    }
}
BENCHMARK(WatchEverySecondFor30s)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// A sample by a fresh provider: every socket is new, so all 1 000 are looked up in /proc.
void SampleWith1000SocketsCold(benchmark::State& state) {
    if (!ensureSockets(state))
        return;
    for (auto _ : state) {
        const auto provider = ProcessTraffic::create();
        benchmark::DoNotOptimize(provider->sample());
    }
}
BENCHMARK(SampleWith1000SocketsCold)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// A sample when the sockets are already known (the usual case every 15 s).
void SampleWith1000SocketsWarm(benchmark::State& state) {
    if (!ensureSockets(state))
        return;
    const auto provider = ProcessTraffic::create();
    provider->sample();
    for (auto _ : state)
        benchmark::DoNotOptimize(provider->sample());
}
BENCHMARK(SampleWith1000SocketsWarm)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// `ss -tinp` over the same sockets, timed by the CPU its process used.
void SsTinpWith1000Sockets(benchmark::State& state) {
    if (!ensureSockets(state))
        return;
    for (auto _ : state) {
        const double before = childCpuSeconds();
        const pid_t child = fork();
        if (child == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execlp("ss", "ss", "-tinp", static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("ss did not run");
            break;
        }
        state.SetIterationTime(childCpuSeconds() - before);
    }
}
BENCHMARK(SsTinpWith1000Sockets)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
