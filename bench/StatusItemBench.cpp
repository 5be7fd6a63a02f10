// Cost of the status item's per-second update: the title text, the rendered two-line icon and
// handing it to the tray.
#include "shell/AppShell.h"
#include "shell/StatusItem.h"
#include "shell/StatusTitle.h"

#include <benchmark/benchmark.h>

namespace {

void RenderTrayIcon(benchmark::State& state) {
    double rate = 1000;
    for (auto _ : state) {
        rate = rate * 1.37 + 11;
        if (rate > 5e9)
            rate = 1000;
        benchmark::DoNotOptimize(StatusItem::renderIcon(
            StatusTitle::shortRate(rate), StatusTitle::shortRate(rate / 3), int(state.range(0))));
    }
}
BENCHMARK(RenderTrayIcon)->Arg(22)->Arg(44);

void UpdateStatusTitle(benchmark::State& state) {
    AppShell shell(nullptr, nullptr, nullptr);
    shell.setupStatusItem();
    double rate = 1000;
    for (auto _ : state) {
        rate = rate * 1.37 + 11;
        if (rate > 5e9)
            rate = 1000;
        shell.updateStatusTitle(rate, rate / 3);
    }
}
BENCHMARK(UpdateStatusTitle);

} // namespace
