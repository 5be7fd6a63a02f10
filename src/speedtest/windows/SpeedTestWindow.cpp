#include "speedtest/windows/SpeedTestWindow.h"

#include "common/Brand.h"
#include "common/CFormat.h"
#include "common/NotificationCenter.h"
#include "settings/UserDefaults.h"
#include "speedtest/core/CurlTransport.h"
#include "speedtest/core/QtScheduler.h"
#include "speedtest/core/SpeedTestHistoryStore.h"
#include "speedtest/core/SpeedTestNodes.h"
#include "speedtest/core/SpeedTestRecord.h"
#include "speedtest/windows/RateGraphView.h"
#include "speedtest/windows/SpeedTestHistoryView.h"
#include "speedtest/windows/SpeedTestStyle.h"
#include "speedtest/windows/SpeedTestWindowParts.h"
#include "ui/TrafficTheme.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

using namespace SpeedTestWindowParts;

namespace {

using Phase = SpeedTestEngine::Phase;

const QString kCopied = QStringLiteral("已复制 ✓");

// A stored figure, when it is present and a finite number.
std::optional<double> storedNumber(const QString& key) {
    const QVariant value = UserDefaults::rawValue(key);
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!value.isValid() || !ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

QString storedText(const QString& key) {
    const QVariant value = UserDefaults::rawValue(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

QString localTime(double secondsSince1970, const QString& pattern) {
    constexpr double kLimitSeconds = 8.0e12;
    const double seconds = std::clamp(secondsSince1970, -kLimitSeconds, kLimitSeconds);
    return QDateTime::fromMSecsSinceEpoch(qint64(std::floor(seconds * 1000.0))).toString(pattern);
}

QString orDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("—") : text;
}

} // namespace

SpeedTestWindow& SpeedTestWindow::shared() {
    // Built on first use and kept for the whole run; closing the window only hides it.
    static SpeedTestWindow* window = [] {
        auto* transport = new CurlTransport(SpeedTestNodes::catalogue().caFile);
        auto* scheduler = new QtScheduler;
        auto* engine = new SpeedTestEngine(*transport, *scheduler, Clock::system(),
                                           SpeedTestNodes::catalogue());
        auto* made = new SpeedTestWindow(*engine, SpeedTestHistoryStore::shared(), Clock::system());
        made->showCatalogueProblem(SpeedTestNodes::catalogueProblem());
        return made;
    }();
    return *window;
}

SpeedTestWindow::SpeedTestWindow(SpeedTestEngine& engine, SpeedTestHistoryStore& store,
                                 const Clock& clock, QWidget* parent)
    : QWidget(parent), m_engine(engine), m_store(store), m_clock(clock) {
    setWindowTitle(Brand::name + QStringLiteral(" · 网络测速"));
    setPalette(SpeedTestStyle::darkPalette());
    setAutoFillBackground(true);
    setFixedSize(kWidth, kHeight);
    build();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    installCallbacks();
    // A run cut short by quitting is stopped like one cut short by the user: no transfer
    // outlives the process's tear-down and no half result reaches the history.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (m_engine.isRunning())
            m_engine.stop();
    });
    loadLastResult();
    refreshHistoryBadge();
    // Tests stored by another process (`vorn speedtest`) count too.
    NotificationCenter::instance().observe(SpeedTestHistoryStore::speedTestHistoryChanged, this,
                                           [this](const QVariant&) { refreshHistoryBadge(); });
}

SpeedTestWindow::~SpeedTestWindow() {
    m_engine.onPhase = nullptr;
    m_engine.onTick = nullptr;
    m_engine.onPingSample = nullptr;
    m_engine.onPing = nullptr;
    m_engine.onResult = nullptr;
    m_engine.onError = nullptr;
    m_engine.onProbe = nullptr;
    m_engine.onNodePicked = nullptr;
    m_engine.onLoadedLatency = nullptr;
}

void SpeedTestWindow::show() {
    QWidget::show();
    raise();
    activateWindow();
}

