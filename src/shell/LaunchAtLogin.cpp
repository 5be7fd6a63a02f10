#include "shell/LaunchAtLogin.h"

#include "common/Log.h"

void setLaunchAtLogin(bool enabled, LoginItem& service) {
    const bool registered = service.status() == LoginItem::Status::enabled;
    QString failure;
    if (enabled && !registered)
        failure = service.registerItem();
    else if (!enabled && registered)
        failure = service.unregisterItem();
    if (!failure.isEmpty())
        logMessage(QStringLiteral("开机自启设置失败: ") + failure);
}
