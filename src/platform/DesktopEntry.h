#pragma once

#include <QByteArrayView>
#include <QString>

// What name resolution needs from an XDG desktop entry's [Desktop Entry] group. String values
// have their escapes (\s \n \t \r \\) decoded.
struct DesktopEntry {
    QString name;                  // Name
    QString nameZhCN;              // Name[zh_CN]
    QString execProgram;           // the program Exec starts, as written (after any "env VAR=x")
    bool execPassesTarget = false; // Exec gives the program a URL or another thing to run
    QString tryExec;               // TryExec, as written
    QString startupWMClass;        // StartupWMClass
    bool hidden = false;           // Hidden=true: the entry is deleted

    // Name[zh_CN] when present and not empty, else Name.
    QString displayName() const;
};

// Parses the text of a .desktop file; keys of other groups are ignored.
DesktopEntry parseDesktopEntry(QByteArrayView text);

// The file name of the program an Exec line starts (quotes removed, "env VAR=x" skipped).
QString execProgramName(const QString& exec);

// The file name of a path: what follows its last '/'.
QString fileNameOf(const QString& path);
