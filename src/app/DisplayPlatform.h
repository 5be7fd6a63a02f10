#pragma once

#include <QByteArray>
#include <QString>

// Which Qt platform plugin the desktop program asks for. Wayland lets no window place itself,
// so the ball could not be dragged or tucked there: on a Wayland session the program runs
// through XWayland when it can. A platform chosen by the user is always kept.
namespace DisplayPlatform {

struct Choice {
    QByteArray platform; // to put in QT_QPA_PLATFORM; empty: leave Qt's own choice
    QString logLine;     // said once when the ball may not be placeable; empty otherwise
};

Choice choose(const QByteArray& waylandDisplay, const QByteArray& qpaPlatform,
              const QByteArray& x11Display);

// Reads the environment, sets QT_QPA_PLATFORM and logs as `choose` says. Call before the
// application object exists.
void applyToEnvironment();

} // namespace DisplayPlatform
