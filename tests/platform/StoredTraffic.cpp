#include "StoredTraffic.h"

#include <QFile>
#include <QJsonDocument>

QJsonObject storedApp(const QString& path, const QString& day, const char* name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll())
        .object()[day]
        .toObject()[QStringLiteral("apps")]
        .toObject()[QString::fromLatin1(name)]
        .toObject();
}
