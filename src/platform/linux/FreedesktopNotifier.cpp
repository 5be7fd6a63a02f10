#include "platform/linux/FreedesktopNotifier.h"

#include "common/Brand.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The freedesktop sound-naming name for a new message: the desktop's default sound.
const QString kDefaultSound = QStringLiteral("message-new-instant");
constexpr int kServerDefaultTimeout = -1;

} // namespace

FreedesktopNotifier::FreedesktopNotifier(QObject* parent) : QObject(parent) {}

void FreedesktopNotifier::requestAuthorization() {
    // The freedesktop service shows notifications without asking.
}

void FreedesktopNotifier::deliver(const Notification& notification, FailureHandler onFailure) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        const QString reason = bus.lastError().message();
        onFailure(reason.isEmpty() ? QStringLiteral("无法连接会话总线") : reason);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("sound-name"), kDefaultSound},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    call << Brand::name << m_serverIds.value(notification.identifier, 0u) << QString()
         << notification.title << notification.body << QStringList() << hints
         << kServerDefaultTimeout;

    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier = notification.identifier,
             onFailure = std::move(onFailure)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    onFailure(reply.error().message());
                    return;
                }
                m_serverIds.insert(identifier, reply.value());
                Q_EMIT delivered(identifier, reply.value());
            });
}

Notifier& Notifier::system() {
    static FreedesktopNotifier notifier;
    return notifier;
}
