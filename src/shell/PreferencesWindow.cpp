#include "shell/PreferencesWindow.h"

#include "common/Brand.h"
#include "common/NotificationCenter.h"
#include "settings/UserDefaults.h"
#include "shell/DataPlanPreferences.h"
#include "shell/PreferencesStyle.h"
#include "ui/NumberField.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

const QString kKB = QStringLiteral("KB");
const QString kMB = QStringLiteral("MB");
const QString kMBPerSecond = QStringLiteral("MB/s");

#ifdef Q_OS_MACOS
const QString kAlertSubtitle =
    QStringLiteral("上下行瞬时速率超过阈值时发送 macOS 本地通知（0 = 关闭）");
#else
const QString kAlertSubtitle = QStringLiteral("上下行瞬时速率超过阈值时发送桌面通知（0 = 关闭）");
#endif

struct RetentionChoice {
    const char* title;
    int days;
};
constexpr RetentionChoice kRetentionChoices[] = {
    {"30 天", 30}, {"90 天", 90}, {"180 天", 180}, {"365 天", 365}, {"永久", 0}};

QString unitText(const QComboBox* popup) {
    return popup && popup->currentText() == kMBPerSecond ? kMB : kKB;
}

int heightAtWidth(const QWidget& widget, int width) {
    const int height = widget.heightForWidth(width);
    return height > 0 ? height : widget.sizeHint().height();
}

double nonNegative(double v) {
    return v > 0 ? v : 0;
}

} // namespace

PreferencesWindow::PreferencesWindow() : dataPlan(new DataPlanPreferences(this)) {}

PreferencesWindow::~PreferencesWindow() {
    // The shared instance outlives the application object; its window goes with the process.
    if (QCoreApplication::instance())
        delete window.data();
}

PreferencesWindow& PreferencesWindow::shared() {
    static PreferencesWindow instance;
    return instance;
}

