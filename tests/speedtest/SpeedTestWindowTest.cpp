#include "speedtest/windows/SpeedTestWindow.h"

#include "FakeScheduler.h"
#include "FakeTransport.h"
#include "settings/UserDefaults.h"
#include "speedtest/core/SpeedTestHistoryStore.h"
#include "speedtest/core/SpeedTestNodes.h"
#include "speedtest/windows/RateGraphView.h"
#include "speedtest/windows/SpeedTestHistoryView.h"
#include "speedtest/windows/SpeedTestStyle.h"
#include "support/LightDesktop.h"
#include "support/Screenshots.h"
#include "ui/TrafficTheme.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using Phase = SpeedTestEngine::Phase;

const QString kTrace = QStringLiteral("/cdn-cgi/trace");
const QString kTunaPing = QStringLiteral("tuna.tsinghua.edu.cn/ubuntu-releases/22.04/SHA256SUMS");
const QString kUstcUpload = QStringLiteral("/backend/empty.php");

SpeedTestEngine::Result workedResult() {
    SpeedTestEngine::Result result;
    result.downMbps = 93.46;
    result.upMbps = 41.2;
    result.latencyMs = 12.4;
    result.jitterMs = 1.25;
    result.downNode = QStringLiteral("华为云镜像");
    result.downNodeDetail = QStringLiteral("华为云 · 全国 CDN");
    result.upNode = QStringLiteral("中科大 USTC");
    result.networkInfo = QStringLiteral("出口 CN · CF HKG · 203.0.113.7");
    result.iface = QStringLiteral("eth0");
    result.mac = QStringLiteral("AA:BB:CC:DD:EE:FF");
    result.ipv4 = QStringLiteral("192.168.1.23");
    result.ipv6 = QStringLiteral("2001:db8::7");
    result.publicIP = QStringLiteral("203.0.113.7");
    return result;
}

