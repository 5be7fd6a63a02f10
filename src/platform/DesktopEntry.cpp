#include "platform/DesktopEntry.h"

#include <QStringList>

QString DesktopEntry::displayName() const {
    return nameZhCN.isEmpty() ? name : nameZhCN;
}

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

namespace {

// The escapes of a string value; any other backslash stays as written.
QString unescaped(QStringView value) {
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            text += c;
            continue;
        }
        switch (value[i + 1].unicode()) {
        case 's':
            text += QLatin1Char(' ');
            break;
        case 'n':
            text += QLatin1Char('\n');
            break;
        case 't':
            text += QLatin1Char('\t');
            break;
        case 'r':
            text += QLatin1Char('\r');
            break;
        case '\\':
            text += QLatin1Char('\\');
            break;
        default:
            text += c;
            continue;
        }
        ++i;
    }
    return text;
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

// Where the program is among the arguments: past "env" and its assignments and options.
qsizetype programIndex(const QStringList& arguments) {
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
    return i;
}

bool isFieldCode(const QString& argument) {
    return argument.size() == 2 && argument[0] == QLatin1Char('%');
}

// Options and the launcher's field codes leave the program itself running. Anything else, a
// script, an application id, a game or a URL, makes it run something else: "steam
// steam://rungameid/730", "flatpak run … com.spotify.Client", "sh -c …", "xterm -e htop".
bool passesTarget(const QStringList& arguments, qsizetype program) {
    for (qsizetype i = program + 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.contains(QLatin1String("://")))
            return true;
        if (!isFieldCode(argument) && !argument.startsWith(QLatin1Char('-')))
            return true;
    }
    return false;
}

} // namespace

QString execProgramName(const QString& exec) {
    const QStringList arguments = execArguments(exec);
    const qsizetype i = programIndex(arguments);
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
        const QString value = unescaped(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Name")) {
            entry.name = value;
        } else if (key == QLatin1String("Name[zh_CN]")) {
            entry.nameZhCN = value;
        } else if (key == QLatin1String("Exec")) {
            const QStringList arguments = execArguments(value);
            const qsizetype program = programIndex(arguments);
            entry.execProgram = arguments.value(program);
            entry.execPassesTarget = passesTarget(arguments, program);
        } else if (key == QLatin1String("TryExec")) {
            entry.tryExec = value;
        } else if (key == QLatin1String("StartupWMClass")) {
            entry.startupWMClass = value;
        } else if (key == QLatin1String("Hidden")) {
            entry.hidden = value == QLatin1String("true");
        }
    }
    return entry;
}
