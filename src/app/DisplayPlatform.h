#pragma once

#include <QByteArray>
#include <QString>

// Which Qt platform plugin the desktop program runs on. Wayland lets no window place itself,
// so the ball could not be dragged or tucked there: on a Wayland session the program runs
// through XWayland when it can, falling back to native Wayland when XWayland fails. A
// platform chosen by the user is always kept.
namespace DisplayPlatform {

// What to put in QT_QPA_PLATFORM before the application exists; empty: leave it alone.
QByteArray preferredPlatform(const QByteArray& waylandDisplay, const QByteArray& qpaPlatform,
                             const QByteArray& x11Display);
// The line to log when the running platform lets no window place itself; empty otherwise.
QString placementWarning(const QString& platformName);

// Reads the environment and sets QT_QPA_PLATFORM; call before the application object exists.
void preferXWayland();
// Logs the placement warning for the platform the application object runs on.
void warnIfUnplaceable(const QString& platformName);

} // namespace DisplayPlatform
