#include "LocalHttpsServer.h"
#include "speedtest/core/CurlTransport.h"
#include "speedtest/core/QtScheduler.h"
#include "speedtest/core/SpeedTestHistoryStore.h"
#include "speedtest/windows/SpeedTestHistoryView.h"
#include "speedtest/windows/SpeedTestWindow.h"
#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using Phase = SpeedTestEngine::Phase;

// Loopback TLS on two shared cores cannot move 5 GB a second; a figure above this counted
// bytes that never moved.
constexpr double kMaxLoopbackMbps = 40000;

// A whole test from the window's start button against a local HTTPS server, through to the
// history row and its CSV export.
TEST(SpeedTestWindowEndToEnd, TestFromTheWindowLandsInTheHistoryAndItsExport) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    QString error;
    std::optional<NodeCatalogue> catalogue = NodeCatalogue::load(server.writeNodesFile(), &error);
    ASSERT_TRUE(catalogue) << error.toStdString();

    SpeedTestTuning tuning;
    tuning.downloadSeconds = 1.5;
    tuning.uploadSeconds = 1.5;
    CurlTransport transport(catalogue->caFile);
    QtScheduler scheduler;
    SpeedTestEngine engine(transport, scheduler, Clock::system(), *catalogue, tuning);
    QTemporaryDir dir;
    SpeedTestHistoryStore store(dir.filePath(QStringLiteral("speedtest-history.json")));
    SpeedTestWindow window(engine, store, Clock::system());
    window.show();

    auto* start = window.findChild<QPushButton*>(QStringLiteral("startBtn"));
    start->click();
    ASSERT_TRUE(engine.isRunning());
    QImage live;
    QEventLoop loop;
    QTimer poll;
    poll.callOnTimeout([&] {
        if (live.isNull() && engine.phase() == Phase::upload)
            live = window.grab().toImage();
        if (!engine.isRunning())
            loop.quit();
    });
    poll.start(50);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();

    // Let the layout take in the result's texts before the window is grabbed.
    QCoreApplication::processEvents();
    ASSERT_EQ(engine.phase(), Phase::done)
        << window.findChild<QLabel*>(QStringLiteral("phaseLabel"))->text().toStdString();
    EXPECT_EQ(start->text(), "再测一次");
    saveScreenshot(live, QStringLiteral("end-to-end-upload"));
    saveScreenshot(window.grab().toImage(), QStringLiteral("end-to-end-result"));

    ASSERT_EQ(store.records().size(), 1);
    const SpeedTestRecord& record = store.records()[0];
    EXPECT_GT(record.downMbps, 1);
    EXPECT_LT(record.downMbps, kMaxLoopbackMbps);
    EXPECT_GT(record.upMbps, 1);
    EXPECT_LT(record.upMbps, kMaxLoopbackMbps);
    EXPECT_GT(record.latencyMs, 0);
    EXPECT_LT(record.latencyMs, 1000);
    EXPECT_EQ(record.publicIP, "203.0.113.7");
    EXPECT_FALSE(record.grade.isEmpty());
    EXPECT_EQ(window.findChild<QTabBar*>(QStringLiteral("tabControl"))->tabText(1), "历史记录 (1)");

    window.findChild<QTabBar*>(QStringLiteral("tabControl"))->setCurrentIndex(1);
    auto* history = window.findChild<SpeedTestHistoryView*>();
    ASSERT_EQ(history->rows().size(), 1);
    QCoreApplication::processEvents();
    saveScreenshot(window.grab().toImage(), QStringLiteral("end-to-end-history"));

    const QString exported = dir.filePath(QStringLiteral("export.csv"));
    history->askExportPath = [&](const QString&) { return exported; };
    history->findChild<QPushButton*>(QStringLiteral("exportBtn"))->click();
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray csv = file.readAll();
    EXPECT_EQ(csv, store.exportCSV().toUtf8());
    EXPECT_TRUE(csv.contains(record.csvLine().toUtf8()));
}

// Quitting the program in the middle of a download: the transfers end, nothing is stored.
TEST(SpeedTestWindowEndToEnd, QuittingDuringADownloadEndsItsTransfersAndStoresNothing) {
    LocalHttpsServer server;
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    QString error;
    std::optional<NodeCatalogue> catalogue = NodeCatalogue::load(server.writeNodesFile(), &error);
    ASSERT_TRUE(catalogue) << error.toStdString();

    SpeedTestTuning tuning;
    tuning.downloadSeconds = 30; // far longer than the test waits
    CurlTransport transport(catalogue->caFile);
    QtScheduler scheduler;
    SpeedTestEngine engine(transport, scheduler, Clock::system(), *catalogue, tuning);
    QTemporaryDir dir;
    const QString historyFile = dir.filePath(QStringLiteral("speedtest-history.json"));
    SpeedTestHistoryStore store(historyFile);
    SpeedTestWindow window(engine, store, Clock::system());
    window.show();

    window.findChild<QPushButton*>(QStringLiteral("startBtn"))->click();
    QEventLoop loop;
    QTimer poll;
    poll.callOnTimeout([&] {
        if (engine.phase() == Phase::download && transport.activeCount() > 0)
            loop.quit();
    });
    poll.start(20);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_EQ(engine.phase(), Phase::download);

    ASSERT_TRUE(QMetaObject::invokeMethod(qApp, "aboutToQuit"));
    EXPECT_FALSE(engine.isRunning());
    QDeadlineTimer deadline(5000);
    while (transport.activeCount() > 0 && !deadline.hasExpired())
        QThread::msleep(10);
    EXPECT_EQ(transport.activeCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(store.records().isEmpty());
    EXPECT_FALSE(QFile::exists(historyFile));
}

} // namespace
