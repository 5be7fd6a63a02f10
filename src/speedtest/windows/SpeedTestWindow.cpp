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

namespace {

using Phase = SpeedTestEngine::Phase;

constexpr int kWidth = 560;
constexpr int kHeight = 700;
constexpr int kTextInset = 20;
constexpr int kControlInset = 24;
constexpr int kProgressScale = 1000;
const QString kCopied = QStringLiteral("已复制 ✓");

QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color,
                  const char* name = nullptr) {
    auto* label = new QLabel(text);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    SpeedTestStyle::setTextColor(label, color);
    if (name)
        label->setObjectName(QLatin1String(name));
    return label;
}

// widget with inset points of empty space on its left and right.
QWidget* inset(QWidget* widget, int side) {
    auto* holder = new QWidget;
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(side, 0, side, 0);
    row->addWidget(widget);
    return holder;
}

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

// One line, cut at the end to the pane's text width.
void setElidedText(QLabel* label, const QString& text) {
    const int width = kWidth - 2 * kTextInset;
    const QString shown = QFontMetrics(label->font()).elidedText(text, Qt::ElideRight, width);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
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
}

void SpeedTestWindow::show() {
    QWidget::show();
    raise();
    activateWindow();
}

void SpeedTestWindow::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 12, 0, 0);
    layout->setSpacing(0);

    tabControl = new QTabBar;
    tabControl->setObjectName(QStringLiteral("tabControl"));
    tabControl->setDrawBase(false);
    tabControl->setExpanding(false);
    tabControl->setFont(SpeedTestStyle::system(13));
    tabControl->addTab(QStringLiteral("测速"));
    tabControl->addTab(QStringLiteral("历史记录"));
    connect(tabControl, &QTabBar::currentChanged, this, &SpeedTestWindow::tabChanged);
    layout->addWidget(tabControl, 0, Qt::AlignHCenter);

    testPane = buildTestPane();
    historyView = new SpeedTestHistoryView(m_store);
    historyView->setObjectName(QStringLiteral("historyView"));
    historyView->hide();
    layout->addWidget(testPane, 1);
    layout->addWidget(historyView, 1);
}

