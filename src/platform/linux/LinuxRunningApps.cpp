#include "platform/RunningApps.h"

#include "platform/DesktopEntry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <map>

namespace {

// Program file name → display name from every installed .desktop file, read once per run.
const std::map<QString, QString>& desktopIndex() {
    static const std::map<QString, QString> index = [] {
        std::map<QString, QString> built;
        // Highest precedence first: the user's entries, then the system's.
        const QStringList dirs =
            QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
        for (const QString& dir : dirs) {
            QDirIterator files(dir, {QStringLiteral("*.desktop")}, QDir::Files,
                               QDirIterator::Subdirectories);
            QStringList paths;
            while (files.hasNext())
                paths.append(files.next());
            paths.sort();
            for (const QString& path : paths) {
                QFile file(path);
                if (file.size() < (1 << 20) && file.open(QIODevice::ReadOnly))
                    addToDesktopIndex(built, parseDesktopEntry(file.readAll()));
            }
        }
        return built;
    }();
    return index;
}

QString executableOf(const QString& pid) {
    QString target = QFile::symLinkTarget(QStringLiteral("/proc/") + pid + QStringLiteral("/exe"));
    // A replaced binary still runs under its old path, marked as deleted.
    const QLatin1String kDeleted(" (deleted)");
    if (target.endsWith(kDeleted))
        target.chop(kDeleted.size());
    return target;
}

} // namespace

std::vector<RunningApp> runningApplications() {
    std::vector<std::pair<qint64, QString>> processes;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QString exe = executableOf(entry);
        if (!exe.isEmpty())
            processes.emplace_back(pid, std::move(exe));
    }
    std::sort(processes.begin(), processes.end());

    std::vector<RunningApp> apps;
    apps.reserve(processes.size());
    const auto& index = desktopIndex();
    for (auto& [pid, exe] : processes) {
        const QString program = exe.mid(exe.lastIndexOf(QLatin1Char('/')) + 1);
        const auto found = index.find(program);
        apps.push_back({std::move(exe), found == index.end() ? QString() : found->second});
    }
    return apps;
}