void SpeedTestWindow::installCallbacks() {
    QPointer<SpeedTestWindow> self(this);
    m_engine.onPhase = [self](Phase phase) {
        if (self)
            self->phaseChanged(phase);
    };
    m_engine.onTick = [self](Phase phase, double instant, double, double value) {
        if (self)
            self->ticked(phase, instant, value);
    };
    m_engine.onProbe = [self](const QString& name, std::optional<double> bestMs) {
        if (self && bestMs)
            self->phaseLabel->setText(QStringLiteral("节点择优 · ") + name +
                                      cformat(" %.0f ms", *bestMs));
    };
    m_engine.onNodePicked = [self](const SpeedTestNode& node, const UploadTestNode&,
                                   const QString& info) {
        if (!self)
            return;
        QString text = node.name + QStringLiteral(" · ") + node.detail;
        if (!info.isEmpty())
            text += QStringLiteral("　|　") + info;
        setElidedText(self->serverLabel, text);
    };
    m_engine.onPingSample = [self](double rttMs) {
        if (self)
            self->bigValue->setText(cformat("%.0f", rttMs));
    };
    m_engine.onPing = [self](double latencyMs, double jitterMs) {
        if (!self)
            return;
        self->pingValue->setText(cformat("%.0f ms", latencyMs));
        SpeedTestStyle::setTextColor(self->pingValue, TrafficTheme::textPrimary);
        self->jitterLabel->setText(cformat("抖动 ±%.1f ms", jitterMs));
    };
    m_engine.onLoadedLatency = [self](Phase phase, double loadedMs) {
        if (self)
            self->loadedLatencyChanged(phase, loadedMs);
    };
    m_engine.onResult = [self](const SpeedTestEngine::Result& result) {
        if (self)
            self->showResult(result);
    };
    m_engine.onError = [self](const QString& message) {
        if (self)
            self->failed(message);
    };
}

void SpeedTestWindow::phaseChanged(Phase phase) {
    SpeedTestStyle::setTextColor(phaseLabel, TrafficTheme::textSecondary);
    const auto enterMeasuring = [this](const QString& unit, const QColor& valueColor) {
        startBtn->setText(QStringLiteral("停止"));
        bigUnit->setText(unit);
        SpeedTestStyle::setTextColor(bigValue, valueColor);
        graph->reset();
        progress->setValue(0);
    };
    switch (phase) {
    case Phase::idle:
        startBtn->setText(QStringLiteral("开始测速"));
        break;
    case Phase::probing:
        enterMeasuring(QStringLiteral("ms"), TrafficTheme::textPrimary);
        bigValue->setText(QStringLiteral("--"));
        break;
    case Phase::ping:
        enterMeasuring(QStringLiteral("ms"), TrafficTheme::textPrimary);
        break;
    case Phase::download:
        enterMeasuring(QStringLiteral("Mbps"), TrafficTheme::downBlue);
        break;
    case Phase::upload:
        enterMeasuring(QStringLiteral("Mbps"), TrafficTheme::upGreen);
        break;
    case Phase::done:
        startBtn->setText(QStringLiteral("再测一次"));
        break;
    }
    phaseLabel->setText(SpeedTestEngine::label(phase));
}

void SpeedTestWindow::ticked(Phase phase, double instantMbps, double progressValue) {
    progress->setValue(int(std::lround(std::clamp(progressValue, 0.0, 1.0) * kProgressScale)));
    if (phase != Phase::download && phase != Phase::upload)
        return;
    bigValue->setText(cformat("%.1f", instantMbps));
    graph->addSample(instantMbps,
                     phase == Phase::download ? TrafficTheme::downBlue : TrafficTheme::upGreen);
}

void SpeedTestWindow::loadedLatencyChanged(Phase phase, double loadedMs) {
    if (phase != Phase::download && phase != Phase::upload)
        return;
    phaseLabel->setText(SpeedTestEngine::label(phase) + cformat(" · 负载延迟 %.0f ms", loadedMs));
    (phase == Phase::download ? loadedDownLabel : loadedUpLabel)
        ->setText(cformat("负载 %.0f ms", loadedMs));
}

void SpeedTestWindow::failed(const QString& message) {
    phaseLabel->setText(QStringLiteral("⚠️ ") + message);
    SpeedTestStyle::setTextColor(phaseLabel, SpeedTestStyle::systemRed);
    startBtn->setText(QStringLiteral("重新测速"));
}

