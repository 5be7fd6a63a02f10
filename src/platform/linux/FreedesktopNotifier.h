#pragma once

#include "platform/Notifier.h"

#include <QHash>
#include <QObject>

// Notifications through org.freedesktop.Notifications on the session bus. The id the server
// returns for an identifier is passed as replaces_id next time, so a newer alert replaces the
// older one instead of stacking.
class FreedesktopNotifier final : public QObject, public Notifier {
    Q_OBJECT
public:
    explicit FreedesktopNotifier(QObject* parent = nullptr);

    void requestAuthorization() override;
    void deliver(const Notification& notification, FailureHandler onFailure) override;

Q_SIGNALS:
    // The server accepted a notification and named it serverId.
    void delivered(const QString& identifier, uint serverId);

private:
    QHash<QString, uint> m_serverIds;
};
