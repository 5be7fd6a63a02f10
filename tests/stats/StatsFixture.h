#pragma once

#include "SampleHistory.h"
#include "support/FakeClock.h"
#include "support/TestEnvironment.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QWidget>

// Saves a grab for a person to look at, under VORN_SCREENSHOT_DIR when set.
inline QImage grabAndSave(QWidget& widget, const QString& name) {
    const QImage image = widget.grab().toImage();
    const QString dir = qEnvironmentVariableIsSet("VORN_SCREENSHOT_DIR")
                            ? qEnvironmentVariable("VORN_SCREENSHOT_DIR")
                            : testRoot();
    QDir().mkpath(dir);
    image.save(QDir(dir).filePath(name + QStringLiteral(".png")));
    return image;
}

// Colours compared per channel within a tolerance, since antialiasing and rounding blur edges.
inline bool near(const QColor& a, const QColor& b, int tolerance = 6) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}
