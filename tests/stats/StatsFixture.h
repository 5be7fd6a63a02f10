#pragma once

#include "SampleHistory.h"
#include "support/FakeClock.h"
#include "support/Screenshots.h"
#include "support/TestEnvironment.h"

#include <QColor>
#include <QImage>
#include <QWidget>

// A grab, also left for a person to look at (support/Screenshots.h).
inline QImage grabAndSave(QWidget& widget, const QString& name) {
    const QImage image = widget.grab().toImage();
    saveScreenshot(image, name);
    return image;
}

// Colours compared per channel within a tolerance, since antialiasing and rounding blur edges.
inline bool near(const QColor& a, const QColor& b, int tolerance = 6) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}
