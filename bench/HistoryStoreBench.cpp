// Cost of the speed-test history as it grows: loading at start-up, one add (which rewrites
// the whole file) and refilling one page of the list.
#include "speedtest/core/SpeedTestHistoryStore.h"
#include "speedtest/windows/SpeedTestHistoryView.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

SpeedTestRecord sampleRecord(int n) {
    SpeedTestRecord record;
    record.ts = 1765000000.25 + n * 90;
    record.downMbps = 93.46 + n % 400;
    record.upMbps = 41.2 + n % 90;
    record.latencyMs = 12.4 + n % 30;
    record.jitterMs = 1.25;
    record.grade = QStringLiteral("良好");
    record.downNode = QStringLiteral("华为云镜像");
    record.upNode = QStringLiteral("中科大 USTC");
    record.iface = QStringLiteral("eth0");
    record.mac = QStringLiteral("52:54:00:12:34:56");
    record.ipv4 = QStringLiteral("192.168.1.23");
    record.ipv6 = QStringLiteral("2001:db8:85a3::8a2e:370:7334");
    record.publicIP = QStringLiteral("203.0.113.7");
    return record;
}

// A history file of count records in a fresh directory.
struct HistoryFile {
    explicit HistoryFile(int count) : path(dir.filePath(QStringLiteral("history.json"))) {
        QList<SpeedTestRecord> records;
        for (int n = 0; n < count; ++n)
            records.append(sampleRecord(n));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(SpeedTestHistoryFile::encode(records));
    }
    QTemporaryDir dir;
    QString path;
};

void Load(benchmark::State& state) {
    HistoryFile file(int(state.range(0)));
    for (auto _ : state) {
        SpeedTestHistoryStore store(file.path);
        benchmark::DoNotOptimize(store.records().size());
    }
}
BENCHMARK(Load)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void Add(benchmark::State& state) {
    HistoryFile file(int(state.range(0)));
    SpeedTestHistoryStore store(file.path);
    for (auto _ : state)
        store.add(sampleRecord(1));
}
BENCHMARK(Add)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void Encode(benchmark::State& state) {
    QList<SpeedTestRecord> records;
    for (int n = 0; n < state.range(0); ++n)
        records.append(sampleRecord(n));
    for (auto _ : state)
        benchmark::DoNotOptimize(SpeedTestHistoryFile::encode(records));
}
BENCHMARK(Encode)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void ReloadPage(benchmark::State& state) {
    HistoryFile file(int(state.range(0)));
    SpeedTestHistoryStore store(file.path);
    SpeedTestHistoryView view(store);
    view.resize(560, 640);
    view.show();
    view.pageSizeChanged(state.range(1) == 100 ? 3 : 0);
    for (auto _ : state) {
        view.nextPage();
        view.firstPage();
    }
    state.counters["reloads"] = benchmark::Counter(double(state.iterations()) * 2);
}
BENCHMARK(ReloadPage)
    ->Args({10000, 10})
    ->Args({10000, 100})
    ->Args({100000, 10})
    ->Args({100000, 100})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
