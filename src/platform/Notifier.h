#pragma once

#include <QString>

#include <functional>

// Local desktop notifications. A notification replaces the one shown earlier under the same
// identifier.
class Notifier {
public:
    struct Notification {
        QString identifier;
        QString title;
        QString body;
    };
    // Called with the reason when a notification could not be handed to the system; on the
    // main thread, possibly after deliver() returned.
    using FailureHandler = std::function<void(const QString& reason)>;

    virtual ~Notifier() = default;
    // Asks for permission to show alerts with sound; the answer is not reported.
    virtual void requestAuthorization() = 0;
    // Shows the notification now, with the default sound.
    virtual void deliver(const Notification& notification, FailureHandler onFailure) = 0;

    // The notification service of the platform the program runs on.
    static Notifier& system();
};