void SpeedTestWindow::showResult(const SpeedTestEngine::Result& result) {
    bigValue->setText(cformat("%.1f", result.downMbps));
    SpeedTestStyle::setTextColor(bigValue, TrafficTheme::textPrimary);
    downValue->setText(cformat("%.1f", result.downMbps));
    SpeedTestStyle::setTextColor(downValue, TrafficTheme::downBlue);
    upValue->setText(result.noUploadNode ? QStringLiteral("未测") : cformat("%.1f", result.upMbps));
    SpeedTestStyle::setTextColor(upValue, result.noUploadNode ? TrafficTheme::textDim
                                                              : TrafficTheme::upGreen);
    phaseLabel->setText(cformat("延迟 %.0f ms · 抖动 %.1f ms", result.latencyMs, result.jitterMs));
    gradeLabel->setText(result.grade() + QStringLiteral(" · ") + result.capability() +
                        (result.noUploadNode
                             ? QStringLiteral("　｜　没有上传节点，未测上传，不存入历史记录")
                             : QStringLiteral("　｜　上传走 ") + result.upNode));
    SpeedTestStyle::setTextColor(gradeLabel, TrafficTheme::textPrimary);
    showLoadedLatency(result);
    // The last result, what copying gives, and the history hold complete runs only.
    if (result.noUploadNode)
        return;
    copyBtn->setEnabled(true);
    saveLastResult(result);
    appendHistory(result);
    showIdentity(result);
}

void SpeedTestWindow::showLoadedLatency(const SpeedTestEngine::Result& result) {
    const auto cardLine = [](std::optional<double> ms) {
        return ms ? cformat("负载 %.0f ms", *ms) : QStringLiteral("负载 --");
    };
    loadedDownLabel->setText(cardLine(result.loadedDownMs));
    loadedUpLabel->setText(result.noUploadNode ? QString() : cardLine(result.loadedUpMs));
    const auto increase = result.bloatMs();
    const auto rpm = result.rpm();
    bloatLabel->setText(increase && rpm ? cformat("负载延迟 +%.0f ms", *increase) +
                                              QStringLiteral("（%1 级）").arg(result.bloatGrade()) +
                                              cformat("· 响应度 %.0f RPM", *rpm)
                                        : QString());
}

void SpeedTestWindow::showIdentity(const SpeedTestEngine::Result& result) {
    QStringList pieces;
    if (!result.mac.isEmpty())
        pieces << QStringLiteral("MAC ") + result.mac;
    if (!result.ipv4.isEmpty())
        pieces << QStringLiteral("本地 ") + result.ipv4;
    if (!result.publicIP.isEmpty())
        pieces << QStringLiteral("公网 ") + result.publicIP;
    if (pieces.isEmpty())
        return;
    lastLabel->setText(lastLabel->text() + QStringLiteral("　·　") +
                       pieces.join(QStringLiteral(" · ")));
    QString tooltip = QStringLiteral("本次测速网卡：") + orDash(result.iface) +
                      QStringLiteral("\n本地 IPv6：") + orDash(result.ipv6);
    if (result.loadedDownMs || result.loadedUpMs)
        tooltip += QStringLiteral("\n负载延迟：") +
                   SpeedTestRecord::fromResult(result, 0).loadedLatencyText();
    lastLabel->setToolTip(tooltip);
}

void SpeedTestWindow::showCatalogueProblem(const QString& problem) {
    const QString text =
        problem.isEmpty()
            ? QString()
            : QStringLiteral("⚠️ 节点文件无效，已改用内置节点：") + problem;
    noticeLabel->setText(text);
    noticeLabel->setToolTip(text);
    noticeLabel->setVisible(!text.isEmpty());
}

void SpeedTestWindow::toggleRun() {
    if (m_engine.isRunning()) {
        m_engine.stop();
        return;
    }
    for (QLabel* value : {downValue, upValue, pingValue}) {
        value->setText(QStringLiteral("--"));
        SpeedTestStyle::setTextColor(value, TrafficTheme::textDim);
    }
    for (QLabel* line : {jitterLabel, loadedDownLabel, loadedUpLabel, bloatLabel})
        line->clear();
    bigValue->setText(QStringLiteral("--"));
    gradeLabel->setText(QStringLiteral("测速中，请稍候…"));
    SpeedTestStyle::setTextColor(gradeLabel, TrafficTheme::textSecondary);
    m_engine.start();
}

