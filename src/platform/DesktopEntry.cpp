#include "platform/DesktopEntry.h"

#include <QStringList>

QString DesktopEntry::displayName() const {
    return nameZhCN.isEmpty() ? name : nameZhCN;
}

namespace {

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// Splits an Exec value into arguments, honouring double quotes and backslash escapes.
QStringList execArguments(const QString& exec) {
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool started = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (inQuotes && c == QLatin1Char('\\') && i + 1 < exec.size()) {
            current += exec[++i];
        } else if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            started = true;
        } else if (!inQuotes && c.isSpace()) {
            if (started)
                arguments.append(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        arguments.append(current);
    return arguments;
}

} // namespace

QString execProgramName(const QString& exec) {
    const QStringList arguments = execArguments(exec);
    qsizetype i = 0;
    if (i < arguments.size() && fileNameOf(arguments[i]) == QLatin1String("env")) {
        ++i;
        while (i < arguments.size() && (arguments[i].contains(QLatin1Char('=')) ||
                                        arguments[i].startsWith(QLatin1Char('-')))) {
            // -u NAME unsets a variable: its value is not the program.
            if (arguments[i] == QLatin1String("-u"))
                ++i;
            ++i;
        }
    }
    return i < arguments.size() ? fileNameOf(arguments[i]) : QString();
}

DesktopEntry parseDesktopEntry(QByteArrayView text) {
    DesktopEntry entry;
    bool inMainGroup = false;
    const QString all = QString::fromUtf8(text);
    for (QStringView line : QStringView(all).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 0)
            continue;
        const QStringView key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed().toString();
        if (key == QLatin1String("Name"))
            entry.name = value;
        else if (key == QLatin1String("Name[zh_CN]"))
            entry.nameZhCN = value;
        else if (key == QLatin1String("Exec"))
            entry.execName = execProgramName(value);
        else if (key == QLatin1String("TryExec"))
            entry.tryExecName = fileNameOf(value);
        else if (key == QLatin1String("Hidden"))
            entry.hidden = value == QLatin1String("true");
    }
    return entry;
}

void addToDesktopIndex(std::map<QString, QString>& index, const DesktopEntry& entry) {
    if (entry.hidden || entry.displayName().isEmpty())
        return;
    for (const QString& program : {entry.execName, entry.tryExecName}) {
        if (!program.isEmpty())
            index.try_emplace(program, entry.displayName());
    }
}
