// Saving and loading the traffic file at a year and a decade of history, 200 applications a day.
#include "common/Clock.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/TrafficFile.h"
#include "traffic/core/TrafficRecorder.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kAppsPerDay = 200;

TrafficData history(int days) {
    TrafficData data;
    const QDate today(2026, 12, 6);
    for (int day = 0; day < days; ++day) {
        DailyTraffic traffic{quint64(day) * 123456789ull, quint64(day) * 98765ull, {}};
        for (int app = 0; app < kAppsPerDay; ++app) {
            traffic.apps[QStringLiteral("com.example.application-%1").arg(app)] =
                AppTraffic{quint64(app) * 1000003ull + quint64(day), quint64(app) * 7919ull};
        }
        data[dayKey(today.addDays(-day))] = std::move(traffic);
    }
    return data;
}

// A store directory holding a traffic file of the given number of days.
QString storeOf(QTemporaryDir& dir, int days) {
    QFile file(QDir(dir.path()).filePath(TrafficRecorder::kFileName));
    file.open(QIODevice::WriteOnly);
    file.write(TrafficFile::serialize(history(days)));
    return dir.path();
}

void SaveData(benchmark::State& state) {
    QTemporaryDir dir;
    TrafficRecorder recorder(Clock::system(), storeOf(dir, int(state.range(0))), nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(recorder.saveData());
    state.counters["bytes"] = double(QFileInfo(recorder.dataURL()).size());
}
BENCHMARK(SaveData)->Arg(365)->Arg(3650)->Unit(benchmark::kMillisecond);

void LoadAtStart(benchmark::State& state) {
    QTemporaryDir dir;
    const QString store = storeOf(dir, int(state.range(0)));
    for (auto _ : state) {
        TrafficRecorder recorder(Clock::system(), store, nullptr);
        benchmark::DoNotOptimize(recorder.data().size());
    }
}
BENCHMARK(LoadAtStart)->Arg(365)->Arg(3650)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
