#include "platform/linux/LinuxRunningApps.h"

#include "platform/linux/FlatpakAppId.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <unistd.h>

namespace {

constexpr qint64 kMaxFileRead = 64 * 1024;

QString executableOf(const QString& processDir) {
    QString target = QFile::symLinkTarget(processDir + QStringLiteral("/exe"));
    // A replaced binary still runs under its old path, marked as deleted.
    const QLatin1String kDeleted(" (deleted)");
    if (target.endsWith(kDeleted))
        target.chop(kDeleted.size());
    return target;
}

QByteArray readSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(kMaxFileRead);
}

QByteArray linkTarget(const QString& path) {
    char target[256];
    const ssize_t length = readlink(QFile::encodeName(path).constData(), target, sizeof target);
    return length > 0 ? QByteArray(target, length) : QByteArray();
}

// The Flatpak application of a sandboxed process. A process that shares this program's mount
// namespace is not sandboxed, which spares reading two files for nearly every process.
QString flatpakAppOf(const QString& processDir, const QByteArray& ownMounts) {
    if (!ownMounts.isEmpty() && linkTarget(processDir + QStringLiteral("/ns/mnt")) == ownMounts)
        return {};
    const QString fromInfo =
        FlatpakAppId::fromInfo(readSmallFile(processDir + QStringLiteral("/root/.flatpak-info")));
    if (!fromInfo.isEmpty())
        return fromInfo;
    return FlatpakAppId::fromCgroup(readSmallFile(processDir + QStringLiteral("/cgroup")));
}

} // namespace

std::vector<RunningApp> runningApplications(const QString& procRoot, const DesktopIndex& desktop) {
    std::vector<std::pair<qint64, QString>> processes;
    const QDir proc(procRoot);
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (isPid)
            processes.emplace_back(pid, proc.filePath(entry));
    }
    std::sort(processes.begin(), processes.end());

    const QByteArray ownMounts = linkTarget(proc.filePath(QStringLiteral("self/ns/mnt")));
    std::vector<RunningApp> apps;
    apps.reserve(processes.size());
    for (const auto& [pid, processDir] : processes) {
        QString exe = executableOf(processDir);
        if (exe.isEmpty())
            continue;
        QString name = desktop.nameFor(exe, flatpakAppOf(processDir, ownMounts));
        apps.push_back({std::move(exe), std::move(name)});
    }
    return apps;
}

std::vector<RunningApp> runningApplications() {
    return runningApplications(QStringLiteral("/proc"), DesktopIndex::installed());
}
