// Cost of the statistics window's refresh with ten years of history and 200 applications a
// day: "本年" and a ten-year custom range, plus the pure aggregation and the CSV text alone,
// and the process walk behind a name seen for the first time; with a data plan set, the menus'
// plan row and the refresh with the plan card.
#include "common/Clock.h"
#include "platform/RunningApps.h"
#include "traffic/core/DataPlan.h"
#include "traffic/core/DataPlanText.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/RangeSummary.h"
#include "traffic/core/TrafficExport.h"
#include "traffic/core/TrafficRecorder.h"
#include "traffic/windows/TrafficHistoryWindow.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

constexpr int kDays = 3650;
constexpr int kApps = 200;

class EndOfDecadeClock final : public Clock {
public:
    double elapsedSeconds() const override { return 0; }
    QDateTime now() const override { return QDateTime(QDate(2025, 12, 31), QTime(12, 0)); }
};

const EndOfDecadeClock& clock() {
    static const EndOfDecadeClock instance;
    return instance;
}

const TrafficData& history() {
    static const TrafficData data = [] {
        TrafficData built;
        const QDate last = clock().now().date();
        for (int d = 0; d < kDays; ++d) {
            DailyTraffic day{quint64(1000000 + d), quint64(500000 + d), {}};
            for (int a = 0; a < kApps; ++a)
                day.apps[QStringLiteral("process-%1").arg(a)] = {quint64(a * 1000 + d), quint64(a)};
            built[dayKey(last.addDays(-d))] = std::move(day);
        }
        return built;
    }();
    return data;
}

const DataPlanSettings kPlan{100, 15, PlanCounts::total, true};

std::unique_ptr<TrafficHistoryWindow> makeWindow(bool withPlan = false) {
    TrafficHistoryWindow::Services services;
    services.plan = [withPlan]() -> std::optional<DataPlanSettings> {
        return withPlan ? std::optional(kPlan) : std::nullopt;
    };
    services.data = &history;
    services.clock = &clock();
    services.displayName = [](const QString& name) { return name; };
    auto window = std::make_unique<TrafficHistoryWindow>(services);
    window->show();
    return window;
}

void RefreshThisYear(benchmark::State& state) {
    auto window = makeWindow();
    window->onModeChange(int(RangeMode::thisYear));
    for (auto _ : state)
        window->refresh();
    state.counters["days"] = window->rangeDays();
}
BENCHMARK(RefreshThisYear)->Unit(benchmark::kMillisecond);

void RefreshTenYears(benchmark::State& state) {
    auto window = makeWindow();
    window->onModeChange(int(RangeMode::custom));
    window->setCustomRange(clock().now().date().addDays(-(kDays - 1)), clock().now().date());
    for (auto _ : state)
        window->refresh();
    state.counters["days"] = window->rangeDays();
}
BENCHMARK(RefreshTenYears)->Unit(benchmark::kMillisecond);

void AggregateTenYears(benchmark::State& state) {
    const QDate last = clock().now().date();
    for (auto _ : state)
        benchmark::DoNotOptimize(aggregate(history(), dayKeys(last.addDays(-(kDays - 1)), last)));
}
BENCHMARK(AggregateTenYears)->Unit(benchmark::kMillisecond);

void BuildCsvTenYears(benchmark::State& state) {
    const QDate last = clock().now().date();
    const QDate first = last.addDays(-(kDays - 1));
    const ExportPeriod period{first, last, aggregate(history(), dayKeys(first, last))};
    const DisplayNameOf same = [](const QString& name) { return name; };
    for (auto _ : state)
        benchmark::DoNotOptimize(TrafficExport::csvFileBytes(period, same));
}
BENCHMARK(BuildCsvTenYears)->Unit(benchmark::kMillisecond);

// What a menu adds when it opens with a plan set: the cycle's sum and the row's text.
void PlanMenuRow(benchmark::State& state) {
    const QDate today = clock().now().date();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            DataPlanText::menuRow(DataPlan::usage(history(), kPlan, today, 0)));
}
BENCHMARK(PlanMenuRow)->Unit(benchmark::kMicrosecond);

// The default 7-day refresh with and without the plan card: the difference is the card.
void RefreshLast7(benchmark::State& state) {
    auto window = makeWindow(state.range(0) != 0);
    for (auto _ : state)
        window->refresh();
}
BENCHMARK(RefreshLast7)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One uncached name: the running-process walk that the resolver does once per new name.
void RunningApplicationsWalk(benchmark::State& state) {
    std::size_t count = 0;
    for (auto _ : state)
        count = runningApplications().size();
    state.counters["processes"] = double(count);
}
BENCHMARK(RunningApplicationsWalk)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    history();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
