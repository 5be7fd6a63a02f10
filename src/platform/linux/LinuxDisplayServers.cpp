#include "platform/DisplayServers.h"

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>

namespace {

bool x11Answers(const QByteArray& display) {
    if (display.isEmpty())
        return false;
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool answered = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answered;
}

// Where libwayland looks for the compositor: an absolute WAYLAND_DISPLAY, or that name in
// XDG_RUNTIME_DIR.
QByteArray waylandSocketPath(const QByteArray& waylandDisplay) {
    if (waylandDisplay.startsWith('/'))
        return waylandDisplay;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QByteArray() : runtime + '/' + waylandDisplay;
}

bool waylandAnswers(const QByteArray& waylandDisplay) {
    // A compositor that started us may hand over a connected socket instead of a name.
    if (!qgetenv("WAYLAND_SOCKET").isEmpty())
        return true;
    const QByteArray path =
        waylandDisplay.isEmpty() ? QByteArray() : waylandSocketPath(waylandDisplay);
    sockaddr_un address{};
    if (path.isEmpty() || size_t(path.size()) >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answered =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return answered;
}

// The folders Qt searches for platform plugins, in its order.
QStringList platformPluginFolders() {
    QStringList folders;
    const QString explicitFolder = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
    if (!explicitFolder.isEmpty())
        folders << explicitFolder;
    for (const QString& base :
         qEnvironmentVariable("QT_PLUGIN_PATH").split(u':', Qt::SkipEmptyParts))
        folders << base + QStringLiteral("/platforms");
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    return folders;
}

bool waylandPluginInstalled() {
    for (const QString& folder : platformPluginFolders()) {
        if (!QDir(folder).entryList({QStringLiteral("libqwayland-*.so")}, QDir::Files).isEmpty())
            return true;
    }
    return false;
}

} // namespace

DisplayServers probeDisplayServers() {
    DisplayServers servers;
    servers.probed = true;
    servers.x11Display = qgetenv("DISPLAY");
    servers.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    servers.x11Answers = x11Answers(servers.x11Display);
    servers.waylandAnswers = waylandAnswers(servers.waylandDisplay);
    servers.waylandPluginInstalled = waylandPluginInstalled();
    return servers;
}
