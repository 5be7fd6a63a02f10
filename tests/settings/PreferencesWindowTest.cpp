#include "shell/PreferencesWindow.h"
#include "common/NotificationCenter.h"
#include "settings/UserDefaults.h"
#include "support/LightDesktop.h"
#include "support/Screenshots.h"
#include "ui/NumberField.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using P = PreferencesCatalogue;

class PreferencesWindowTest : public testing::Test {
protected:
    void SetUp() override {
        for (const QString& key : UserDefaults::keys())
            UserDefaults::remove(key);
        for (const QString& name : {P::kAlertThresholdsChanged, P::kRetentionDaysChanged,
                                    P::kDisplayModeChanged, P::kLaunchAtLoginChanged})
            NotificationCenter::instance().observe(name, &context,
                                                   [this, name](const QVariant& object) {
                                                       posted.push_back({name, object});
                                                   });
    }

    // A fresh window built from the settings stored so far.
    PreferencesWindow& open() {
        prefs = std::make_unique<PreferencesWindow>();
        prefs->show();
        return *prefs;
    }
    template <typename T> T* find(const char* name) {
        T* widget = prefs->window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void choose(QComboBox* popup, const QString& text) {
        const int index = popup->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        popup->setCurrentIndex(index);
        Q_EMIT popup->activated(index);
    }
    static void type(NumberField* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }

    QObject context;
    std::vector<std::pair<QString, QVariant>> posted;
    std::unique_ptr<PreferencesWindow> prefs;
};

TEST_F(PreferencesWindowTest, WindowAndCardTexts) {
    open();
    EXPECT_EQ(prefs->window->windowTitle(), QStringLiteral("岚 · 偏好设置"));
    // Five cards: as tall as they need within the screen, never lower than 640.
    EXPECT_EQ(prefs->window->width(), 480);
    EXPECT_GE(prefs->window->height(), 640);
    EXPECT_LE(prefs->window->height(), prefs->window->screen()->availableGeometry().height());
    QStringList texts;
    for (QLabel* label : prefs->window->findChildren<QLabel*>())
        texts << label->text();
    for (const char* expected :
         {"岚 (Vorn)", "速率告警", "下行阈值", "上行阈值", "历史数据保留",
          "定期清理 traffic.json 中超期日期，避免文件无限膨胀", "保留天数", "显示模式",
          "选择悬浮球、菜单栏图标或两者同开", "常驻形态", "启动", "登录系统时自动启动 岚"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_TRUE(texts.contains(QStringLiteral("Vorn: Every byte, at a glance.")));
    EXPECT_EQ(find<QCheckBox>("launchCheck")->text(), QStringLiteral("开机自动启动"));

    QStringList retention;
    auto* popup = find<QComboBox>("retentionPopup");
    for (int i = 0; i < popup->count(); ++i)
        retention << popup->itemText(i) + "=" + popup->itemData(i).toString();
    EXPECT_EQ(retention.join(u','),
              QStringLiteral("30 天=30,90 天=90,180 天=180,365 天=365,永久=0"));
    EXPECT_EQ(popup->currentText(), QStringLiteral("90 天"));
    auto* modes = find<QComboBox>("modePopup");
    EXPECT_EQ(modes->itemText(1), QStringLiteral("菜单栏图标"));
    EXPECT_EQ(modes->currentText(), QStringLiteral("悬浮球"));
    EXPECT_EQ(find<QComboBox>("downUnit")->itemText(1), QStringLiteral("MB/s"));
    EXPECT_EQ(find<NumberField>("downField")->width(), 80);
}

TEST_F(PreferencesWindowTest, FiveMegabytesPerSecondDownload) {
    open();
    choose(find<QComboBox>("downUnit"), QStringLiteral("MB/s"));
    type(find<NumberField>("downField"), QStringLiteral("5"));
    EXPECT_EQ(UserDefaults::doubleValue(P::kAlertDownValue), 5);
    EXPECT_EQ(UserDefaults::stringValue(P::kAlertDownUnit), QStringLiteral("MB"));
    EXPECT_EQ(UserDefaults::stringValue(P::kAlertUpUnit), QStringLiteral("KB"));
    EXPECT_EQ(UserDefaults::doubleValue(P::kAlertUpValue), 0);
    EXPECT_EQ(P::downThresholdBytes(), 5242880);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].first, QStringLiteral("NDAlertThresholdsChanged"));
    EXPECT_FALSE(posted[1].second.isValid());
}

TEST_F(PreferencesWindowTest, StoredFractionShowsRoundedAndCommitsWhatIsShown) {
    UserDefaults::setDouble(P::kAlertUpValue, 2.5);
    UserDefaults::setString(P::kAlertUpUnit, QStringLiteral("MB"));
    open();
    auto* up = find<NumberField>("upField");
    EXPECT_EQ(up->text(), QStringLiteral("2"));
    EXPECT_EQ(find<QComboBox>("upUnit")->currentText(), QStringLiteral("MB/s"));
    Q_EMIT up->editingFinished();
    EXPECT_EQ(UserDefaults::doubleValue(P::kAlertUpValue), 2);
    EXPECT_EQ(UserDefaults::stringValue(P::kAlertUpUnit), QStringLiteral("MB"));
}

TEST_F(PreferencesWindowTest, RejectedTextIsNeverCommitted) {
    UserDefaults::setDouble(P::kAlertDownValue, 7);
    open();
    auto* down = find<NumberField>("downField");
    type(down, QStringLiteral("abc"));
    EXPECT_EQ(down->text(), QStringLiteral("7")); // letters cannot even be typed
    posted.clear();
    type(down, QStringLiteral("100001"));
    EXPECT_EQ(down->text(), QStringLiteral("100001"));
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(UserDefaults::doubleValue(P::kAlertDownValue), 7);
    // Leaving the field restores the committed value; a unit change stores that value.
    down->clearFocus();
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(down, &out);
    EXPECT_EQ(down->text(), QStringLiteral("7"));
    choose(find<QComboBox>("downUnit"), QStringLiteral("MB/s"));
    EXPECT_EQ(UserDefaults::doubleValue(P::kAlertDownValue), 7);

    type(down, QStringLiteral("1.25"));
    EXPECT_EQ(UserDefaults::doubleValue(P::kAlertDownValue), 1.25);
    type(down, QStringLiteral("100000"));
    EXPECT_EQ(UserDefaults::doubleValue(P::kAlertDownValue), 100000);
}

TEST_F(PreferencesWindowTest, ForeverRetentionStoresZero) {
    UserDefaults::setInteger(P::kRetentionDays, 365);
    open();
    auto* popup = find<QComboBox>("retentionPopup");
    EXPECT_EQ(popup->currentText(), QStringLiteral("365 天"));
    choose(popup, QStringLiteral("永久"));
    EXPECT_TRUE(UserDefaults::contains(P::kRetentionDays));
    EXPECT_EQ(UserDefaults::integerValue(P::kRetentionDays), 0);
    EXPECT_EQ(P::retentionDays(), 0);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].first, QStringLiteral("NDRetentionDaysChanged"));
}

