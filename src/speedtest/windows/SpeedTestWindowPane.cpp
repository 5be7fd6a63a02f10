#include "speedtest/windows/SpeedTestWindow.h"

#include "settings/UserDefaults.h"
#include "speedtest/windows/RateGraphView.h"
#include "speedtest/windows/SpeedTestHistoryView.h"
#include "speedtest/windows/SpeedTestStyle.h"
#include "speedtest/windows/SpeedTestWindowParts.h"
#include "ui/TrafficTheme.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

// The window's views, built once.

using namespace SpeedTestWindowParts;

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
    // The latency card's small line is the jitter; the other two show the latency under their
    // load there, as the latency card has no room for a second line.
    cardRow->addWidget(makeResultCard(QStringLiteral("↓ 下载"), &downValue, &loadedDownLabel), 1);
    cardRow->addWidget(makeResultCard(QStringLiteral("↑ 上传"), &upValue, &loadedUpLabel), 1);
    cardRow->addWidget(makeResultCard(QStringLiteral("⏱ 延迟"), &pingValue, &jitterLabel), 1);
    loadedDownLabel->setObjectName(QStringLiteral("loadedDownLabel"));
    loadedUpLabel->setObjectName(QStringLiteral("loadedUpLabel"));
    jitterLabel->setObjectName(QStringLiteral("jitterLabel"));
    downValue->setObjectName(QStringLiteral("downValue"));
    upValue->setObjectName(QStringLiteral("upValue"));
    pingValue->setObjectName(QStringLiteral("pingValue"));
    column->addWidget(cards);
    column->addSpacing(12);

    gradeLabel = makeLabel(QStringLiteral("选择节点后点击开始测速"), SpeedTestStyle::system(12),
                           TrafficTheme::textSecondary, "gradeLabel");
    column->addWidget(inset(gradeLabel, kTextInset));
    // The latency under load takes the place of the gap below the grade line, in a size that
    // fits it, so that nothing below moves.
    bloatLabel =
        makeLabel(QString(), SpeedTestStyle::system(10), TrafficTheme::textSecondary, "bloatLabel");
    bloatLabel->setFixedHeight(12);
    column->addWidget(inset(bloatLabel, kTextInset));

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

QWidget* SpeedTestWindow::makeResultCard(const QString& title, QLabel** value, QLabel** smallLine) {
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
    column->addSpacing(1);
    *smallLine = makeLabel(QString(), SpeedTestStyle::monospacedDigit(10), TrafficTheme::textDim);
    column->addWidget(*smallLine);
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