QWidget* SpeedTestWindow::buildTestPane() {
    auto* pane = new QWidget;
    pane->setObjectName(QStringLiteral("testPane"));
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(0, 14, 0, 0);
    column->setSpacing(0);

    serverLabel = makeLabel(QStringLiteral("自动择优 · 正在准备测速节点"),
                            SpeedTestStyle::system(12), TrafficTheme::textDim, "serverLabel");
    serverLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    column->addWidget(inset(serverLabel, kTextInset));
    column->addSpacing(10);

    const QFont bigFont = SpeedTestStyle::monospacedDigit(52, QFont::Bold);
    bigValue = makeLabel(QStringLiteral("--"), bigFont, TrafficTheme::textPrimary, "bigValue");
    // The unit tucks 2 points into the number's line box.
    bigValue->setFixedHeight(QFontMetrics(bigFont).height() - 2);
    bigValue->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(inset(bigValue, kTextInset));
    bigUnit = makeLabel(QStringLiteral("Mbps"), SpeedTestStyle::system(15, QFont::Medium),
                        TrafficTheme::textSecondary, "bigUnit");
    column->addWidget(inset(bigUnit, kTextInset));
    column->addSpacing(4);
    phaseLabel = makeLabel(QStringLiteral("点击下方按钮开始测速"), SpeedTestStyle::system(13),
                           TrafficTheme::textSecondary, "phaseLabel");
    column->addWidget(inset(phaseLabel, kTextInset));
    column->addSpacing(12);

    graph = new RateGraphView;
    graph->setObjectName(QStringLiteral("graph"));
    graph->setFixedHeight(116);
    column->addWidget(inset(graph, kControlInset));
    column->addSpacing(10);

    progress = new QProgressBar;
    progress->setObjectName(QStringLiteral("progress"));
    progress->setRange(0, kProgressScale);
    progress->setValue(0);
    progress->setTextVisible(false);
    progress->setFixedHeight(6);
    column->addWidget(inset(progress, kControlInset));
    column->addSpacing(14);

    auto* cards = new QWidget;
    auto* cardRow = new QHBoxLayout(cards);
    cardRow->setContentsMargins(kControlInset, 0, kControlInset, 0);
    cardRow->setSpacing(12);
    cardRow->addWidget(makeResultCard(QStringLiteral("↓ 下载"), false, &downValue), 1);
    cardRow->addWidget(makeResultCard(QStringLiteral("↑ 上传"), false, &upValue), 1);
    cardRow->addWidget(makeResultCard(QStringLiteral("⏱ 延迟"), true, &pingValue), 1);
    downValue->setObjectName(QStringLiteral("downValue"));
    upValue->setObjectName(QStringLiteral("upValue"));
    pingValue->setObjectName(QStringLiteral("pingValue"));
    column->addWidget(cards);
    column->addSpacing(12);

    gradeLabel = makeLabel(QStringLiteral("选择节点后点击开始测速"), SpeedTestStyle::system(12),
                           TrafficTheme::textSecondary, "gradeLabel");
    column->addWidget(inset(gradeLabel, kTextInset));
    column->addSpacing(12);

    auto* nodeRowHolder = new QWidget;
    auto* nodeRow = new QHBoxLayout(nodeRowHolder);
    nodeRow->setContentsMargins(kControlInset, 0, kControlInset, 0);
    nodeRow->setSpacing(8);
    nodePopup = new QComboBox;
    nodePopup->setObjectName(QStringLiteral("nodePopup"));
    nodePopup->setFont(SpeedTestStyle::system(12));
    nodePopup->addItem(QStringLiteral("自动择优（推荐）"));
    for (const SpeedTestNode& node : m_engine.catalogue().download)
        nodePopup->addItem(node.name + QStringLiteral(" · ") + node.detail);
    // The list is a window of its own: without the palette it takes the desktop's colours.
    nodePopup->view()->setPalette(SpeedTestStyle::darkPalette());
    connect(nodePopup, &QComboBox::activated, this, &SpeedTestWindow::nodeChanged);
    copyBtn = new QPushButton(QStringLiteral("复制结果"));
    copyBtn->setObjectName(QStringLiteral("copyBtn"));
    copyBtn->setFont(SpeedTestStyle::system(12));
    copyBtn->setEnabled(false);
    copyBtn->setAutoDefault(false);
    connect(copyBtn, &QPushButton::clicked, this, &SpeedTestWindow::copyResult);
    nodeRow->addStretch(1);
    nodeRow->addWidget(
        makeLabel(QStringLiteral("测速节点"), SpeedTestStyle::system(12), TrafficTheme::textDim));
    nodeRow->addWidget(nodePopup);
    nodeRow->addWidget(copyBtn);
    nodeRow->addStretch(1);
    column->addWidget(nodeRowHolder);
    column->addSpacing(16);

    startBtn = new QPushButton(QStringLiteral("开始测速"));
    startBtn->setObjectName(QStringLiteral("startBtn"));
    startBtn->setFont(SpeedTestStyle::system(15, QFont::DemiBold));
    startBtn->setFixedSize(220, 36);
    startBtn->setDefault(true);
    connect(startBtn, &QPushButton::clicked, this, &SpeedTestWindow::toggleRun);
    column->addWidget(startBtn, 0, Qt::AlignHCenter);
    column->addSpacing(12);

    lastLabel = makeLabel(QStringLiteral("尚未测速"), SpeedTestStyle::system(11),
                          TrafficTheme::textDim, "lastLabel");
    lastLabel->setWordWrap(true);
    column->addWidget(inset(lastLabel, kTextInset));
    column->addSpacing(8);
    noticeLabel = makeLabel(QString(), SpeedTestStyle::system(11), SpeedTestStyle::systemOrange,
                            "noticeLabel");
    noticeLabel->setWordWrap(true);
    noticeLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    noticeLabel->hide();
    column->addWidget(inset(noticeLabel, kTextInset));
    column->addStretch(1);
    column->addSpacing(12);

    // The node choice is restored into both the menu and the engine, so they agree.
    const std::optional<QString> stored = UserDefaults::stringValue(kNodeChoice);
    const auto& nodes = m_engine.catalogue().download;
    for (std::size_t i = 0; stored && i < nodes.size(); ++i) {
        if (nodes[i].id == *stored) {
            nodePopup->setCurrentIndex(int(i) + 1);
            m_engine.preferredNodeID = nodes[i].id;
            setElidedText(serverLabel, nodes[i].name + QStringLiteral(" · ") + nodes[i].detail);
            break;
        }
    }
    return pane;
}

QWidget* SpeedTestWindow::makeResultCard(const QString& title, bool withJitter, QLabel** value) {
    auto* card = new QWidget;
    card->setFixedHeight(78);
    card->installEventFilter(this);
    m_cards.push_back(card);
    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(4, 10, 4, 0);
    column->setSpacing(0);
    column->addWidget(
        makeLabel(title, SpeedTestStyle::system(12, QFont::Medium), TrafficTheme::textSecondary));
    column->addSpacing(4);
    *value = makeLabel(QStringLiteral("--"), SpeedTestStyle::monospacedDigit(22, QFont::Bold),
                       TrafficTheme::textDim);
    column->addWidget(*value);
    if (withJitter) {
        column->addSpacing(1);
        jitterLabel = makeLabel(QString(), SpeedTestStyle::monospacedDigit(10),
                                TrafficTheme::textDim, "jitterLabel");
        column->addWidget(jitterLabel);
    }
    column->addStretch(1);
    return card;
}

bool SpeedTestWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint &&
        std::find(m_cards.begin(), m_cards.end(), watched) != m_cards.end()) {
        auto* card = static_cast<QWidget*>(watched);
        QPainter painter(card);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(TrafficTheme::cardBG);
        painter.drawRoundedRect(QRectF(card->rect()), 10, 10);
        return true;
    }
    return QWidget::eventFilter(watched, event);
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
    // The last result, what copying gives, and the history hold complete runs only.
    if (result.noUploadNode)
        return;
    copyBtn->setEnabled(true);
    saveLastResult(result);
    appendHistory(result);
    showIdentity(result);
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
    lastLabel->setToolTip(QStringLiteral("本次测速网卡：") + orDash(result.iface) +
                          QStringLiteral("\n本地 IPv6：") + orDash(result.ipv6));
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
    jitterLabel->clear();
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
