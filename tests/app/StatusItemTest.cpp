#include "shell/StatusItem.h"

#include <QIcon>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <malloc.h>

namespace {

// What an XEmbed tray does every second: the icon changes and is painted into its small window.
void repaintTrayIcon(StatusItem& item, QImage& trayWindow, int rate) {
    item.setTitle(QString::number(rate), QString::number(rate), QStringLiteral("0"));
    QPainter painter(&trayWindow);
    item.icon().paint(&painter, trayWindow.rect());
}

TEST(StatusItem, RepaintingAChangingTrayIconKeepsNoCopies) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps books of its own";
#endif
    StatusItem item;
    QImage trayWindow(22, 30, QImage::Format_ARGB32_Premultiplied);
    for (int rate = 0; rate < 100; ++rate) // fonts and glyphs settle in
        repaintTrayIcon(item, trayWindow, rate);
    const long long before = static_cast<long long>(mallinfo2().uordblks);
    for (int rate = 100; rate < 700; ++rate)
        repaintTrayIcon(item, trayWindow, rate);
    const long long growth = static_cast<long long>(mallinfo2().uordblks) - before;
    // A copy kept per repaint would be 600 x 22 x 22 x 4 bytes, about 1.1 MB.
    EXPECT_LT(growth, 200 * 1024);
}

TEST(StatusItem, EveryClickOpensExactlyOneMenu) {
    struct Case {
        const char* what;
        QSystemTrayIcon::ActivationReason reason;
        bool contextMenuShown;
        bool opensStatusMenu;
    };
    const Case cases[] = {
        {"left click, any host", QSystemTrayIcon::Trigger, false, true},
        {"right click on XEmbed: Qt has popped up the context menu", QSystemTrayIcon::Context, true,
         false},
        {"a StatusNotifierItem host asking for a menu it does not draw", QSystemTrayIcon::Context,
         false, true},
        {"double click: the first click's menu is open", QSystemTrayIcon::DoubleClick, false,
         false},
        {"middle click", QSystemTrayIcon::MiddleClick, false, false},
        {"unknown", QSystemTrayIcon::Unknown, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StatusItem::opensStatusMenu(c.reason, c.contextMenuShown), c.opensStatusMenu)
            << c.what;
}

} // namespace
