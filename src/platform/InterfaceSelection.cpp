#include "platform/InterfaceSelection.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kArphrdLoopback = 772;

bool isLoopback(const QString& dir) {
    QFile type(dir + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    return type.readAll().trimmed().toInt() == kArphrdLoopback;
}

} // namespace

std::vector<QByteArray> selectCountedInterfaces(const QString& sysClassNet,
                                                const std::vector<QByteArray>& names) {
    std::vector<QByteArray> withDevice;
    std::vector<QByteArray> notLoopback;
    for (const QByteArray& name : names) {
        if (name.isEmpty() || name.contains('/') || name == "." || name == "..")
            continue;
        const QString dir = sysClassNet + QLatin1Char('/') + QString::fromUtf8(name);
        if (isLoopback(dir))
            continue;
        notLoopback.push_back(name);
        if (QFileInfo::exists(dir + QStringLiteral("/device")))
            withDevice.push_back(name);
    }
    return withDevice.empty() ? notLoopback : withDevice;
}
