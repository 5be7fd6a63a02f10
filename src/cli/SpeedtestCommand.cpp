#include "cli/SpeedtestCommand.h"

#include "cli/CommandLine.h"
#include "cli/SpeedtestReport.h"
#include "cli/Terminal.h"
#include "common/CFormat.h"
#include "platform/posix/SignalQuit.h"
#include "speedtest/core/SpeedTestHistoryStore.h"
#include "speedtest/core/SpeedTestNodes.h"
#include "speedtest/core/SpeedTestRunner.h"

#include <QCoreApplication>
#include <QDateTime>

#include <unistd.h>

namespace {

const QString kUsage =
    QStringLiteral("用法: vorn speedtest [--node ID] [--nodes FILE] [--json]\n"
                   "选择最快的测速节点，测量延迟与抖动、8 路并行下载与上传，打印结果。\n"
                   "  --node ID      使用指定的下载节点（不再择优）\n"
                   "  --nodes FILE   使用该 nodes.json 中的节点，代替内置节点\n"
                   "  --json         以一个 JSON 对象打印结果\n");

struct Options {
    QString node;
    QString nodesFile;
    bool json = false;
};

// Returns the exit code of a usage problem, or nothing when the arguments are fine.
std::optional<int> parse(const QStringList& arguments, Options* options) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            printOut(kUsage);
            return 0;
        }
        if (argument == QLatin1String("--json")) {
            options->json = true;
        } else if (argument == QLatin1String("--node") && i + 1 < arguments.size()) {
            options->node = arguments[++i];
        } else if (argument == QLatin1String("--nodes") && i + 1 < arguments.size()) {
            options->nodesFile = arguments[++i];
        } else {
            printError(QStringLiteral("无法识别的参数: %1\n\n").arg(argument) + kUsage);
            return kExitUsage;
        }
    }
    return std::nullopt;
}

std::optional<NodeCatalogue> chooseCatalogue(const Options& options) {
    if (options.nodesFile.isEmpty()) {
        if (const QString problem = SpeedTestNodes::catalogueProblem(); !problem.isEmpty())
            printError(QStringLiteral("节点文件无效，改用内置节点: %1\n").arg(problem));
        return SpeedTestNodes::catalogue();
    }
    QString error;
    auto catalogue = NodeCatalogue::load(options.nodesFile, &error);
    if (!catalogue)
        printError(QStringLiteral("节点文件无效: %1\n").arg(error));
    return catalogue;
}

// Test runs shorten the phases; people get the full lengths.
SpeedTestTuning tuningFromEnvironment() {
    SpeedTestTuning tuning;
    bool ok = false;
    const double seconds = qEnvironmentVariable("VORN_SPEEDTEST_PHASE_SECONDS").toDouble(&ok);
    if (ok && seconds > 0 && seconds < tuning.downloadSeconds) {
        tuning.downloadSeconds = seconds;
        tuning.uploadSeconds = seconds;
    }
    // Measures what the probes cost the throughput figures.
    if (qEnvironmentVariable("VORN_SPEEDTEST_LOADED_PROBES") == QLatin1String("0"))
        tuning.loadedProbeInterval = 0;
    return tuning;
}

// Adds the record to the history; says where a damaged history went, or why nothing was stored.
bool storeInHistory(const SpeedTestRecord& record) {
    SpeedTestHistoryStore& store = SpeedTestHistoryStore::shared();
    const bool stored = store.add(record);
    if (stored && store.lastQuarantinePath()) {
        printError(QStringLiteral("⚠️ 测速历史文件无法解析，已原样备份为 "
                                  "%1；本次结果存入了新的历史文件\n")
                       .arg(*store.lastQuarantinePath()));
    }
    if (!stored)
        printError(QStringLiteral("⚠️ 本次结果未能存入测速历史：%1\n")
                       .arg(store.lastSaveError()));
    return stored;
}