TEST_F(PreferencesWindowTest, UnknownRetentionShowsTheFirstChoice) {
    UserDefaults::setInteger(P::kRetentionDays, 45);
    open();
    EXPECT_EQ(find<QComboBox>("retentionPopup")->currentText(), QStringLiteral("30 天"));
    EXPECT_EQ(UserDefaults::integerValue(P::kRetentionDays), 45);
}

TEST_F(PreferencesWindowTest, DisplayModeChoice) {
    UserDefaults::setString(P::kDisplayMode, QStringLiteral("both"));
    open();
    auto* modes = find<QComboBox>("modePopup");
    EXPECT_EQ(modes->currentText(), QStringLiteral("两者同开"));
    choose(modes, QStringLiteral("菜单栏图标"));
    EXPECT_EQ(UserDefaults::stringValue(P::kDisplayMode), QStringLiteral("menubar"));
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].first, QStringLiteral("NDDisplayModeChanged"));

    UserDefaults::setString(P::kDisplayMode, QStringLiteral("dock"));
    open();
    EXPECT_EQ(find<QComboBox>("modePopup")->currentText(), QStringLiteral("悬浮球"));
}

TEST_F(PreferencesWindowTest, UntickingLaunchPostsFalse) {
    UserDefaults::setBool(P::kLaunchAtLogin, true);
    open();
    auto* check = find<QCheckBox>("launchCheck");
    EXPECT_TRUE(check->isChecked());
    check->click();
    EXPECT_TRUE(UserDefaults::contains(P::kLaunchAtLogin));
    EXPECT_FALSE(P::isLaunchEnabled());
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].first, QStringLiteral("NDLaunchAtLoginChanged"));
    EXPECT_EQ(posted[0].second.typeId(), QMetaType::Bool);
    EXPECT_FALSE(posted[0].second.toBool());
}

