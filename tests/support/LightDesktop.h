#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPalette>

// A light desktop theme while it lives: what a window shows where it does not use its own
// palette.
class LightDesktop {
public:
    LightDesktop() : m_previous(QApplication::palette()) {
        QApplication::setPalette(QPalette(QColor(0xef, 0xef, 0xef)));
    }
    ~LightDesktop() { QApplication::setPalette(m_previous); }
    LightDesktop(const LightDesktop&) = delete;
    LightDesktop& operator=(const LightDesktop&) = delete;

private:
    QPalette m_previous;
};

// The background of a popup's grab, beside its right edge and inside its frame: dark where the
// popup took its dark window's palette (lightness about 25), light (about 240) where not.
inline int popupBackgroundLightness(const QImage& popup) {
    return popup.pixelColor(popup.width() - 4, popup.height() / 2).lightness();
}
