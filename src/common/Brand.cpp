#include "common/Brand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString applicationSupportBase() {
#ifdef Q_OS_MACOS
    return QDir::homePath() + QStringLiteral("/Library/Application Support");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
}

bool copyRecursively(const QString& from, const QString& to) {
    const QFileInfo info(from);
    if (!info.isDir() || info.isSymLink())
        return QFile::copy(from, to);
    if (!QDir().mkpath(to))
        return false;
    const QDir source(from);
    bool ok = true;
    const auto entries =
        source.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        ok = copyRecursively(source.filePath(entry), to + QLatin1Char('/') + entry) && ok;
    return ok;
}

} // namespace

namespace Brand {

std::optional<QString> supportDirectory() {
    const QString base = applicationSupportBase();
    if (base.isEmpty())
        return std::nullopt;
    const QString dir = QDir(base).filePath(dirName);
    if (QFileInfo(dir).isDir())
        return dir;
    QDir().mkpath(dir);
    migrateLegacy(QDir(base).filePath(legacyDirName), dir);
    return dir;
}

void migrateLegacy(const QString& legacy, const QString& dir) {
    if (!QFileInfo(legacy).isDir())
        return;
    const QDir source(legacy);
    const auto entries =
        source.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const QString target = QDir(dir).filePath(entry);
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        copyRecursively(source.filePath(entry), target);
    }
}

} // namespace Brand
