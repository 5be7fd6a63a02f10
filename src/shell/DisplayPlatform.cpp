#include "shell/DisplayPlatform.h"

#include "common/Brand.h"
#include "common/Log.h"

#include <QByteArrayList>

namespace DisplayPlatform {

namespace {

QString x11Problem(const DisplayServers& servers) {
    if (servers.x11Display.isEmpty())
        return QStringLiteral("没有 X11 显示（DISPLAY）");
    return QStringLiteral("X11 显示 %1 无法连接").arg(QString::fromLocal8Bit(servers.x11Display));
}

QString waylandProblem(const DisplayServers& servers) {
    if (servers.waylandDisplay.isEmpty())
        return QStringLiteral("也没有 Wayland 显示（WAYLAND_DISPLAY）");
    const QString name = QString::fromLocal8Bit(servers.waylandDisplay);
    if (servers.waylandAnswers)
        return QStringLiteral("Wayland 显示 %1 可用，但缺少 Qt 的 Wayland 平台插件（qt6-wayland）")
            .arg(name);
    return QStringLiteral("Wayland 显示 %1 也无法连接").arg(name);
}

QString failureLine(const DisplayServers& servers) {
    QString line = Brand::name + QStringLiteral(" 无法启动：") + x11Problem(servers) +
                   QStringLiteral("，") + waylandProblem(servers);
    if (servers.x11Display.isEmpty() && servers.waylandDisplay.isEmpty())
        line += QStringLiteral("；终端里可用 vorn monitor 查看实时网速");
    return line;
}

} // namespace

Choice choose(const DisplayServers& servers, const QByteArray& qpaPlatform) {
    if (!servers.probed || !qpaPlatform.isEmpty())
        return {};
    QByteArrayList candidates;
    if (servers.x11Answers)
        candidates << QByteArrayLiteral("xcb");
    if (servers.waylandAnswers && servers.waylandPluginInstalled)
        candidates << QByteArrayLiteral("wayland");
    if (candidates.isEmpty())
        return {{}, failureLine(servers)};
    // A plain X11 session: Qt's own default is right.
    if (servers.waylandDisplay.isEmpty())
        return {};
    return {candidates.join(';'), {}};
}

QString placementWarning(const QString& platformName) {
    if (!platformName.startsWith(QLatin1String("wayland")))
        return {};
    return QStringLiteral(
        "在原生 Wayland 上运行（XWayland 不可用）：悬浮球可能无法拖动定位或贴边收起");
}

QString prepare() {
    const Choice choice = choose(probeDisplayServers(), qgetenv("QT_QPA_PLATFORM"));
    if (!choice.platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", choice.platform);
    return choice.failure;
}

void warnIfUnplaceable(const QString& platformName) {
    const QString warning = placementWarning(platformName);
    if (!warning.isEmpty())
        logMessage(warning);
}

} // namespace DisplayPlatform
