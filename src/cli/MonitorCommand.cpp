#include "cli/MonitorCommand.h"

#include "cli/CommandLine.h"
#include "cli/Terminal.h"
#include "platform/posix/SignalQuit.h"
#include "rates/RateFormat.h"
#include "rates/RateSampler.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

const QString kMonitorUsage =
    QStringLiteral("用法: vorn monitor [--count N]\n"
                   "每秒读取网络接口计数器，打印一行 \"↓ 下载速率 ↑ 上传速率\"，直到 Ctrl-C。\n"
                   "  --count N   打印 N 行后退出\n");

} // namespace

namespace MonitorCommand {

int run(const QStringList& arguments) {
    qint64 remaining = -1;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            printOut(kMonitorUsage);
            return 0;
        }
        bool ok = false;
        if (argument == QLatin1String("--count") && i + 1 < arguments.size())
            remaining = arguments[++i].toLongLong(&ok);
        if (!ok || remaining < 1) {
            printError(kMonitorUsage);
            return kExitUsage;
        }
    }

    quitOnTerminationSignals();
    RateSampler sampler;
    sampler.setBaseline(readInterfaceCounters());
    QTimer timer;
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const TickResult tick = sampler.tick(readInterfaceCounters());
        printOut(QStringLiteral("↓ %1 ↑ %2\n").arg(fmtSpeed(tick.down), fmtSpeed(tick.up)));
        if (remaining > 0 && --remaining == 0)
            QCoreApplication::quit();
    });
    timer.start();
    return QCoreApplication::exec();
}

} // namespace MonitorCommand
