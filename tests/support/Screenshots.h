#pragma once

#include <QDir>
#include <QImage>
#include <QString>

// Leaves a rendering for a person to look at, as NAME.png in $VORN_SCREENSHOTS; without that
// variable nothing is written. Tests never depend on it.
inline void saveScreenshot(const QImage& image, const QString& name) {
    const QString directory = qEnvironmentVariable("VORN_SCREENSHOTS");
    if (directory.isEmpty())
        return;
    QDir().mkpath(directory);
    image.save(QDir(directory).filePath(name + QStringLiteral(".png")));
}
