// Cost of one per-application sample with 1 000 open TCP sockets whose traffic crosses a
// counted link, side by side: the socket-table provider against vorn-traffic-helper (the
// helper's own CPU from its schedstat, the program's from this process). Needs root: the
// sockets cross a veth pair into a network namespace made here.
#include "platform/ProcessTraffic.h"
#include "platform/linux/HelperProcessTraffic.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <netinet/in.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr int kSockets = 1000;
constexpr int kPort = 18090;

sockaddr_in serverAddress() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kPort);
    inet_pton(AF_INET, "10.79.0.2", &address.sin_addr);
    return address;
}

// This process in a namespace of its own, joined by a veth pair to a server namespace whose
// server holds every connection open; kSockets connections that have each carried a few bytes.
class CountedSockets {
public:
    CountedSockets() {
        if (geteuid() != 0 || unshare(CLONE_NEWNET) != 0)
            return;
        int ready[2], go[2];
        if (pipe(ready) != 0 || pipe(go) != 0)
            return;
        m_server = fork();
        if (m_server == 0)
            serve(ready[1], go[0]);
        char c = 0;
        if (read(ready[0], &c, 1) != 1 || c != 'n')
            return;
        const QByteArray link = "ip link set lo up && ip link add vornbc type veth peer name "
                                "vornbs netns " +
                                QByteArray::number(m_server) +
                                " && ip addr add 10.79.0.1/24 dev vornbc && ip link set vornbc up";
        if (std::system(link.constData()) != 0 || write(go[1], "m", 1) != 1 ||
            read(ready[0], &c, 1) != 1 || c != 'l')
            return;
        const sockaddr_in server = serverAddress();
        for (int i = 0; i < kSockets; ++i) {
            const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (connect(fd, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0)
                return;
            m_fds.push_back(fd);
        }
        touch(kSockets);
        m_ok = true;
    }
    ~CountedSockets() {
        for (int fd : m_fds)
            close(fd);
        if (m_server > 0) {
            kill(m_server, SIGKILL);
            waitpid(m_server, nullptr, 0);
        }
    }
    bool ok() const { return m_ok; }
    // A few bytes on the first count sockets, so the counters move between samples.
    void touch(int count) {
        for (int i = 0; i < count && i < int(m_fds.size()); ++i)
            [[maybe_unused]] ssize_t n = send(m_fds[size_t(i)], "ping", 4, MSG_NOSIGNAL);
    }

private:
    [[noreturn]] static void serve(int ready, int go) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (unshare(CLONE_NEWNET) != 0 || write(ready, "n", 1) != 1)
            _exit(1);
        char c = 0;
        if (read(go, &c, 1) != 1 ||
            std::system("ip link set lo up && ip addr add 10.79.0.2/24 dev vornbs && "
                        "ip link set vornbs up") != 0)
            _exit(1);
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in address = serverAddress();
        if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener, kSockets) != 0 || write(ready, "l", 1) != 1)
            _exit(1);
        std::vector<int> held;
        for (;;) {
            const int fd = accept(listener, nullptr, nullptr);
            if (fd >= 0)
                held.push_back(fd); // never read: the bytes wait in the receive queue
        }
    }

    pid_t m_server = -1;
    std::vector<int> m_fds;
    bool m_ok = false;
};

CountedSockets& sockets() {
    static CountedSockets instance;
    return instance;
}

// Nanoseconds of CPU a process has used, from its schedstat.
double cpuNanoseconds(pid_t pid) {
    QFile file(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().split(' ').value(0).toDouble();
}

// The helper this process started: its only child named so.
pid_t helperChild() {
    const QByteArray self = QByteArray::number(getpid());
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const qsizetype nameEnd = text.lastIndexOf(')');
        const QList<QByteArray> rest = text.mid(nameEnd + 2).split(' ');
        if (text.contains("(vorn-traffic-he)") && rest.value(1) == self)
            return pid_t(entry.toInt());
    }
    return -1;
}

void SocketTableSampleWith1000Sockets(benchmark::State& state) {
    if (!sockets().ok()) {
        state.SkipWithError("needs root and network namespaces");
        return;
    }
    const auto provider = ProcessTraffic::create(); // no helper beside the benchmark: the table
    provider->sample();
    for (auto _ : state) {
        state.PauseTiming();
        sockets().touch(100);
        state.ResumeTiming();
        benchmark::DoNotOptimize(provider->sample());
    }
}
BENCHMARK(SocketTableSampleWith1000Sockets)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void HelperSampleWith1000Sockets(benchmark::State& state) {
    if (!sockets().ok()) {
        state.SkipWithError("needs root and network namespaces");
        return;
    }
    HelperProcessTraffic provider(QStringLiteral(VORN_HELPER_BINARY), {});
    if (!provider.sample()) { // starts the helper and adopts the older sockets
        state.SkipWithError("vorn-traffic-helper did not start");
        return;
    }
    const pid_t helper = helperChild();
    const double helperBefore = cpuNanoseconds(helper);
    for (auto _ : state) {
        state.PauseTiming();
        sockets().touch(100);
        state.ResumeTiming();
        benchmark::DoNotOptimize(provider.sample());
    }
    state.counters["helper_ms_per_sample"] =
        (cpuNanoseconds(helper) - helperBefore) / 1e6 / double(state.iterations());
}
BENCHMARK(HelperSampleWith1000Sockets)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// Once per start of the program: loading and attaching the programs, then finding the process
// of 1 000 sockets older than the helper when they next carry bytes.
void HelperStartAndAdopt1000Sockets(benchmark::State& state) {
    if (!sockets().ok()) {
        state.SkipWithError("needs root and network namespaces");
        return;
    }
    double helperNanoseconds = 0;
    for (auto _ : state) {
        HelperProcessTraffic provider(QStringLiteral(VORN_HELPER_BINARY), {});
        provider.sample();
        sockets().touch(kSockets);
        provider.sample();
        helperNanoseconds += cpuNanoseconds(helperChild());
    }
    state.counters["helper_ms"] = helperNanoseconds / 1e6 / double(state.iterations());
}
BENCHMARK(HelperStartAndAdopt1000Sockets)
    ->Iterations(5)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
