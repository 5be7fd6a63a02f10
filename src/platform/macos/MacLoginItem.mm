#include "platform/LoginItem.h"

#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

namespace {

// The application's own registration with the main-application login-item service.
class MacLoginItem final : public LoginItem {
public:
    Status status() const override {
        switch (SMAppService.mainAppService.status) {
        case SMAppServiceStatusEnabled:
            return Status::enabled;
        case SMAppServiceStatusRequiresApproval:
            return Status::requiresApproval;
        case SMAppServiceStatusNotFound:
            return Status::notFound;
        default:
            return Status::notRegistered;
        }
    }

    QString registerItem() override {
        NSError* error = nil;
        if ([SMAppService.mainAppService registerAndReturnError:&error])
            return {};
        return QString::fromNSString(error.localizedDescription);
    }

    QString unregisterItem() override {
        NSError* error = nil;
        if ([SMAppService.mainAppService unregisterAndReturnError:&error])
            return {};
        return QString::fromNSString(error.localizedDescription);
    }
};

} // namespace

LoginItem& LoginItem::system() {
    static MacLoginItem item;
    return item;
}
