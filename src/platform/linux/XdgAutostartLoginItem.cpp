#include "platform/linux/XdgAutostartLoginItem.h"

#include "common/Brand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Desktop-entry Exec quoting: the path in double quotes, with \ " ` $ escaped.
QString quotedExec(const QString& path) {
    QString escaped;
    for (QChar c : path) {
        if (c == u'\\' || c == u'"' || c == u'`' || c == u'$')
            escaped += u'\\';
        escaped += c;
    }
    return u'"' + escaped + u'"';
}

bool saysHidden(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'['))
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        const qsizetype eq = line.indexOf(u'=');
        if (inMainGroup && eq > 0 && line.left(eq).trimmed() == QLatin1String("Hidden"))
            return line.mid(eq + 1).trimmed() == QLatin1String("true");
    }
    return false;
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString executable)
    : m_executable(std::move(executable)) {}

QString XdgAutostartLoginItem::entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/vorn.desktop");
}

LoginItem::Status XdgAutostartLoginItem::status() const {
    const QString path = entryPath();
    if (!QFileInfo(path).isFile())
        return Status::notRegistered;
    return saysHidden(path) ? Status::notRegistered : Status::enabled;
}

QString XdgAutostartLoginItem::registerItem() {
    const QString path = entryPath();
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir))
        return QStringLiteral("无法创建目录 %1").arg(dir);
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Comment=%2\n"
                                         "Exec=%3\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(Brand::full, Brand::slogan, quotedExec(m_executable));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(entry.toUtf8());
    if (!file.commit())
        return file.errorString();
    return {};
}

QString XdgAutostartLoginItem::unregisterItem() {
    QFile file(entryPath());
    if (!file.exists() || file.remove())
        return {};
    return file.errorString();
}

LoginItem& LoginItem::system() {
    static XdgAutostartLoginItem item(QCoreApplication::applicationFilePath());
    return item;
}
