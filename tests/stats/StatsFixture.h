#pragma once

#include "support/FakeClock.h"
#include "support/TestEnvironment.h"
#include "traffic/DailyTraffic.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QWidget>

// A week of traffic ending on the fake clock's day (2026-12-06), with a few applications.
inline TrafficData sampleWeek() {
    return {
        {"2026-11-30", {300000000, 20000000, {{"WeChat", {100000000, 5000000}}}}},
        {"2026-12-02", {50000000, 4000000, {{"firefox-esr", {40000000, 3000000}}}}},
        {"2026-12-05",
         {900000000,
          60000000,
          {{"WeChat", {200000000, 10000000}},
           {"a-very-long-process-name-that-will-not-fit-the-column", {1024, 0}}}}},
        {"2026-12-06", {120000000, 30000000, {{"curl", {0, 0}}}}},
    };
}

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
