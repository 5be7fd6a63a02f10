#pragma once

#include "platform/DesktopEntry.h"

#include <QString>
#include <QStringList>

#include <map>
#include <set>
#include <vector>

// The installed desktop entries, to name a running program the way the desktop's menus do.
class DesktopIndex {
public:
    // Reads the *.desktop files under applicationDirs, the first of highest precedence: an
    // entry hides those with its desktop file id in later directories. Programs named without
    // a path are looked up in pathDirs.
    static DesktopIndex load(const QStringList& applicationDirs, const QStringList& pathDirs);
    // load() over the user's and the system's application directories (Flatpak's exports
    // included) and $PATH.
    static DesktopIndex fromStandardLocations();
    // fromStandardLocations(), read once per run.
    static const DesktopIndex& installed();

    // Adds an entry below those added so far; ids already seen are ignored.
    void add(const QString& id, const DesktopEntry& entry, const QStringList& pathDirs);

    // The display name for a process running executablePath (as the process sees it), or for
    // the Flatpak application flatpakAppId when given and exported; empty when no entry fits.
    // Entries are matched by the resolved program path, then the program's file name, then
    // their desktop file id or window class, never when their Exec hands the program a URL or
    // something else to run. Among several, the one whose id or window class is the
    // program's own name wins, else the one of highest precedence.
    QString nameFor(const QString& executablePath, const QString& flatpakAppId = {}) const;

private:
    struct Named {
        QString name;
        QStringList identities; // lower-case: id, its last dotted part, window class
    };
    using Tier = std::map<QString, std::vector<size_t>>;

    QString best(const std::vector<size_t>& candidates, const QString& program) const;

    std::vector<Named> m_entries; // in precedence order
    std::set<QString> m_seenIds;
    std::map<QString, size_t> m_byId;
    Tier m_byPath;
    Tier m_byProgramName;
    Tier m_byIdentity;
};
