// Renders the README's screenshots offscreen from made-up data:
//   vorn_screenshots <output directory>
// Run it with QT_QPA_PLATFORM=offscreen; it points HOME and the XDG directories at a temporary
// directory first, so the user's own history and settings are neither read nor touched.

#include "ball/FloatingPanel.h"
#include "ball/SpeedView.h"
#include "common/Brand.h"
#include "common/Clock.h"
#include "rates/RateSampler.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "shell/AppShell.h"
#include "speedtest/core/CurlTransport.h"
#include "speedtest/core/NodeCatalogue.h"
#include "speedtest/core/QtScheduler.h"
#include "speedtest/core/SpeedTestEngine.h"
#include "speedtest/core/SpeedTestHistoryStore.h"
#include "speedtest/core/SpeedTestRecord.h"
#include "speedtest/windows/SpeedTestWindow.h"
#include "traffic/core/DayKey.h"
#include "traffic/core/RangeMode.h"
#include "traffic/core/TrafficFile.h"
#include "traffic/core/TrafficRecorder.h"
#include "traffic/windows/TrafficHistoryWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QTabBar>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string_view>
#include <utility>

namespace {

constexpr quint64 kMB = 1024 * 1024;

// Every screenshot shows the same afternoon, so regenerating them changes only what the UI
// changed.
class FixedClock final : public Clock {
public:
    double elapsedSeconds() const override { return 1000; }
    QDateTime now() const override { return QDateTime(QDate(2026, 11, 20), QTime(15, 42, 10)); }
};

struct MadeUpApp {
    const char* process;
    double downMB; // a typical day
    double upMB;
};

const MadeUpApp kApps[] = {
    {"firefox", 820, 64},    {"steam", 1500, 12},    {"Telegram", 95, 38}, {"code", 60, 22},
    {"syncthing", 140, 210}, {"thunderbird", 35, 8}, {"spotify", 180, 4},  {"ssh", 12, 18},
};

// Forty days of traffic with a weekly rhythm and a few odd days.
TrafficData madeUpHistory(const QDate& today) {
    TrafficData data;
    for (int back = 39; back >= 0; --back) {
        const QDate day = today.addDays(-back);
        const bool weekend = day.dayOfWeek() >= 6;
        const double wave = 1.0 + 0.35 * std::sin(back * 0.9) + (weekend ? 0.6 : 0.0);
        DailyTraffic daily;
        for (std::size_t i = 0; i < std::size(kApps); ++i) {
            const MadeUpApp& app = kApps[i];
            // Steam downloads only now and then.
            if (std::string_view(app.process) == "steam" && back % 6 != 0)
                continue;
            const double share = wave * (0.7 + 0.3 * std::cos(back * 1.3 + double(i)));
            const AppTraffic bytes{quint64(app.downMB * share * kMB),
                                   quint64(app.upMB * share * kMB)};
            daily.apps[QString::fromLatin1(app.process)] = bytes;
            daily.totalIn += bytes.bytesIn;
            daily.totalOut += bytes.bytesOut;
        }
        // The interfaces also carry what no application was seen sending.
        daily.totalIn += daily.totalIn / 8;
        daily.totalOut += daily.totalOut / 8;
        data[dayKey(day)] = daily;
    }
    return data;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool savePng(const QPixmap& pixmap, const QDir& out, const char* name) {
    const QString path = out.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (pixmap.isNull() || !pixmap.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The ball drawn on a light backdrop, as it floats over a desktop.
QPixmap ballShot(SpeedView& view) {
    constexpr int kMargin = 16;
    QPixmap shot(view.size() + QSize(2 * kMargin, 2 * kMargin));
    shot.fill(QColor(0xE9, 0xEC, 0xF1));
    QPainter painter(&shot);
    painter.drawPixmap(kMargin, kMargin, view.grab());
    return shot;
}

QPixmap menuShot(QMenu& menu) {
    menu.popup(QPoint(0, 0));
    QApplication::processEvents();
    QPixmap shot = menu.grab();
    menu.hide();
    return shot;
}

void fillBall(SpeedView& view) {
    for (int i = 0; i < SpeedView::historyMax; ++i) {
        const double down = (2.5 + 2.0 * std::sin(i / 6.0) + (i > 44 ? 3.0 : 0.0)) * kMB;
        const double up = (0.4 + 0.3 * std::cos(i / 4.0)) * kMB;
        view.recordTick(TickResult{quint64(up), quint64(down), up, down});
    }
}

SpeedTestEngine::Result madeUpResult(const NodeCatalogue& nodes) {
    SpeedTestEngine::Result result;
    result.downMbps = 286.4;
    result.upMbps = 48.7;
    result.latencyMs = 14.2;
    result.jitterMs = 1.8;
    result.loadedDownMs = 52.0;
    result.loadedUpMs = 38.0;
    result.downNode = nodes.download.front().name;
    result.downNodeDetail = nodes.download.front().detail;
    result.upNode = nodes.upload.front().name;
    result.networkInfo = QStringLiteral("出口 CN · 203.0.113.42");
    result.iface = QStringLiteral("wlan0");
    result.mac = QStringLiteral("3C:22:FB:41:7A:0E");
    result.ipv4 = QStringLiteral("192.168.1.37");
    result.ipv6 = QStringLiteral("2001:db8:4a1::37");
    result.publicIP = QStringLiteral("203.0.113.42");
    return result;
}

void addPastTests(SpeedTestHistoryStore& store, const NodeCatalogue& nodes, const QDateTime& now) {
    const double downs[] = {94.1, 312.8, 275.0, 41.6, 298.3, 301.2};
    const double ups[] = {20.3, 51.2, 47.9, 9.8, 50.1, 49.4};
    for (std::size_t i = 0; i < std::size(downs); ++i) {
        SpeedTestEngine::Result result = madeUpResult(nodes);
        result.downMbps = downs[i];
        result.upMbps = ups[i];
        result.latencyMs = 12.0 + 3.0 * double(i % 3);
        result.jitterMs = 0.9 + 0.4 * double(i % 2);
        const QDateTime when = now.addDays(-qint64(std::size(downs) - i)).addSecs(qint64(i) * 3700);
        store.add(SpeedTestRecord::fromResult(result, double(when.toSecsSinceEpoch())));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vorn_screenshots <output directory>\n");
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        qputenv(variable, home.path().toUtf8());

    QApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path()))
        return 1;
    const FixedClock clock;
    bool written = true;

    const QString support = Brand::supportDirectory().value_or(home.path());
    QDir().mkpath(support);
    if (!writeFile(QDir(support).filePath(TrafficRecorder::kFileName),
                   TrafficFile::serialize(madeUpHistory(clock.now().date()))))
        return 1;
    TrafficRecorder recorder(clock, support, nullptr);

    FloatingPanel panel(QRect(QPoint(0, 0), SpeedView::widgetSize));
    auto* ball = new SpeedView;
    panel.setContentView(ball);
    ball->hostPanel = &panel;
    fillBall(*ball);
    panel.show();
    written &= savePng(ballShot(*ball), out, "ball");

    // The menus as the program builds them, from the ball and today's record.
    AppShell shell(&panel, ball, [&recorder] { return recorder.getToday(); });
    shell.setTrayAvailability([] { return true; });
    const std::unique_ptr<QMenu> ballMenu(shell.buildBallMenu());
    written &= savePng(menuShot(*ballMenu), out, "ball-menu");
    const std::unique_ptr<QMenu> contextMenu(shell.buildContextMenu());
    written &= savePng(menuShot(*contextMenu), out, "context-menu");
    const std::unique_ptr<QMenu> statusMenu(shell.buildStatusMenu());
    written &= savePng(menuShot(*statusMenu), out, "tray-menu");

    TrafficHistoryWindow::Services services;
    services.data = [&recorder]() -> const TrafficData& { return recorder.data(); };
    services.clock = &clock;
    services.displayName = [](const QString& process) { return process; };
    services.appSource = [] { return AppTrafficSource::AllProtocols; };
    TrafficHistoryWindow statistics(services);
    statistics.show();
    statistics.onModeChange(rawValue(RangeMode::last30));
    QApplication::processEvents();
    written &= savePng(statistics.window()->grab(), out, "statistics");

    // The same window once a data plan is set, over its billing cycle.
    UserDefaults::setDouble(PreferencesCatalogue::kDataPlanQuotaGB, 50);
    UserDefaults::setInteger(PreferencesCatalogue::kDataPlanResetDay, 5);
    statistics.refresh();
    statistics.onModeChange(rawValue(RangeMode::billingCycle));
    QApplication::processEvents();
    written &= savePng(statistics.window()->grab(), out, "data-plan");
    UserDefaults::remove(PreferencesCatalogue::kDataPlanQuotaGB);
    UserDefaults::remove(PreferencesCatalogue::kDataPlanResetDay);

    SpeedTestHistoryStore store(QDir(support).filePath(SpeedTestHistoryStore::kFileName), clock);
    const NodeCatalogue nodes = NodeCatalogue::builtIn();
    addPastTests(store, nodes, clock.now());
    // Never started: the window is driven through the engine's callbacks below.
    CurlTransport transport;
    QtScheduler scheduler;
    SpeedTestEngine engine(transport, scheduler, clock, nodes);
    SpeedTestWindow speedTest(engine, store, clock);
    speedTest.show();
    const SpeedTestEngine::Result result = madeUpResult(nodes);
    engine.onNodePicked(nodes.download.front(), nodes.upload.front(), result.networkInfo);
    engine.onPing(result.latencyMs, result.jitterMs);
    // As a real run ends: both transfers ramp up, the graph keeps the upload's.
    for (const auto& [phase, mbps] : {std::pair{SpeedTestEngine::Phase::download, result.downMbps},
                                      std::pair{SpeedTestEngine::Phase::upload, result.upMbps}}) {
        engine.onPhase(phase);
        for (int i = 0; i <= 40; ++i) {
            const double ramp = 1.0 - std::exp(-i / 4.0);
            engine.onTick(phase, mbps * ramp * (1.0 + 0.06 * std::sin(i / 2.0)), mbps, i / 40.0);
        }
    }
    engine.onResult(result);
    engine.onPhase(SpeedTestEngine::Phase::done);
    QApplication::processEvents();
    written &= savePng(speedTest.grab(), out, "speedtest");

    if (auto* tabs = speedTest.findChild<QTabBar*>(QStringLiteral("tabControl")))
        tabs->setCurrentIndex(1);
    QApplication::processEvents();
    written &= savePng(speedTest.grab(), out, "speedtest-history");

    return written ? 0 : 1;
}
