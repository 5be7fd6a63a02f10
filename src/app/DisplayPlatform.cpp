#include "app/DisplayPlatform.h"

#include "common/Log.h"

namespace DisplayPlatform {

QByteArray preferredPlatform(const QByteArray& waylandDisplay, const QByteArray& qpaPlatform,
                             const QByteArray& x11Display) {
    if (waylandDisplay.isEmpty() || !qpaPlatform.isEmpty() || x11Display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb;wayland");
}

QString placementWarning(const QString& platformName) {
    if (!platformName.startsWith(QLatin1String("wayland")))
        return {};
    return QStringLiteral(
        "在原生 Wayland 上运行（XWayland 不可用）：悬浮球可能无法拖动定位或贴边收起");
}

void preferXWayland() {
    const QByteArray platform = preferredPlatform(qgetenv("WAYLAND_DISPLAY"),
                                                  qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"));
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

void warnIfUnplaceable(const QString& platformName) {
    const QString warning = placementWarning(platformName);
    if (!warning.isEmpty())
        logMessage(warning);
}

} // namespace DisplayPlatform