void PreferencesWindow::show() {
    if (!window)
        buildWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

void PreferencesWindow::alertChanged() {
    const double down = nonNegative(downField ? downField->doubleValue() : 0);
    const double up = nonNegative(upField ? upField->doubleValue() : 0);
    UserDefaults::setDouble(kAlertDownValue, down);
    UserDefaults::setString(kAlertDownUnit, unitText(downUnit));
    UserDefaults::setDouble(kAlertUpValue, up);
    UserDefaults::setString(kAlertUpUnit, unitText(upUnit));
    NotificationCenter::instance().post(kAlertThresholdsChanged);
}

void PreferencesWindow::retentionChanged(QComboBox* sender) {
    const QVariant days = sender->currentData();
    if (days.typeId() != QMetaType::Int)
        return;
    UserDefaults::setInteger(kRetentionDays, days.toInt());
    NotificationCenter::instance().post(kRetentionDaysChanged);
}

void PreferencesWindow::displayModeChanged(QComboBox* sender) {
    const QVariant raw = sender->currentData();
    if (raw.typeId() != QMetaType::QString)
        return;
    UserDefaults::setString(kDisplayMode, raw.toString());
    NotificationCenter::instance().post(kDisplayModeChanged);
}

void PreferencesWindow::launchChanged(bool on) {
    UserDefaults::setBool(kLaunchAtLogin, on);
    NotificationCenter::instance().post(kLaunchAtLoginChanged, on);
}

void PreferencesWindow::buildWindow() {
    auto* w = new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window = w;
    w->setObjectName(QStringLiteral("preferencesWindow"));
    w->setAttribute(Qt::WA_QuitOnClose, false);
    w->setWindowTitle(Brand::name + QStringLiteral(" · 偏好设置"));
    PreferencesStyle::applyDarkLook(w);

    auto* root = new QVBoxLayout(w);
    root->setContentsMargins(20, 18, 20, 18);
    root->setSpacing(18);

    auto* header = new QVBoxLayout;
    header->setSpacing(3);
    header->addWidget(PreferencesStyle::label(Brand::full, 21, QFont::DemiBold,
                                              QColor::fromRgbF(0.96, 0.96, 0.96)));
    header->addWidget(PreferencesStyle::label(Brand::slogan, 12.5, QFont::Normal,
                                              QColor::fromRgbF(0.74, 0.74, 0.74)));
    header->addWidget(
        PreferencesStyle::label(Brand::english + QStringLiteral(": ") + Brand::sloganEN, 11.5,
                                QFont::Normal, QColor::fromRgbF(0.5, 0.5, 0.5)));
    root->addLayout(header);

    // The cards scroll when the screen is too low for all of them.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("cardsScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    auto* cardsHolder = new QWidget;
    cardsHolder->setObjectName(QStringLiteral("cardsHolder"));
    auto* cards = new QVBoxLayout(cardsHolder);
    cards->setContentsMargins(0, 0, 0, 0);
    cards->setSpacing(14);
    scroll->setWidget(cardsHolder);
    root->addWidget(scroll, 1);

    auto [alertCard, alertRows] = makeCard(QStringLiteral("速率告警"), kAlertSubtitle);
    alertRows->addWidget(makeAlertRow(QStringLiteral("下行阈值"), QStringLiteral("down"),
                                      UserDefaults::doubleValue(kAlertDownValue),
                                      UserDefaults::stringValue(kAlertDownUnit).value_or(kKB),
                                      downField, downUnit));
    alertRows->addWidget(makeAlertRow(
        QStringLiteral("上行阈值"), QStringLiteral("up"), UserDefaults::doubleValue(kAlertUpValue),
        UserDefaults::stringValue(kAlertUpUnit).value_or(kKB), upField, upUnit));
    cards->addWidget(alertCard);

    auto [retentionCard, retentionRows] =
        makeCard(QStringLiteral("历史数据保留"),
                 QStringLiteral("定期清理 traffic.json 中超期日期，避免文件无限膨胀"));
    auto* retention = new QComboBox;
    retention->setObjectName(QStringLiteral("retentionPopup"));
    for (const RetentionChoice& choice : kRetentionChoices)
        retention->addItem(QString::fromUtf8(choice.title), choice.days);
    retention->setCurrentIndex(std::max(0, retention->findData(int(retentionDays()))));
    connect(retention, &QComboBox::activated, this,
            [this, retention] { retentionChanged(retention); });
    retentionRows->addWidget(makeRow(QStringLiteral("保留天数"), retention));
    cards->addWidget(retentionCard);

    auto [modeCard, modeRows] =
        makeCard(QStringLiteral("显示模式"), QStringLiteral("选择悬浮球、菜单栏图标或两者同开"));
    auto* mode = new QComboBox;
    mode->setObjectName(QStringLiteral("modePopup"));
    for (DisplayMode m : kAllDisplayModes)
        mode->addItem(title(m), rawValue(m));
    mode->setCurrentIndex(mode->findData(rawValue(displayMode())));
    connect(mode, &QComboBox::activated, this, [this, mode] { displayModeChanged(mode); });
    modeRows->addWidget(makeRow(QStringLiteral("常驻形态"), mode));
    cards->addWidget(modeCard);

    auto [launchCard, launchRows] =
        makeCard(QStringLiteral("启动"), QStringLiteral("登录系统时自动启动 ") + Brand::name);
    auto* launch = new QCheckBox(QStringLiteral("开机自动启动"));
    launch->setObjectName(QStringLiteral("launchCheck"));
    launch->setFont(PreferencesStyle::systemFont(12, QFont::Normal));
    launch->setChecked(isLaunchEnabled());
    connect(launch, &QCheckBox::clicked, this, &PreferencesWindow::launchChanged);
    launchRows->addWidget(launch);
    cards->addWidget(launchCard);

    auto [planCard, planRows] =
        makeCard(QStringLiteral("流量套餐"), QStringLiteral("按计费周期统计用量，接近上限时提醒"));
    dataPlan->addRows(
        *planRows,
        [this](const QString& label, QWidget* control) { return makeRow(label, control); },
        subColor);
    cards->addWidget(planCard);
    cards->addStretch(1);

    // As tall as the cards need (never lower than before), within the screen.
    constexpr int kWidth = 480;
    constexpr int kMinimumHeight = 640;
    const int margins = root->contentsMargins().top() + root->contentsMargins().bottom();
    const int needed = margins + header->sizeHint().height() + root->spacing() +
                       heightAtWidth(*cardsHolder, kWidth - 40);
    QScreen* screen = QGuiApplication::primaryScreen();
    const int available = screen ? screen->availableGeometry().height() : needed;
    w->setFixedSize(kWidth, std::max(kMinimumHeight, std::min(needed, available)));
    if (screen)
        w->move(screen->availableGeometry().center() - w->rect().center());
}

std::pair<QFrame*, QVBoxLayout*> PreferencesWindow::makeCard(const QString& title,
                                                             const QString& subtitle) {
    auto* card = new QFrame;
    card->setObjectName(QStringLiteral("card"));
    card->setStyleSheet(
        QStringLiteral("#card { background-color: %1; border-radius: 12px; }").arg(cardBG.name()));
    auto* stack = new QVBoxLayout(card);
    stack->setContentsMargins(16, 14, 16, 14);
    stack->setSpacing(12);

    auto* titleBlock = new QVBoxLayout;
    titleBlock->setSpacing(3);
    titleBlock->addWidget(PreferencesStyle::label(title, 14, QFont::DemiBold, titleColor));
    QLabel* sub = PreferencesStyle::label(subtitle, 11.5, QFont::Normal, subColor);
    sub->setWordWrap(true);
    sub->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    titleBlock->addWidget(sub);
    stack->addLayout(titleBlock);

    auto* content = new QVBoxLayout;
    content->setSpacing(10);
    content->setAlignment(Qt::AlignLeft);
    stack->addLayout(content);
    return {card, content};
}

QWidget* PreferencesWindow::makeRow(const QString& label, QWidget* control) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(PreferencesStyle::label(label, 12, QFont::Normal, subColor), 0,
                      Qt::AlignVCenter);
    layout->addWidget(control, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return row;
}

QWidget* PreferencesWindow::makeAlertRow(const QString& label, const QString& objectName,
                                         double value, const QString& unit,
                                         QPointer<NumberField>& field,
                                         QPointer<QComboBox>& unitPopup) {
    auto* valueField = new NumberField(value);
    valueField->setObjectName(objectName + QStringLiteral("Field"));
    valueField->setFixedWidth(80);
    connect(valueField, &NumberField::committed, this, &PreferencesWindow::alertChanged);
    field = valueField;

    auto* units = new QComboBox;
    units->setObjectName(objectName + QStringLiteral("Unit"));
    units->addItems({QStringLiteral("KB/s"), kMBPerSecond});
    units->setCurrentIndex(unit == kMB ? 1 : 0);
    connect(units, &QComboBox::activated, this, &PreferencesWindow::alertChanged);
    unitPopup = units;

    QWidget* row = makeRow(label, valueField);
    static_cast<QHBoxLayout*>(row->layout())->insertWidget(2, units, 0, Qt::AlignVCenter);
    return row;
}
