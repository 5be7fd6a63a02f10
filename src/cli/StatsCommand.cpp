#include "cli/StatsCommand.h"

#include "cli/CommandLine.h"
#include "cli/PlanReport.h"
#include "cli/Terminal.h"
#include "common/Brand.h"
#include "common/CFormat.h"
#include "common/Clock.h"
#include "common/Saturating.h"
#include "settings/PreferencesCatalogue.h"
#include "traffic/core/AppNameResolver.h"
#include "traffic/core/AppTrafficSourceText.h"
#include "traffic/core/DataPlan.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/RangeMode.h"
#include "traffic/core/TrafficFile.h"
#include "traffic/core/TrafficFormat.h"
#include "traffic/core/TrafficRecorder.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <optional>
#include <variant>

namespace {

const QString kUsage = QStringLiteral(
    "用法: vorn stats [--today|--last7|--last30|--month|--year|--from 日期 --to 日期]\n"
    "                 [--csv|--json] [-o 文件]\n"
    "       vorn stats --plan [--json] [-o 文件]\n"
    "打印一个时间段的下载、上传与合计，以及每天和每个应用的流量（默认近 7 天）。\n"
    "  --today, --last7, --last30, --month, --year   今日、近 7 天、近 30 天、本月、本年\n"
    "  --from YYYY-MM-DD --to YYYY-MM-DD             自定义区间（含首尾两天）\n"
    "  --csv, --json   输出与统计窗口导出完全相同的 CSV 或 JSON\n"
    "  -o 文件         写入文件而不是标准输出\n"
    "  --plan          流量套餐：本计费周期、已用、剩余、百分比、剩余天数与用完日期预测\n");

struct Options {
    RangeMode mode = RangeMode::last7;
    QDate from;
    QDate to;
    enum class Format { text, csv, json } format = Format::text;
    QString output;
    bool plan = false;
};

// The options, or the reason they are wrong.
std::variant<Options, QString> parseOptions(const QStringList& arguments) {
    Options options;
    bool periodGiven = false;
    bool formatGiven = false;
    const auto setPeriod = [&](RangeMode mode) -> std::optional<QString> {
        if (periodGiven && !(mode == RangeMode::custom && options.mode == RangeMode::custom))
            return QStringLiteral("只能指定一个时间段");
        periodGiven = true;
        options.mode = mode;
        return std::nullopt;
    };
    const auto readDate = [](const QString& text) {
        return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        std::optional<QString> problem;
        if (argument == QLatin1String("--today"))
            problem = setPeriod(RangeMode::today);
        else if (argument == QLatin1String("--last7"))
            problem = setPeriod(RangeMode::last7);
        else if (argument == QLatin1String("--last30"))
            problem = setPeriod(RangeMode::last30);
        else if (argument == QLatin1String("--month"))
            problem = setPeriod(RangeMode::thisMonth);
        else if (argument == QLatin1String("--year"))
            problem = setPeriod(RangeMode::thisYear);
        else if (argument == QLatin1String("--from") || argument == QLatin1String("--to")) {
            if (!hasValue)
                return QStringLiteral("%1 需要一个日期").arg(argument);
            const QDate date = readDate(arguments[++i]);
            if (!date.isValid())
                return QStringLiteral("日期应为 YYYY-MM-DD: %1").arg(arguments[i]);
            problem = setPeriod(RangeMode::custom);
            (argument == QLatin1String("--from") ? options.from : options.to) = date;
        } else if (argument == QLatin1String("--csv") || argument == QLatin1String("--json")) {
            if (formatGiven)
                return QStringLiteral("--csv 与 --json 只能选一个");
            formatGiven = true;
            options.format =
                argument == QLatin1String("--csv") ? Options::Format::csv : Options::Format::json;
        } else if (argument == QLatin1String("--plan")) {
            options.plan = true;
        } else if (argument == QLatin1String("-o") || argument == QLatin1String("--output")) {
            if (!hasValue || arguments[i + 1].isEmpty())
                return QStringLiteral("%1 需要一个文件名").arg(argument);
            options.output = arguments[++i];
        } else {
            return QStringLiteral("未知选项: %1").arg(argument);
        }
        if (problem)
            return *problem;
    }
    if (options.plan && (periodGiven || options.format == Options::Format::csv))
        return QStringLiteral("--plan 只能与 --json 和 -o 同用");
    if (options.mode == RangeMode::custom) {
        if (!options.from.isValid() || !options.to.isValid())
            return QStringLiteral("--from 与 --to 要一起给出");
        if (options.from > options.to)
            return QStringLiteral("开始日期晚于结束日期");
    }
    return options;
}

// The recorded history, as the desktop program loads it; nothing when the file exists but
// cannot be read or parsed (the reason is printed).
std::optional<TrafficData> loadHistory() {
    const std::optional<QString> directory = Brand::supportDirectory();
    if (!directory)
        return TrafficData{};
    const QString path = QDir(*directory).filePath(TrafficRecorder::kFileName);
    QFile file(path);
    if (!file.exists())
        return TrafficData{};
    if (!file.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("无法读取流量文件“%1”：%2\n").arg(path, file.errorString()));
        return std::nullopt;
    }
    std::optional<TrafficData> data = TrafficFile::parse(file.readAll());
    if (!data)
        printError(QStringLiteral("流量文件“%1”不是有效的 JSON\n").arg(path));
    return data;
}

