// Cost of the per-second counter reading and tick, beside the floor of reading
// /proc/net/dev once.
#include "platform/InterfaceCounters.h"
#include "rates/NetTotals.h"
#include "rates/RateSampler.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

void ReadProcNetDevFloor(benchmark::State& state) {
    char buffer[8192];
    for (auto _ : state) {
        const int fd = ::open("/proc/net/dev", O_RDONLY | O_CLOEXEC);
        ssize_t total = 0;
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            total += n;
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(ReadProcNetDevFloor);

void ReadNetTotals(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(readNetTotals());
}
BENCHMARK(ReadNetTotals);

void WholeTickWithoutDrawing(benchmark::State& state) {
    RateSampler sampler;
    sampler.setBaseline(readInterfaceCounters());
    for (auto _ : state)
        benchmark::DoNotOptimize(sampler.tick(readInterfaceCounters()));
}
BENCHMARK(WholeTickWithoutDrawing);

} // namespace

BENCHMARK_MAIN();
