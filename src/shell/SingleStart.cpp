#include "shell/SingleStart.h"

#include "common/Brand.h"
#include "common/Log.h"
#include "shell/AppShell.h"

namespace SingleStart {

std::optional<int> exitCodeFor(SingleInstance::Claim claim) {
    switch (claim) {
    case SingleInstance::Claim::first:
        return std::nullopt;
    case SingleInstance::Claim::handedOver:
        return 0;
    case SingleInstance::Claim::noAnswer:
        logMessage(Brand::name + QStringLiteral(" 已在运行，但没有响应；请先结束它再启动"));
        return 1;
    case SingleInstance::Claim::unguarded:
        logMessage(QStringLiteral("运行时目录无法加锁：不检查是否已有一个") + Brand::name +
                   QStringLiteral("在运行"));
        return std::nullopt;
    }
    return std::nullopt;
}

void answerLaterStarts(SingleInstance& instance, AppShell& shell) {
    if (!instance.listen()) {
        logMessage(QStringLiteral("无法在运行时目录中等候：再次启动时不能唤出这个") + Brand::name);
        return;
    }
    QObject::connect(&instance, &SingleInstance::showRequested, &shell, &AppShell::present);
}

} // namespace SingleStart
