#include "cli/CommandLine.h"

#include "cli/ConfigCommand.h"
#include "cli/HistoryCommand.h"
#include "cli/MonitorCommand.h"
#include "cli/SpeedtestCommand.h"
#include "cli/StatsCommand.h"
#include "cli/Terminal.h"
#include "common/Brand.h"

#include <QCoreApplication>

#include <array>

namespace {

struct Subcommand {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& arguments);
};

const std::array kSubcommands = {
    Subcommand{"monitor", MonitorCommand::kSummary, &MonitorCommand::run},
    Subcommand{"speedtest", SpeedtestCommand::kSummary, &SpeedtestCommand::run},
    Subcommand{"stats", StatsCommand::kSummary, &StatsCommand::run},
    Subcommand{"config", ConfigCommand::kSummary, &ConfigCommand::run},
    Subcommand{"history", HistoryCommand::kSummary, &HistoryCommand::run},
};

QString usage() {
    QString text =
        QStringLiteral("%1 — %2\n\n用法:\n  vorn              启动桌面程序（悬浮球与托盘）\n")
            .arg(Brand::full, Brand::slogan);
    for (const auto& command : kSubcommands) {
        text += QStringLiteral("  vorn %1%2%3\n")
                    .arg(QString::fromLatin1(command.name))
                    .arg(QString(qMax(1, 13 - int(qstrlen(command.name))), QLatin1Char(' ')))
                    .arg(QString::fromUtf8(command.summary));
    }
    text += QStringLiteral("  vorn --help       显示本帮助\n"
                           "  vorn --version    显示版本\n\n"
                           "每个子命令的 --help 说明其选项。\n");
    return text;
}

} // namespace

namespace CommandLine {

std::optional<int> runSubcommand(int argc, char** argv) {
    if (argc < 2)
        return std::nullopt;
    const QString first = QString::fromLocal8Bit(argv[1]);
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        printOut(usage());
        return 0;
    }
    if (first == QLatin1String("--version")) {
        printOut(QStringLiteral("%1 %2\n").arg(Brand::full, QStringLiteral(VORN_VERSION)));
        return 0;
    }
    for (const auto& command : kSubcommands) {
        if (first == QLatin1String(command.name)) {
            QCoreApplication app(argc, argv);
            QStringList arguments = app.arguments().mid(2);
            return command.run(arguments);
        }
    }
    // Options such as -platform belong to the desktop program's toolkit.
    if (first.startsWith(QLatin1Char('-')))
        return std::nullopt;
    printError(QStringLiteral("未知子命令: %1\n\n").arg(first) + usage());
    return kExitUsage;
}

} // namespace CommandLine
