#include "platform/DefaultRoute.h"

#include <QProcess>

QString defaultRouteInterface() {
    QProcess route;
    route.setProcessChannelMode(QProcess::SeparateChannels);
    route.setStandardErrorFile(QProcess::nullDevice());
    route.start(QStringLiteral("/sbin/route"),
                {QStringLiteral("-n"), QStringLiteral("get"), QStringLiteral("default")});
    if (!route.waitForStarted())
        return {};
    route.waitForFinished();
    return parseRouteGetDefault(route.readAllStandardOutput());
}