// bytes to standard output, or to the file output when one is named.
int writeOut(const QByteArray& bytes, const QString& output) {
    if (output.isEmpty()) {
        if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) !=
                std::size_t(bytes.size()) ||
            std::fflush(stdout) != 0) {
            printError(QStringLiteral("无法写入标准输出\n"));
            return kExitFailure;
        }
        return 0;
    }
    if (const auto failure = TrafficExport::writeFile(output, bytes)) {
        printError(QStringLiteral("无法写入文件“%1”：%2\n").arg(output, *failure));
        return kExitFailure;
    }
    return 0;
}

QString padLeft(const QString& text, int width) {
    return text.rightJustified(width, QLatin1Char(' '));
}

} // namespace

namespace StatsCommand {

QString summaryText(const ExportPeriod& period, const DisplayNameOf& displayName,
                    AppTrafficSource appSource) {
    const RangeSummary summary = period.summary.value_or(RangeSummary{});
    QString text = QStringLiteral("区间 %1 ~ %2  ·  共 %3 天\n")
                       .arg(dayKey(period.from), dayKey(period.to))
                       .arg(rangeDays(period.from, period.to));
    text += QStringLiteral("下载 %1 · 上传 %2 · 合计 %3\n")
                .arg(fmtBytesTraffic(summary.totalIn), fmtBytesTraffic(summary.totalOut),
                     fmtBytesTraffic(saturatingAdd(summary.totalIn, summary.totalOut)));
    if (summary.perDay.empty())
        return text + QStringLiteral("\n区间内没有记录。\n");

    text += QStringLiteral("\n日期              下载        上传        合计\n");
    for (const DayTotal& day : summary.perDay) {
        text += day.date + padLeft(fmtBytesTraffic(day.inBytes), 12) +
                padLeft(fmtBytesTraffic(day.outBytes), 12) +
                padLeft(fmtBytesTraffic(saturatingAdd(day.inBytes, day.outBytes)), 12) +
                QLatin1Char('\n');
    }
    text += QLatin1Char('\n') + appTrafficSourceText(appSource) + QLatin1Char('\n');
    const auto apps = sortedApps(summary.apps);
    if (apps.empty())
        return text;
    text += QStringLiteral("        下载        上传        合计     占比  应用\n");
    for (const NamedAppTraffic& app : apps) {
        const AppTraffic& t = app.traffic;
        const QString name = displayName(app.name);
        text += padLeft(fmtBytesTraffic(t.bytesIn), 12) + padLeft(fmtBytesTraffic(t.bytesOut), 12) +
                padLeft(fmtBytesTraffic(saturatingAdd(t.bytesIn, t.bytesOut)), 12) +
                padLeft(cformat("%.1f%%", appShare(t, summary) * 100), 9) + QStringLiteral("  ") +
                (name == app.name ? name : name + QStringLiteral(" (") + app.name + ')') +
                QLatin1Char('\n');
    }
    return text;
}

int run(const QStringList& arguments) {
    // Usage is checked before the file is read, so a bad option is never reported as a bad file.
    const bool help =
        arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"));
    if (help || std::holds_alternative<QString>(parseOptions(arguments)))
        return runWith(arguments, {}, Clock::system(), {}, {});
    const std::optional<TrafficData> history = loadHistory();
    if (!history)
        return kExitFailure;
    return runWith(arguments, *history, Clock::system(), &AppNameResolver::friendlyName,
                   &ProcessTraffic::sourceOnThisMachine);
}

int runWith(const QStringList& arguments, const TrafficData& history, const Clock& clock,
            const DisplayNameOf& displayName, const std::function<AppTrafficSource()>& appSource) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        printOut(kUsage);
        return 0;
    }
    const auto parsed = parseOptions(arguments);
    if (const QString* problem = std::get_if<QString>(&parsed)) {
        printError(*problem + QStringLiteral("\n\n") + kUsage);
        return kExitUsage;
    }
    const Options& options = std::get<Options>(parsed);
    QByteArray bytes;
    if (options.plan) {
        const std::optional<DataPlanSettings> plan = PreferencesCatalogue::dataPlan();
        if (!plan) {
            printError(QStringLiteral("未设置流量套餐：请在偏好设置的“流量套餐”中填写每月额度，"
                                      "或运行 vorn config set dataPlan.quotaGB 额度\n"));
            return kExitFailure;
        }
        const qint64 retention = DataPlan::storedRetentionDays();
        const DataPlanUsage usage =
            DataPlan::usage(history, *plan, clock.now().toLocalTime().date(), retention);
        bytes = options.format == Options::Format::json
                    ? PlanReport::json(usage, plan->counts)
                    : PlanReport::text(usage, plan->counts, retention).toUtf8();
        return writeOut(bytes, options.output);
    }
    const DateRange range = resolveRange(options.mode, clock.now(), options.from, options.to);
    const ExportPeriod period{range.from, range.to,
                              aggregate(history, dayKeys(range.from, range.to))};

    switch (options.format) {
    case Options::Format::csv:
        bytes = TrafficExport::csvFileBytes(period, displayName);
        break;
    case Options::Format::json:
        bytes = TrafficExport::jsonFileBytes(period, displayName);
        break;
    case Options::Format::text:
        bytes = summaryText(period, displayName, appSource()).toUtf8();
        break;
    }
    return writeOut(bytes, options.output);
}

} // namespace StatsCommand
