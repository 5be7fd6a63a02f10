#include "app/DisplayPlatform.h"

#include "common/Log.h"

namespace DisplayPlatform {

Choice choose(const QByteArray& waylandDisplay, const QByteArray& qpaPlatform,
              const QByteArray& x11Display) {
    if (waylandDisplay.isEmpty() || !qpaPlatform.isEmpty())
        return {};
    if (!x11Display.isEmpty())
        return {QByteArrayLiteral("xcb"), {}};
    return {{},
            QStringLiteral("Wayland 会话中没有 XWayland（DISPLAY 未设置），使用原生 Wayland："
                           "悬浮球可能无法拖动定位或贴边收起")};
}

void applyToEnvironment() {
    const Choice choice =
        choose(qgetenv("WAYLAND_DISPLAY"), qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"));
    if (!choice.platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", choice.platform);
    if (!choice.logLine.isEmpty())
        logMessage(choice.logLine);
}

} // namespace DisplayPlatform
