#include "platform/DesktopIndex.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr qint64 kMaxEntrySize = 1 << 20;

// The real path of the program a desktop entry names; empty when it cannot be found.
QString resolvedProgram(const QString& program, const QStringList& pathDirs) {
    if (program.startsWith(QLatin1Char('/')))
        return QFileInfo(program).canonicalFilePath();
    if (program.isEmpty() || program.contains(QLatin1Char('/')))
        return {};
    for (const QString& dir : pathDirs) {
        const QFileInfo candidate(QDir(dir).filePath(program));
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.canonicalFilePath();
    }
    return {};
}

void addTo(std::map<QString, std::vector<size_t>>& tier, const QString& key, size_t entry) {
    if (key.isEmpty())
        return;
    std::vector<size_t>& entries = tier[key];
    if (entries.empty() || entries.back() != entry)
        entries.push_back(entry);
}

} // namespace

DesktopIndex DesktopIndex::load(const QStringList& applicationDirs, const QStringList& pathDirs) {
    DesktopIndex index;
    for (const QString& dir : applicationDirs) {
        QDirIterator files(dir, {QStringLiteral("*.desktop")}, QDir::Files,
                           QDirIterator::Subdirectories);
        QStringList paths;
        while (files.hasNext())
            paths.append(files.next());
        paths.sort();
        const QDir root(dir);
        for (const QString& path : paths) {
            QFile file(path);
            if (file.size() > kMaxEntrySize || !file.open(QIODevice::ReadOnly))
                continue;
            QString id = root.relativeFilePath(path);
            id.chop(int(qstrlen(".desktop")));
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            index.add(id, parseDesktopEntry(file.readAll()), pathDirs);
        }
    }
    return index;
}

DesktopIndex DesktopIndex::fromStandardLocations() {
    QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    // Where Flatpak exports its applications' entries, for sessions that do not list them.
    const QString exports = QStringLiteral("/flatpak/exports/share/applications");
    for (const QString& flatpak :
         {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + exports,
          QStringLiteral("/var/lib") + exports}) {
        if (!dirs.contains(flatpak))
            dirs.append(flatpak);
    }
    return load(dirs, qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts));
}

const DesktopIndex& DesktopIndex::installed() {
    static const DesktopIndex index = fromStandardLocations();
    return index;
}

void DesktopIndex::add(const QString& id, const DesktopEntry& entry, const QStringList& pathDirs) {
    if (!m_seenIds.insert(id).second || entry.hidden || entry.displayName().isEmpty())
        return;
    const size_t index = m_entries.size();
    Named named{entry.displayName(), {id.toLower()}};
    named.identities.append(id.section(QLatin1Char('.'), -1).toLower());
    if (!entry.startupWMClass.isEmpty())
        named.identities.append(entry.startupWMClass.toLower());
    m_byId.emplace(id, index);
    if (!entry.execPassesTarget) {
        for (const QString& program : {entry.execProgram, entry.tryExec}) {
            addTo(m_byPath, resolvedProgram(program, pathDirs), index);
            addTo(m_byProgramName, fileNameOf(program), index);
        }
        for (const QString& identity : named.identities)
            addTo(m_byIdentity, identity, index);
    }
    m_entries.push_back(std::move(named));
}

QString DesktopIndex::best(const std::vector<size_t>& candidates, const QString& program) const {
    const QString own = program.toLower();
    for (const size_t candidate : candidates) {
        if (m_entries[candidate].identities.contains(own))
            return m_entries[candidate].name;
    }
    return m_entries[candidates.front()].name;
}

QString DesktopIndex::nameFor(const QString& executablePath, const QString& flatpakAppId) const {
    if (!flatpakAppId.isEmpty()) {
        if (const auto app = m_byId.find(flatpakAppId); app != m_byId.end())
            return m_entries[app->second].name;
    }
    const QString program = fileNameOf(executablePath);
    if (program.isEmpty())
        return {};
    for (const auto& [tier, key] :
         {std::pair{&m_byPath, executablePath}, std::pair{&m_byProgramName, program},
          std::pair{&m_byIdentity, program.toLower()}}) {
        if (const auto found = tier->find(key); found != tier->end())
            return best(found->second, program);
    }
    return {};
}
