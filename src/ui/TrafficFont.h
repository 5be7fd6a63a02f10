#pragma once

#include <QApplication>
#include <QFont>

// The system font at a size given in points of the original layout, which are device-
// independent pixels here (a 13-point label is 13 pixels high at scale 1).
inline QFont trafficFont(int pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}
