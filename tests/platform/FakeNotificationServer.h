#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <vector>

// Stands in for the desktop's notification daemon on a private session bus.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QVariantMap hints;
    };
    std::vector<Call> calls;
    uint nextId = 41;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout) {
        calls.push_back({appName, replacesId, summary, body, hints});
        return replacesId != 0 ? replacesId : nextId++;
    }
};