void SpeedTestWindow::nodeChanged(int index) {
    const auto& nodes = m_engine.catalogue().download;
    if (index <= 0 || std::size_t(index) > nodes.size()) {
        m_engine.preferredNodeID.clear();
        UserDefaults::setString(kNodeChoice, QString());
        setElidedText(serverLabel, QStringLiteral("自动择优 · 开始测速时探测最优节点"));
        return;
    }
    const SpeedTestNode& node = nodes[std::size_t(index) - 1];
    m_engine.preferredNodeID = node.id;
    UserDefaults::setString(kNodeChoice, node.id);
    setElidedText(serverLabel, node.name + QStringLiteral(" · ") + node.detail);
}

void SpeedTestWindow::copyResult() {
    QString text = Brand::name + QStringLiteral(" 网络测速");
    if (!m_lastResultLine.isEmpty())
        text += QStringLiteral(" · ") + m_lastResultLine;
    QGuiApplication::clipboard()->setText(text);
    // A second click while the confirmation shows must not make it the remembered title.
    if (copyBtn->text() == kCopied)
        return;
    const QString title = copyBtn->text();
    copyBtn->setText(kCopied);
    QTimer::singleShot(1400, this, [this, title] { copyBtn->setText(title); });
}

void SpeedTestWindow::tabChanged(int index) {
    const bool history = index == 1;
    historyView->setVisible(history);
    testPane->setVisible(!history);
    if (history)
        historyView->reload();
}

void SpeedTestWindow::saveLastResult(const SpeedTestEngine::Result& result) {
    const QString prefix = kLastResult + QLatin1Char('/');
    UserDefaults::remove(kLastResult);
    UserDefaults::setDouble(prefix + QStringLiteral("down"), result.downMbps);
    UserDefaults::setDouble(prefix + QStringLiteral("up"), result.upMbps);
    UserDefaults::setDouble(prefix + QStringLiteral("latency"), result.latencyMs);
    UserDefaults::setDouble(prefix + QStringLiteral("jitter"), result.jitterMs);
    UserDefaults::setDouble(prefix + QStringLiteral("ts"),
                            double(m_clock.now().toMSecsSinceEpoch()) / 1000.0);
    UserDefaults::setString(prefix + QStringLiteral("downNode"), result.downNode);
    UserDefaults::setString(prefix + QStringLiteral("upNode"), result.upNode);
    loadLastResult();
}

void SpeedTestWindow::loadLastResult() {
    const QString prefix = kLastResult + QLatin1Char('/');
    const std::optional<double> down = storedNumber(prefix + QStringLiteral("down"));
    const std::optional<double> up = storedNumber(prefix + QStringLiteral("up"));
    const std::optional<double> latency = storedNumber(prefix + QStringLiteral("latency"));
    const std::optional<double> ts = storedNumber(prefix + QStringLiteral("ts"));
    if (!down || !up || !latency || !ts) {
        lastLabel->setText(QStringLiteral("尚未测速"));
        return;
    }
    const QString downNode = storedText(prefix + QStringLiteral("downNode"));
    const QString upNode = storedText(prefix + QStringLiteral("upNode"));

    QString text = QStringLiteral("上次 ") + localTime(*ts, QStringLiteral("M/d HH:mm")) +
                   cformat(" · ↓ %.1f · ↑ %.1f Mbps · ⏱ %.0f ms", *down, *up, *latency);
    if (!downNode.isEmpty())
        text += QStringLiteral(" · 节点 ") + downNode;
    if (!upNode.isEmpty())
        text += QStringLiteral(" / ") + upNode;
    lastLabel->setText(text);

    m_lastResultLine = cformat("↓ %.1f Mbps  ↑ %.1f Mbps  ⏱ %.0f ms", *down, *up, *latency);
    if (!downNode.isEmpty())
        m_lastResultLine += QStringLiteral("  ·  ") + downNode + QStringLiteral(" / ") + upNode;
    copyBtn->setEnabled(true);
}

void SpeedTestWindow::appendHistory(const SpeedTestEngine::Result& result) {
    m_store.add(
        SpeedTestRecord::fromResult(result, double(m_clock.now().toMSecsSinceEpoch()) / 1000.0));
    historyView->reload();
    refreshHistoryBadge();
}

void SpeedTestWindow::refreshHistoryBadge() {
    const qsizetype count = m_store.records().size();
    tabControl->setTabText(1, count == 0 ? QStringLiteral("历史记录")
                                         : QStringLiteral("历史记录 (%1)").arg(count));
}