class SpeedTestWindowTest : public testing::Test {
protected:
    void SetUp() override {
        UserDefaults::remove(SpeedTestWindow::kLastResult);
        UserDefaults::remove(SpeedTestWindow::kNodeChoice);
        UserDefaults::remove(SpeedTestHistoryView::kPageSize);
        clock.setNow(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
        store.emplace(m_dir.filePath(QStringLiteral("speedtest-history.json")));
        SpeedTestTuning tuning;
        tuning.pingPause = 0.125;
        engine.emplace(transport, scheduler, clock, NodeCatalogue::builtIn(), tuning);
        engine->identitySource = [] {
            return NetworkIdentity::Snapshot{"eth0", "AA:BB:CC:DD:EE:FF", "192.168.1.23",
                                             "2001:db8::7", ""};
        };
    }

    SpeedTestWindow& makeWindow() {
        window.emplace(*engine, *store, clock);
        return *window;
    }

    template <typename T> T* child(const char* name) const {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* label) const { return child<QLabel>(label)->text(); }
    QColor colour(const char* label) const {
        return SpeedTestStyle::textColor(child<QLabel>(label));
    }
    QString startTitle() const { return child<QPushButton>("startBtn")->text(); }
    QString badge() const { return child<QTabBar>("tabControl")->tabText(1); }

    QTemporaryDir m_dir;
    FakeClock clock;
    FakeTransport transport;
    FakeScheduler scheduler{clock};
    std::optional<SpeedTestHistoryStore> store;
    std::optional<SpeedTestEngine> engine;
    std::optional<SpeedTestWindow> window;
};

TEST(SpeedTestWindowShared, OneWindowOnTheProgramsEngineAndHistory) {
    SpeedTestWindow& shared = SpeedTestWindow::shared();
    EXPECT_EQ(&shared, &SpeedTestWindow::shared());
    EXPECT_EQ(shared.engine().catalogue().download, SpeedTestNodes::download());
    EXPECT_FALSE(shared.isVisible());
    shared.show();
    EXPECT_TRUE(shared.isVisible());
    shared.close();
    EXPECT_FALSE(shared.isVisible());
    EXPECT_EQ(&shared, &SpeedTestWindow::shared()) << "closing only hides";
}

TEST_F(SpeedTestWindowTest, FirstUse) {
    SpeedTestWindow& w = makeWindow();
    EXPECT_EQ(w.windowTitle(), "岚 · 网络测速");
    EXPECT_EQ(w.size(), QSize(560, 700));
    EXPECT_EQ(child<QComboBox>("nodePopup")->currentIndex(), 0);
    EXPECT_EQ(child<QComboBox>("nodePopup")->itemText(0), "自动择优（推荐）");
    EXPECT_EQ(child<QComboBox>("nodePopup")->count(),
              int(NodeCatalogue::builtIn().download.size()) + 1);
    EXPECT_EQ(text("lastLabel"), "尚未测速");
    EXPECT_FALSE(child<QPushButton>("copyBtn")->isEnabled());
    EXPECT_EQ(badge(), "历史记录");
    EXPECT_EQ(startTitle(), "开始测速");
    EXPECT_EQ(text("serverLabel"), "自动择优 · 正在准备测速节点");
    EXPECT_EQ(text("phaseLabel"), "点击下方按钮开始测速");
    EXPECT_EQ(text("gradeLabel"), "选择节点后点击开始测速");
    EXPECT_EQ(text("bigValue"), "--");
    EXPECT_EQ(text("bigUnit"), "Mbps");
    EXPECT_TRUE(engine->preferredNodeID.isEmpty());
    EXPECT_FALSE(child<QWidget>("historyView")->isVisibleTo(&w));
    EXPECT_TRUE(child<QWidget>("testPane")->isVisibleTo(&w));
    EXPECT_FALSE(child<QLabel>("noticeLabel")->isVisibleTo(&w)) << "no notice without a problem";
}

TEST_F(SpeedTestWindowTest, StoredNodeIsRestoredIntoMenuAndEngine) {
    UserDefaults::setString(SpeedTestWindow::kNodeChoice, QStringLiteral("bfsu"));
    SpeedTestWindow& w = makeWindow();
    EXPECT_EQ(child<QComboBox>("nodePopup")->currentIndex(), 3);
    EXPECT_EQ(child<QComboBox>("nodePopup")->currentText(), "北外镜像 · 北京 · 教育网");
    EXPECT_EQ(w.engine().preferredNodeID, "bfsu");
    EXPECT_EQ(text("serverLabel"), "北外镜像 · 北京 · 教育网");

    window.reset();
    engine->preferredNodeID.clear();
    UserDefaults::setString(SpeedTestWindow::kNodeChoice, QStringLiteral("removed-node"));
    makeWindow();
    EXPECT_EQ(child<QComboBox>("nodePopup")->currentIndex(), 0);
    EXPECT_TRUE(engine->preferredNodeID.isEmpty());
}

TEST_F(SpeedTestWindowTest, NodeChoiceIsStored) {
    SpeedTestWindow& w = makeWindow();
    const SpeedTestNode second = NodeCatalogue::builtIn().download[1];
    w.nodeChanged(2);
    EXPECT_EQ(engine->preferredNodeID, second.id);
    EXPECT_EQ(UserDefaults::stringValue(SpeedTestWindow::kNodeChoice), second.id);
    EXPECT_EQ(text("serverLabel"), second.name + " · " + second.detail);
    w.nodeChanged(0);
    EXPECT_TRUE(engine->preferredNodeID.isEmpty());
    EXPECT_EQ(UserDefaults::stringValue(SpeedTestWindow::kNodeChoice), QString());
    EXPECT_EQ(text("serverLabel"), "自动择优 · 开始测速时探测最优节点");
}

TEST_F(SpeedTestWindowTest, LiveDisplayFollowsTheCallbacks) {
    makeWindow();
    auto* graph = child<RateGraphView>("graph");
    auto* progress = child<QProgressBar>("progress");

    engine->onPhase(Phase::probing);
    EXPECT_EQ(startTitle(), "停止");
    EXPECT_EQ(text("bigUnit"), "ms");
    EXPECT_EQ(text("bigValue"), "--");
    EXPECT_EQ(text("phaseLabel"), "正在选择最优测速节点…");
    engine->onProbe(QStringLiteral("华为云镜像"), 24.6);
    EXPECT_EQ(text("phaseLabel"), "节点择优 · 华为云镜像 25 ms");
    engine->onProbe(QStringLiteral("Cloudflare"), std::nullopt);
    EXPECT_EQ(text("phaseLabel"), "节点择优 · 华为云镜像 25 ms");
    const SpeedTestNode tuna = NodeCatalogue::builtIn().download[0];
    engine->onNodePicked(tuna, NodeCatalogue::builtIn().upload[0], QString());
    EXPECT_EQ(text("serverLabel"), tuna.name + " · " + tuna.detail);
    engine->onNodePicked(tuna, NodeCatalogue::builtIn().upload[0], "出口 CN · CF HKG");
    EXPECT_EQ(text("serverLabel"), tuna.name + " · " + tuna.detail + "　|　出口 CN · CF HKG");

    const QString longInfo = QStringLiteral("出口 ") + QString(200, QLatin1Char('X'));
    engine->onNodePicked(tuna, NodeCatalogue::builtIn().upload[0], longInfo);
    EXPECT_TRUE(text("serverLabel").startsWith(tuna.name));
    EXPECT_TRUE(text("serverLabel").endsWith(QStringLiteral("…")));
    EXPECT_EQ(child<QLabel>("serverLabel")->toolTip(),
              tuna.name + " · " + tuna.detail + "　|　" + longInfo);

    engine->onPhase(Phase::ping);
    EXPECT_EQ(text("phaseLabel"), "测量延迟中…");
    engine->onPingSample(13.4);
    EXPECT_EQ(text("bigValue"), "13");
    engine->onTick(Phase::ping, 0, 0, 0.5);
    EXPECT_EQ(progress->value(), progress->maximum() / 2);
    EXPECT_EQ(text("bigValue"), "13");
    EXPECT_TRUE(graph->samples().empty());
    engine->onPing(12.4, 1.25);
    EXPECT_EQ(text("pingValue"), "12 ms");
    EXPECT_EQ(colour("pingValue"), TrafficTheme::textPrimary);
    EXPECT_EQ(text("jitterLabel"), "抖动 ±1.2 ms");

    engine->onPhase(Phase::download);
    EXPECT_EQ(text("bigUnit"), "Mbps");
    EXPECT_EQ(colour("bigValue"), TrafficTheme::downBlue);
    EXPECT_EQ(progress->value(), 0);
    engine->onTick(Phase::download, 93.46, 80, 0.3);
    engine->onTick(Phase::download, 95, 81, 0.4);
    EXPECT_EQ(text("bigValue"), "95.0");
    ASSERT_EQ(graph->samples().size(), 2u);
    EXPECT_EQ(graph->samples()[0].c, TrafficTheme::downBlue);

    engine->onPhase(Phase::upload);
    EXPECT_TRUE(graph->samples().empty());
    EXPECT_EQ(colour("bigValue"), TrafficTheme::upGreen);
    engine->onTick(Phase::upload, 41.2, 40, 0.1);
    EXPECT_EQ(graph->samples().back().c, TrafficTheme::upGreen);

    engine->onPhase(Phase::done);
    EXPECT_EQ(startTitle(), "再测一次");
    EXPECT_EQ(text("phaseLabel"), "测速完成");
    engine->onResult(workedResult());
    EXPECT_EQ(text("phaseLabel"), "延迟 12 ms · 抖动 1.2 ms");
}

TEST_F(SpeedTestWindowTest, CompletedTestIsShownStoredAndCopied) {
    makeWindow();
    engine->onPhase(Phase::done);
    engine->onResult(workedResult());

    EXPECT_EQ(text("bigValue"), "93.5");
    EXPECT_EQ(colour("bigValue"), TrafficTheme::textPrimary);
    EXPECT_EQ(text("downValue"), "93.5");
    EXPECT_EQ(colour("downValue"), TrafficTheme::downBlue);
    EXPECT_EQ(text("upValue"), "41.2");
    EXPECT_EQ(colour("upValue"), TrafficTheme::upGreen);
    EXPECT_EQ(text("gradeLabel").toStdString(), "良好 · 可流畅 4K 视频　｜　上传走 中科大 USTC");
    EXPECT_EQ(colour("gradeLabel"), TrafficTheme::textPrimary);
    EXPECT_TRUE(child<QPushButton>("copyBtn")->isEnabled());
    EXPECT_EQ(text("lastLabel").toStdString(),
              "上次 3/14 09:26 · ↓ 93.5 · ↑ 41.2 Mbps · ⏱ 12 ms · 节点 华为云镜像 / 中科大 USTC"
              "　·　MAC AA:BB:CC:DD:EE:FF · 本地 192.168.1.23 · 公网 203.0.113.7");
    EXPECT_EQ(child<QLabel>("lastLabel")->toolTip().toStdString(),
              "本次测速网卡：eth0\n本地 IPv6：2001:db8::7");

    EXPECT_EQ(UserDefaults::doubleValue("speedtest.lastResult/down"), 93.46);
    EXPECT_EQ(UserDefaults::doubleValue("speedtest.lastResult/jitter"), 1.25);
    EXPECT_EQ(UserDefaults::doubleValue("speedtest.lastResult/ts"),
              double(clock.now().toSecsSinceEpoch()));

    ASSERT_EQ(store->records().size(), 1);
    const SpeedTestRecord& record = store->records()[0];
    EXPECT_EQ(record.ts, double(clock.now().toSecsSinceEpoch()));
    EXPECT_EQ(record.downMbps, 93.46);
    EXPECT_EQ(record.grade, "良好");
    EXPECT_EQ(record.downNode, "华为云镜像");
    EXPECT_EQ(record.upNode, "中科大 USTC");
    EXPECT_EQ(record.publicIP, "203.0.113.7");
    EXPECT_EQ(record.ipv6, "2001:db8::7");
    EXPECT_EQ(badge(), "历史记录 (1)");

    window->copyResult();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "岚 网络测速 · ↓ 93.5 Mbps  ↑ 41.2 Mbps  ⏱ 12 ms  ·  华为云镜像 / 中科大 USTC");
    EXPECT_EQ(child<QPushButton>("copyBtn")->text(), "已复制 ✓");
    window->copyResult();
    QEventLoop loop;
    QTimer::singleShot(1600, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(child<QPushButton>("copyBtn")->text(), "复制结果");
}

TEST_F(SpeedTestWindowTest, ResultWithoutIdentityKeepsTheStoredLine) {
    makeWindow();
    SpeedTestEngine::Result result = workedResult();
    result.mac.clear();
    result.ipv4.clear();
    result.publicIP.clear();
    engine->onResult(result);
    EXPECT_EQ(text("lastLabel").toStdString(),
              "上次 3/14 09:26 · ↓ 93.5 · ↑ 41.2 Mbps · ⏱ 12 ms · 节点 华为云镜像 / 中科大 USTC");
    EXPECT_TRUE(child<QLabel>("lastLabel")->toolTip().isEmpty());
}

TEST_F(SpeedTestWindowTest, NonFiniteFiguresAreStoredAsZero) {
    makeWindow();
    SpeedTestEngine::Result result = workedResult();
    result.upMbps = std::numeric_limits<double>::infinity();
    result.jitterMs = std::numeric_limits<double>::quiet_NaN();
    engine->onResult(result);
    engine->onResult(workedResult());
    SpeedTestHistoryStore reread(store->filePath());
    ASSERT_EQ(reread.records().size(), 2);
    EXPECT_EQ(reread.records()[1].upMbps, 0.0);
    EXPECT_EQ(reread.records()[1].jitterMs, 0.0);
    EXPECT_EQ(reread.records()[0].upMbps, 41.2);
}

// Without an upload node there is no upload figure: the window says so and keeps the run
// out of the last result and the history, whose records need every figure.
TEST_F(SpeedTestWindowTest, ARunWithoutUploadNodeIsShownButNotStored) {
    makeWindow();
    SpeedTestEngine::Result result = workedResult();
    result.upMbps = 0;
    result.upNode = QStringLiteral("—");
    result.noUploadNode = true;
    engine->onResult(result);
    EXPECT_EQ(text("downValue"), "93.5");
    EXPECT_EQ(text("upValue"), "未测");
    EXPECT_EQ(colour("upValue"), TrafficTheme::textDim);
    EXPECT_EQ(text("gradeLabel").toStdString(),
              "良好 · 可流畅 4K 视频　｜　没有上传节点，未测上传，不存入历史记录");
    EXPECT_TRUE(store->records().empty());
    EXPECT_EQ(badge(), "历史记录");
    EXPECT_EQ(text("lastLabel"), "尚未测速");
    EXPECT_FALSE(child<QPushButton>("copyBtn")->isEnabled());
    EXPECT_FALSE(UserDefaults::contains(SpeedTestWindow::kLastResult + "/down"));
    saveScreenshot(window->grab().toImage(), QStringLiteral("window-no-upload"));
}

TEST_F(SpeedTestWindowTest, StoredLastResult) {
    const QString prefix = SpeedTestWindow::kLastResult + "/";
    UserDefaults::setDouble(prefix + "down", 312.44);
    UserDefaults::setDouble(prefix + "up", 41.2);
    UserDefaults::setDouble(prefix + "latency", 17.6);
    UserDefaults::setDouble(prefix + "ts",
                            double(QDateTime(QDate(2026, 12, 1), QTime(8, 5)).toSecsSinceEpoch()));
    UserDefaults::setString(prefix + "downNode", "清华 TUNA");
    SpeedTestWindow& w = makeWindow();
    EXPECT_EQ(text("lastLabel").toStdString(),
              "上次 12/1 08:05 · ↓ 312.4 · ↑ 41.2 Mbps · ⏱ 18 ms · "
              "节点 清华 TUNA");
    EXPECT_EQ(w.lastResultLine().toStdString(),
              "↓ 312.4 Mbps  ↑ 41.2 Mbps  ⏱ 18 ms  ·  清华 TUNA / ");
    EXPECT_TRUE(child<QPushButton>("copyBtn")->isEnabled());

    for (const char* broken : {"ts", "up"}) {
        window.reset();
        UserDefaults::setString(prefix + broken, "soon");
        makeWindow();
        EXPECT_EQ(text("lastLabel"), "尚未测速") << broken;
        EXPECT_FALSE(child<QPushButton>("copyBtn")->isEnabled());
        UserDefaults::setDouble(prefix + broken, 1);
    }
    window.reset();
    UserDefaults::remove(prefix + "latency");
    makeWindow();
    EXPECT_EQ(text("lastLabel"), "尚未测速");
}

TEST_F(SpeedTestWindowTest, FailureAndStopReturnTheButton) {
    makeWindow();
    engine->onPhase(Phase::idle);
    EXPECT_EQ(text("phaseLabel"), "就绪");
    engine->onError(QStringLiteral("无法连接测速节点，请检查网络"));
    EXPECT_EQ(text("phaseLabel"), "⚠️ 无法连接测速节点，请检查网络");
    EXPECT_EQ(colour("phaseLabel"), SpeedTestStyle::systemRed);
    EXPECT_EQ(startTitle(), "重新测速");
    engine->onPhase(Phase::probing);
    EXPECT_EQ(colour("phaseLabel"), TrafficTheme::textSecondary);
}

TEST_F(SpeedTestWindowTest, StartAndStopDriveTheEngine) {
    makeWindow();
    child<QPushButton>("startBtn")->click();
    EXPECT_TRUE(engine->isRunning());
    EXPECT_EQ(startTitle(), "停止");
    EXPECT_EQ(text("gradeLabel"), "测速中，请稍候…");
    EXPECT_EQ(text("phaseLabel"), "正在选择最优测速节点…");
    child<QPushButton>("startBtn")->click();
    EXPECT_FALSE(engine->isRunning());
    EXPECT_EQ(startTitle(), "开始测速");
    EXPECT_EQ(text("phaseLabel"), "就绪");
    EXPECT_TRUE(store->records().isEmpty());
    EXPECT_FALSE(UserDefaults::contains(SpeedTestWindow::kLastResult + "/down"));
    saveScreenshot(window->grab().toImage(), QStringLiteral("window-no-upload"));
}

TEST_F(SpeedTestWindowTest, AWholeRunOnAFakeTransportLandsInTheHistory) {
    makeWindow();
    window->nodeChanged(1); // tuna, so no probing
    window->toggleRun();
    transport.answer(kTrace, true, 200, "ip=203.0.113.7\ncolo=HKG\nloc=CN\n");
    scheduler.drain();
    for (int i = 0; i < 8; ++i) {
        scheduler.advance(1.0 / 64);
        transport.answer(kTunaPing, true);
        scheduler.drain();
        scheduler.advance(0.125);
    }
    ASSERT_EQ(engine->phase(), Phase::download);
    EXPECT_EQ(text("pingValue"), "16 ms");
    for (Transport::TransferId id : transport.open(QStringLiteral("100mb.bin")))
        transport.receive(id, 12500000);
    scheduler.advance(10);
    ASSERT_EQ(engine->phase(), Phase::upload);
    EXPECT_FALSE(child<RateGraphView>("graph")->peak() > 0) << "the graph restarts per phase";
    for (Transport::TransferId id : transport.open(kUstcUpload))
        transport.sent(id, 5000000);
    scheduler.advance(8);
    ASSERT_EQ(engine->phase(), Phase::done);
    EXPECT_EQ(startTitle(), "再测一次");
    ASSERT_EQ(store->records().size(), 1);
    // 8 × 12.5 MB at the download's first instant over its 10 s: 800 Mbit / 10 s; the upload's
    // 8 × 5 MB over 8 s: 320 Mbit / 8 s.
    EXPECT_NEAR(store->records()[0].downMbps, 80.0, 1e-6);
    EXPECT_NEAR(store->records()[0].upMbps, 40.0, 1e-6);
    EXPECT_EQ(store->records()[0].publicIP, "203.0.113.7");
    EXPECT_EQ(badge(), "历史记录 (1)");
    EXPECT_TRUE(text("lastLabel").contains(QStringLiteral("公网 203.0.113.7")));
    saveScreenshot(window->grab().toImage(), QStringLiteral("window-test-tab"));
}

TEST_F(SpeedTestWindowTest, QuittingDuringARunStopsItAndStoresNothing) {
    makeWindow();
    window->nodeChanged(1); // tuna, so no probing
    window->toggleRun();
    transport.answer(kTrace, true, 200, "ip=203.0.113.7\ncolo=HKG\nloc=CN\n");
    scheduler.drain();
    for (int i = 0; i < 8; ++i) {
        scheduler.advance(1.0 / 64);
        transport.answer(kTunaPing, true);
        scheduler.drain();
        scheduler.advance(0.125);
    }
    ASSERT_EQ(engine->phase(), Phase::download);
    const std::vector<Transport::TransferId> downloads =
        transport.open(QStringLiteral("100mb.bin"));
    ASSERT_EQ(downloads.size(), 8u);
    for (Transport::TransferId id : downloads)
        transport.receive(id, 12500000);
    scheduler.advance(5);

    ASSERT_TRUE(QMetaObject::invokeMethod(qApp, "aboutToQuit"));
    EXPECT_FALSE(engine->isRunning());
    EXPECT_EQ(transport.openCount(), 0);
    scheduler.advance(30); // whatever was still scheduled finds nothing to finish
    EXPECT_EQ(engine->phase(), Phase::idle);
    EXPECT_TRUE(store->records().isEmpty());
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("speedtest-history.json"))));
    EXPECT_FALSE(UserDefaults::contains(SpeedTestWindow::kLastResult + "/down"));
    EXPECT_EQ(startTitle(), "开始测速");
}

