#pragma once

#include "platform/DisplayServers.h"

#include <QByteArray>
#include <QString>

// Which Qt platform plugin the desktop program runs on. Wayland lets no window place itself,
// so the ball could not be dragged or tucked there: on a Wayland session the program runs
// through XWayland when it can, falling back to native Wayland when XWayland fails. A
// platform chosen by the user is always kept. When no display can be used the program says
// what is missing instead of letting Qt abort.
namespace DisplayPlatform {

struct Choice {
    QByteArray platform; // for QT_QPA_PLATFORM; empty: leave it as it is
    QString failure;     // the line to print before exiting with 1; empty when a display answers
};

Choice choose(const DisplayServers& servers, const QByteArray& qpaPlatform);
// The line to log when the running platform lets no window place itself; empty otherwise.
QString placementWarning(const QString& platformName);

// Probes the display servers and sets QT_QPA_PLATFORM; call before the application object
// exists. Returns the failure line, empty when the program can start.
QString prepare();
// Logs the placement warning for the platform the application object runs on.
void warnIfUnplaceable(const QString& platformName);

} // namespace DisplayPlatform
