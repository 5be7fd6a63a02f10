#include "speedtest/windows/SpeedTestStyle.h"

#include "ui/TrafficTheme.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QWidget>

#include <cmath>

namespace {

void setSize(QFont& font, double size) {
    font.setPixelSize(std::max(1, int(std::lround(size))));
}

} // namespace

namespace SpeedTestStyle {

QFont system(double size, QFont::Weight weight) {
    QFont font = QGuiApplication::font();
    setSize(font, size);
    font.setWeight(weight);
    return font;
}

QFont monospacedDigit(double size, QFont::Weight weight) {
    return system(size, weight);
}

QFont monospaced(double size) {
    QFont font = QFontDatabase::families().contains(QStringLiteral("Menlo"))
                     ? QFont(QStringLiteral("Menlo"))
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setSize(font, size);
    return font;
}

QPalette darkPalette() {
    QPalette palette;
    const QColor control = TrafficTheme::white(0.22);
    palette.setColor(QPalette::Window, TrafficTheme::windowBG);
    palette.setColor(QPalette::WindowText, TrafficTheme::textPrimary);
    palette.setColor(QPalette::Base, TrafficTheme::cardBG);
    palette.setColor(QPalette::AlternateBase, TrafficTheme::windowBG);
    palette.setColor(QPalette::Text, TrafficTheme::textPrimary);
    palette.setColor(QPalette::Button, control);
    palette.setColor(QPalette::ButtonText, TrafficTheme::textPrimary);
    palette.setColor(QPalette::ToolTipBase, TrafficTheme::cardBG);
    palette.setColor(QPalette::ToolTipText, TrafficTheme::textPrimary);
    palette.setColor(QPalette::Highlight, TrafficTheme::downBlue);
    palette.setColor(QPalette::HighlightedText, TrafficTheme::windowBG);
    palette.setColor(QPalette::Light, TrafficTheme::white(0.35));
    palette.setColor(QPalette::Midlight, TrafficTheme::white(0.28));
    palette.setColor(QPalette::Mid, TrafficTheme::white(0.16));
    palette.setColor(QPalette::Dark, TrafficTheme::white(0.08));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, TrafficTheme::white(0.4));
    palette.setColor(QPalette::Disabled, QPalette::Button, TrafficTheme::white(0.14));
    return palette;
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QColor textColor(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

} // namespace SpeedTestStyle
