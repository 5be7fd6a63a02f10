#include "platform/Notifier.h"

#import <Foundation/Foundation.h>
#import <UserNotifications/UserNotifications.h>

#include <QCoreApplication>
#include <QMetaObject>

namespace {

class MacNotifier final : public Notifier {
public:
    void requestAuthorization() override {
        [UNUserNotificationCenter.currentNotificationCenter
            requestAuthorizationWithOptions:(UNAuthorizationOptionAlert |
                                             UNAuthorizationOptionSound)
                          completionHandler:^(BOOL, NSError*){
                          }];
    }

    void deliver(const Notification& notification, FailureHandler onFailure) override {
        UNMutableNotificationContent* content = [[UNMutableNotificationContent alloc] init];
        content.title = notification.title.toNSString();
        content.body = notification.body.toNSString();
        content.sound = UNNotificationSound.defaultSound;
        UNNotificationRequest* request =
            [UNNotificationRequest requestWithIdentifier:notification.identifier.toNSString()
                                                 content:content
                                                 trigger:nil];
        FailureHandler handler = std::move(onFailure);
        [UNUserNotificationCenter.currentNotificationCenter
            addNotificationRequest:request
             withCompletionHandler:^(NSError* error) {
               if (!error)
                   return;
               const QString reason = QString::fromNSString(error.localizedDescription);
               QMetaObject::invokeMethod(QCoreApplication::instance(),
                                         [handler, reason] { handler(reason); });
             }];
    }
};

} // namespace

Notifier& Notifier::system() {
    static MacNotifier notifier;
    return notifier;
}
