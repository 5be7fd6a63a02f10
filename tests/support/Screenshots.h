#pragma once

#include "support/TestEnvironment.h"

#include <QDir>

// Where screenshot tests leave their images: $VORN_SCREENSHOT_DIR when set (to look at them),
// else the test's temporary root.
inline QString screenshotDirectory() {
    const QString dir = qEnvironmentVariable("VORN_SCREENSHOT_DIR", testRoot());
    QDir().mkpath(dir);
    return dir;
}
