#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

// Process-wide named notifications: a poster does not know its observers. Delivery is
// synchronous on the posting thread (everything that posts runs on the main thread).
class NotificationCenter : public QObject {
    Q_OBJECT
public:
    static NotificationCenter& instance();

    void post(const QString& name, const QVariant& object = {});

    // Calls handler for every post of name while context lives.
    QMetaObject::Connection observe(const QString& name, QObject* context,
                                    std::function<void(const QVariant& object)> handler);

Q_SIGNALS:
    void posted(const QString& name, const QVariant& object);
};
