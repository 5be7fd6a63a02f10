#include "platform/linux/FlatpakAppId.h"

#include <QStringList>

namespace {

constexpr qsizetype kMaxIdLength = 255;

// Application ids are dotted names of letters, digits, '_' and '-'.
QString checked(QStringView id) {
    if (id.isEmpty() || id.size() > kMaxIdLength || id.startsWith(QLatin1Char('.')) ||
        id.endsWith(QLatin1Char('.')))
        return {};
    for (const QChar c : id) {
        const bool allowed = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                             (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                             (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                             c == QLatin1Char('_') || c == QLatin1Char('-') ||
                             c == QLatin1Char('.');
        if (!allowed)
            return {};
    }
    return id.toString();
}

bool allDigits(QStringView text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

namespace FlatpakAppId {

QString fromInfo(QByteArrayView text) {
    const QString all = QString::fromUtf8(text);
    bool inApplication = false;
    for (QStringView line : QStringView(all).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inApplication = line == QLatin1String("[Application]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inApplication && equals > 0 && line.left(equals).trimmed() == QLatin1String("name"))
            return checked(line.mid(equals + 1).trimmed());
    }
    return {};
}

QString fromCgroup(QByteArrayView text) {
    const QLatin1String prefix("app-flatpak-");
    const QLatin1String suffix(".scope");
    const QString all = QString::fromUtf8(text);
    for (QStringView line : QStringView(all).split(QLatin1Char('\n'))) {
        const QStringView unit = line.mid(line.lastIndexOf(QLatin1Char('/')) + 1).trimmed();
        if (!unit.startsWith(prefix) || !unit.endsWith(suffix))
            continue;
        const QStringView idAndNumber =
            unit.mid(prefix.size(), unit.size() - prefix.size() - suffix.size());
        const qsizetype dash = idAndNumber.lastIndexOf(QLatin1Char('-'));
        if (dash > 0 && allDigits(idAndNumber.mid(dash + 1)))
            return checked(idAndNumber.left(dash));
    }
    return {};
}

} // namespace FlatpakAppId