TEST_F(PreferencesWindowTest, SecondShowKeepsTheBuiltWindow) {
    open();
    QWidget* first = prefs->window;
    first->close();
    EXPECT_FALSE(first->isVisible());
    UserDefaults::setString(P::kDisplayMode, QStringLiteral("menubar"));
    prefs->show();
    EXPECT_EQ(prefs->window, first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(find<QComboBox>("modePopup")->currentText(), QStringLiteral("悬浮球"));
}

TEST_F(PreferencesWindowTest, DarkLookScreenshot) {
    open();
    const QImage image = prefs->window->grab().toImage();
    saveScreenshot(image, QStringLiteral("preferences"));
    EXPECT_EQ(image.size() / image.devicePixelRatio(), prefs->window->size());
    const qreal dpr = image.devicePixelRatio();
    auto at = [&](int x, int y) { return image.pixelColor(int(x * dpr), int(y * dpr)); };
    // Window background in the gap at the left margin and between cards.
    EXPECT_EQ(at(5, 320).name(), QColor::fromRgbF(0.055, 0.065, 0.095).name());
    // Inside the first card, right of its rows: the card colour.
    QWidget* card = prefs->window->findChild<QWidget*>(QStringLiteral("card"));
    ASSERT_NE(card, nullptr);
    // The cards sit in a scroll area: their place in the window.
    const QRect r(card->mapTo(prefs->window.data(), QPoint(0, 0)), card->size());
    EXPECT_EQ(at(r.right() - 20, r.center().y()).name(),
              QColor::fromRgbF(0.075, 0.09, 0.14).name());
    // Rounded corner: the very corner pixel is still window background.
    EXPECT_EQ(at(r.left(), r.top()).name(), QColor::fromRgbF(0.055, 0.065, 0.095).name());
    EXPECT_EQ(r.left(), 20);
    EXPECT_EQ(r.width(), 440);
}

// The edit menu of a value field and the drop-down lists are windows of their own: on a light
// desktop they must still be dark.
TEST_F(PreferencesWindowTest, PopupsAreDarkOnALightDesktop) {
    const LightDesktop lightDesktop;
    open();
    auto* field = find<NumberField>("downField");
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            field->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(field, &click);
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    const QImage menuImage = menu->grab().toImage();
    saveScreenshot(menuImage, QStringLiteral("preferences-field-menu"));
    EXPECT_LE(popupBackgroundLightness(menuImage), 50);
    menu->close();

    for (const char* name : {"retentionPopup", "modePopup", "downUnit"}) {
        auto* box = find<QComboBox>(name);
        box->showPopup();
        EXPECT_LE(popupBackgroundLightness(box->view()->window()->grab().toImage()), 50) << name;
        box->hidePopup();
    }
}

} // namespace
