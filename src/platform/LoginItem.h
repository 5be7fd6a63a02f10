#pragma once

#include <QString>

// The platform's login-item service for this application: whether it starts at login, and
// registering or unregistering it.
class LoginItem {
public:
    enum class Status { notRegistered, enabled, requiresApproval, notFound };

    virtual ~LoginItem() = default;
    virtual Status status() const = 0;
    // Each returns an empty text on success, else the reason it failed.
    virtual QString registerItem() = 0;
    virtual QString unregisterItem() = 0;

    // The service of the platform the program runs on.
    static LoginItem& system();
};
