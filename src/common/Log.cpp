#include "common/Log.h"

#include "common/Brand.h"

#include <cstdio>

void logMessage(const QString& message) {
    const QByteArray line = ("[" + Brand::logPrefix + "] " + message + "\n").toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}
