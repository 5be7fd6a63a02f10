#include "platform/linux/FreedesktopNotifier.h"
#include "platform/FakeNotificationServer.h"
#include "settings/PreferencesCatalogue.h"
#include "settings/UserDefaults.h"
#include "shell/ThresholdAlert.h"
#include "support/FakeClock.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

namespace {

// Runs the event loop until done() holds; the deadline only guards against a hang.
template <typename Done> bool spinUntil(Done done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Each test runs in its own dbus-run-session; the server uses a connection of its own, so
// every call really travels through the bus daemon.
class NotifierBusTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
            << "run under dbus-run-session";
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    }

    void startServer() {
        serverBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                  QStringLiteral("fake-notification-server"));
        ASSERT_TRUE(serverBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                             &server, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(serverBus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }

    FakeNotificationServer server;
    QDBusConnection serverBus{QString()};
    FreedesktopNotifier notifier;
    std::vector<QString> failures;
    std::vector<uint> deliveredIds;
    QMetaObject::Connection watch = QObject::connect(
        &notifier, &FreedesktopNotifier::delivered,
        [this](const QString&, uint serverId) { deliveredIds.push_back(serverId); });
    Notifier::FailureHandler recordFailure = [this](const QString& reason) {
        failures.push_back(reason);
    };
};

TEST_F(NotifierBusTest, DeliversAndReplacesThePreviousNotification) {
    startServer();
    notifier.deliver({"netdial.threshold", "网速超过设定阈值", "下载 1.0 MB/s · 上传 0 B/s"},
                     recordFailure);
    ASSERT_TRUE(spinUntil([&] { return server.calls.size() == 1; }));
    const auto& first = server.calls[0];
    EXPECT_EQ(first.appName, QStringLiteral("岚"));
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.summary, QStringLiteral("网速超过设定阈值"));
    EXPECT_EQ(first.body, QStringLiteral("下载 1.0 MB/s · 上传 0 B/s"));
    EXPECT_EQ(first.hints.value(QStringLiteral("sound-name")).toString(),
              QStringLiteral("message-new-instant"));

    // The returned id arrives asynchronously; the next alert must carry it.
    ASSERT_TRUE(spinUntil([&] { return deliveredIds.size() == 1; }));
    EXPECT_EQ(deliveredIds[0], 41u);
    notifier.deliver({"netdial.threshold", "网速超过设定阈值", "第二次"}, recordFailure);
    ASSERT_TRUE(spinUntil([&] { return server.calls.size() == 2; }));
    EXPECT_EQ(server.calls[1].replacesId, 41u);
    EXPECT_TRUE(failures.empty());
}

TEST_F(NotifierBusTest, MissingServiceIsReportedAsFailure) {
    notifier.deliver({"netdial.threshold", "t", "b"}, recordFailure);
    ASSERT_TRUE(spinUntil([&] { return !failures.empty(); }));
    EXPECT_FALSE(failures.front().isEmpty());
}

TEST_F(NotifierBusTest, ThresholdAlertEndToEnd) {
    for (const QString& key : UserDefaults::keys())
        UserDefaults::remove(key);
    UserDefaults::setDouble(PreferencesCatalogue::kAlertDownValue, 1);
    startServer();
    FakeClock clock;
    ThresholdAlert alert(clock, notifier, [] { return false; });
    for (int i = 0; i < 4; ++i) {
        clock.advance(1);
        alert.checkThresholdAlert(2048, 0);
    }
    ASSERT_TRUE(spinUntil([&] { return deliveredIds.size() == 1; }));
    for (int i = 0; i < 60; ++i) {
        clock.advance(1);
        alert.checkThresholdAlert(2048, 0);
    }
    clock.advance(300);
    for (int i = 0; i < 4; ++i) {
        clock.advance(1);
        alert.checkThresholdAlert(4096, 0);
    }
    ASSERT_TRUE(spinUntil([&] { return server.calls.size() == 2; }));
    EXPECT_EQ(server.calls[1].replacesId, 41u);
    EXPECT_EQ(server.calls[1].body, QStringLiteral("下载 4.0 KB/s · 上传 0 B/s"));
}

} // namespace