TEST_F(SpeedTestWindowTest, AFailedRunOnAFakeTransportShowsTheWarning) {
    makeWindow();
    window->nodeChanged(1);
    window->toggleRun();
    transport.answer(kTrace, false);
    for (int i = 0; i < 8; ++i) {
        scheduler.advance(1.0 / 64);
        transport.answer(kTunaPing, false);
        scheduler.drain();
        scheduler.advance(0.125);
    }
    EXPECT_EQ(engine->phase(), Phase::idle);
    EXPECT_EQ(text("phaseLabel"), "⚠️ 无法连接测速节点，请检查网络");
    EXPECT_EQ(colour("phaseLabel"), SpeedTestStyle::systemRed);
    EXPECT_EQ(startTitle(), "重新测速");
    EXPECT_EQ(text("pingValue"), "--");
    EXPECT_TRUE(store->records().isEmpty());
    EXPECT_EQ(text("lastLabel"), "尚未测速");
}

TEST_F(SpeedTestWindowTest, ATestStoredByAnotherProcessShowsInTheBadgeAndTheList) {
    SpeedTestWindow& w = makeWindow();
    w.tabChanged(1);
    SpeedTestRecord stored;
    stored.ts = 1765000000;
    stored.downMbps = 321;
    stored.grade = QStringLiteral("优秀");
    SpeedTestHistoryStore(store->filePath()).add(stored);
    EXPECT_TRUE(QTest::qWaitFor([&] { return badge() == "历史记录 (1)"; }, 10000))
        << badge().toStdString();
    EXPECT_EQ(store->records(), QList<SpeedTestRecord>{stored});
    EXPECT_EQ(child<SpeedTestHistoryView>("historyView")->rows(), QList<SpeedTestRecord>{stored});
}

