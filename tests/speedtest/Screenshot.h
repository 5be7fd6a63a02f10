#pragma once

#include "support/TestEnvironment.h"

#include <QDir>
#include <QImage>

// Keeps a rendering for a person to look at: in $VORN_SCREENSHOTS when set, else the test root.
inline bool saveScreenshot(const QImage& image, const QString& name) {
    const QString directory = qEnvironmentVariableIsSet("VORN_SCREENSHOTS")
                                  ? qEnvironmentVariable("VORN_SCREENSHOTS")
                                  : testRoot();
    QDir().mkpath(directory);
    return image.save(QDir(directory).filePath(name + QStringLiteral(".png")));
}
