#pragma once

#include <QByteArrayView>
#include <QString>

// The Flatpak application a process runs in, from what /proc shows of it; empty when none.
// Both texts are under the sandboxed application's control, so ids are checked.
namespace FlatpakAppId {

// From the sandbox's /.flatpak-info: "name" in its [Application] group.
QString fromInfo(QByteArrayView text);
// From /proc/PID/cgroup: the unit "app-flatpak-ID-NUMBER.scope" Flatpak runs the process in.
QString fromCgroup(QByteArrayView text);

} // namespace FlatpakAppId
