#pragma once

#include <QByteArrayView>
#include <QString>

#include <map>

// What name resolution needs from an XDG desktop entry's [Desktop Entry] group.
struct DesktopEntry {
    QString name;        // Name
    QString nameZhCN;    // Name[zh_CN]
    QString execName;    // file name of the program in Exec, after any env assignments
    QString tryExecName; // file name in TryExec
    bool hidden = false; // Hidden=true: the entry is deleted

    // Name[zh_CN] when present and not empty, else Name.
    QString displayName() const;
};

// Parses the text of a .desktop file; keys of other groups are ignored.
DesktopEntry parseDesktopEntry(QByteArrayView text);

// The file name of the program an Exec line starts (quotes removed, "env VAR=x" skipped).
QString execProgramName(const QString& exec);

// Adds entry to index under its program file names unless an earlier entry has them, so
// directories read first (higher XDG precedence) win.
void addToDesktopIndex(std::map<QString, QString>& index, const DesktopEntry& entry);
