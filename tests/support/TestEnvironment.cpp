#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

namespace {
QTemporaryDir* g_root = nullptr;
}

void isolateUserDirectories() {
    g_root = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/vorn-test-XXXXXX"));
    const QString root = g_root->path();
    for (const char* sub : {"home", "data", "config", "cache", "runtime"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    QDir(root + QStringLiteral("/runtime")).removeRecursively();
    QDir(root).mkdir(QStringLiteral("runtime"));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", (root + QStringLiteral("/home")).toUtf8());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CACHE_HOME", (root + QStringLiteral("/cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (root + QStringLiteral("/runtime")).toUtf8());
}

QString testRoot() {
    return g_root ? g_root->path() : QString();
}