TEST_F(SpeedTestWindowTest, TabsAndRenderings) {
    for (int n = 0; n < 3; ++n) {
        SpeedTestRecord record;
        record.ts = 1765000000 + n * 600;
        record.downMbps = 100 + n * 150;
        record.grade = n == 0 ? QStringLiteral("很好") : QStringLiteral("优秀");
        store->add(record);
    }
    SpeedTestWindow& w = makeWindow();
    EXPECT_EQ(badge(), "历史记录 (3)");
    engine->onPhase(Phase::download);
    for (int i = 0; i < 40; ++i)
        engine->onTick(Phase::download, 40 + 30 * std::sin(i / 5.0), 50, i / 40.0);
    w.resize(560, 700);
    const QImage test = w.grab().toImage();
    saveScreenshot(test, QStringLiteral("window-live"));
    EXPECT_EQ(test.pixel(5, 5), TrafficTheme::windowBG.rgb());
    // The graph card spans the window between the 24-point insets.
    auto* graph = child<RateGraphView>("graph");
    const QRect graphRect(graph->mapTo(&w, QPoint(0, 0)), graph->size());
    EXPECT_EQ(graphRect.left(), 24);
    EXPECT_EQ(graphRect.right() + 1, 560 - 24);
    EXPECT_EQ(graphRect.height(), 116);
    auto* start = child<QPushButton>("startBtn");
    EXPECT_EQ(start->width(), 220);
    EXPECT_EQ(start->mapTo(&w, QPoint(0, 0)).x() + 110, 280);

    child<QTabBar>("tabControl")->setCurrentIndex(1);
    EXPECT_TRUE(child<QWidget>("historyView")->isVisibleTo(&w));
    EXPECT_FALSE(child<QWidget>("testPane")->isVisibleTo(&w));
    saveScreenshot(w.grab().toImage(), QStringLiteral("window-history"));
    w.tabChanged(0);
    EXPECT_TRUE(child<QWidget>("testPane")->isVisibleTo(&w));
}

// Drop-down lists are windows of their own: on a light desktop they must still be dark, the
// node list and the history list's page sizes alike.
TEST_F(SpeedTestWindowTest, DropDownListsAreDarkOnALightDesktop) {
    const LightDesktop lightDesktop;
    SpeedTestWindow& w = makeWindow();
    w.show();
    child<QTabBar>("tabControl")->setCurrentIndex(1);
    for (const char* name : {"nodePopup", "pageSizePopup"}) {
        auto* box = child<QComboBox>(name);
        box->showPopup();
        const QImage list = box->view()->window()->grab().toImage();
        saveScreenshot(list, QStringLiteral("list-") + QLatin1String(name));
        EXPECT_LE(popupBackgroundLightness(list), 50) << name;
        box->hidePopup();
    }
}

} // namespace
