#include "platform/DefaultRoute.h"

#include <QFile>

QString defaultRouteInterface() {
    QFile file(QStringLiteral("/proc/net/route"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseProcNetRoute(file.read(1 << 20));
}