// Writes the progress of a run where people can see it, live when that is a terminal.
class ProgressPrinter {
public:
    explicit ProgressPrinter(bool toStandardError)
        : m_print(toStandardError ? &printError : &printOut),
          m_live(isatty(toStandardError ? STDERR_FILENO : STDOUT_FILENO)) {}

    void line(const QString& text) {
        clearLive();
        m_print(text + QLatin1Char('\n'));
    }
    void live(const QString& text) {
        if (!m_live)
            return;
        m_print(QStringLiteral("\r\x1b[2K") + text);
        m_showing = true;
    }
    void clearLive() {
        if (m_showing)
            m_print(QStringLiteral("\r\x1b[2K"));
        m_showing = false;
    }

private:
    void (*m_print)(const QString&);
    bool m_live;
    bool m_showing = false;
};

} // namespace

namespace SpeedtestCommand {

int run(const QStringList& arguments) {
    Options options;
    if (const auto exit = parse(arguments, &options))
        return *exit;
    const auto catalogue = chooseCatalogue(options);
    if (!catalogue)
        return kExitFailure;
    if (!options.node.isEmpty() && !catalogue->node(options.node)) {
        QStringList ids;
        for (const SpeedTestNode& node : catalogue->download)
            ids << node.id;
        printError(QStringLiteral("没有这个节点: %1（可用: %2）\n")
                       .arg(options.node, ids.join(QStringLiteral(", "))));
        return kExitUsage;
    }

    quitOnTerminationSignals();
    SpeedTestRunner runner(*catalogue, tuningFromEnvironment());
    SpeedTestEngine& engine = runner.engine();
    engine.preferredNodeID = options.node;
    ProgressPrinter progress(options.json);
    int exitCode = kExitFailure;

    engine.onPhase = [&](SpeedTestEngine::Phase phase) {
        if (SpeedTestEngine::isRunningPhase(phase))
            progress.line(SpeedTestEngine::label(phase));
    };
    engine.onProbe = [&](const QString& name, std::optional<double> ms) {
        progress.line(ms ? cformat("  %s  %.0f ms", qUtf8Printable(name), *ms)
                         : QStringLiteral("  %1  无响应").arg(name));
    };
    engine.onNodePicked = [&](const SpeedTestNode& down, const UploadTestNode& up, const QString&) {
        progress.line(
            QStringLiteral("  下载节点 %1（%2），上传节点 %3")
                .arg(down.name, down.detail, up.name.isEmpty() ? QStringLiteral("—") : up.name));
    };
    engine.onPingSample = [&](double ms) { progress.live(cformat("  %.0f ms", ms)); };
    engine.onPing = [&](double latency, double jitter) {
        progress.line(cformat("  延迟 %.0f ms，抖动 %.1f ms", latency, jitter));
    };
    engine.onTick = [&](SpeedTestEngine::Phase phase, double instant, double average,
                        double fraction) {
        progress.live(SpeedtestReport::progressLine(phase, instant, average, fraction));
    };
    engine.onResult = [&](const SpeedTestEngine::Result& result) {
        progress.clearLive();
        const double ts = double(QDateTime::currentMSecsSinceEpoch()) / 1000;
        // The history holds complete runs only: a record has a number for every figure.
        bool stored = true;
        if (result.noUploadNode)
            printError(QStringLiteral("没有上传节点，未测上传；本次结果不存入历史记录\n"));
        else
            stored = storeInHistory(SpeedTestRecord::fromResult(result, ts));
        if (options.json) {
            printOut(QString::fromUtf8(SpeedtestReport::resultJson(result, ts)));
        } else {
            printOut(QStringLiteral("\n") + SpeedtestReport::resultText(result));
        }
        exitCode = stored ? 0 : kExitFailure;
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    };
    engine.onError = [&](const QString& message) {
        progress.clearLive();
        printError(message + QLatin1Char('\n'));
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    };

    engine.start();
    QCoreApplication::exec();
    progress.clearLive();
    return exitCode;
}

} // namespace SpeedtestCommand
