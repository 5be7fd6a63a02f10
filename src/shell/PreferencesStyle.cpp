#include "shell/PreferencesStyle.h"

#include "ui/TrafficTheme.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace PreferencesStyle {

QFont systemFont(double points, QFont::Weight weight) {
    QFont font = QApplication::font();
    // Qt's points are 1/72 inch at the screen's logical dpi; these sizes mean pixels.
    font.setPointSizeF(points * 72.0 / 96.0);
    font.setWeight(weight);
    return font;
}

QLabel* label(const QString& text, double points, QFont::Weight weight, const QColor& color) {
    auto* l = new QLabel(text);
    l->setFont(systemFont(points, weight));
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, color);
    l->setPalette(palette);
    return l;
}

void applyDarkLook(QWidget* window) {
    QPalette palette;
    palette.setColor(QPalette::Window, TrafficTheme::windowBG);
    palette.setColor(QPalette::WindowText, TrafficTheme::textPrimary);
    palette.setColor(QPalette::Base, QColor::fromRgbF(0.11, 0.125, 0.18));
    palette.setColor(QPalette::AlternateBase, TrafficTheme::cardBG);
    palette.setColor(QPalette::Text, TrafficTheme::textPrimary);
    palette.setColor(QPalette::Button, QColor::fromRgbF(0.14, 0.16, 0.22));
    palette.setColor(QPalette::ButtonText, TrafficTheme::textPrimary);
    palette.setColor(QPalette::Highlight, TrafficTheme::downBlue.darker(150));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, TrafficTheme::textDim);
    // Disabled entries of menus, such as a field's edit menu: dim, without the light etching
    // that suits a light theme.
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, TrafficTheme::textDim);
    palette.setColor(QPalette::Disabled, QPalette::Light, TrafficTheme::windowBG);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setStyleSheet(QStringLiteral(
        "QLineEdit { background: #1c2030; color: #ededed; border: 1px solid #2c3244;"
        " border-radius: 5px; padding: 2px 6px; selection-background-color: #3b5f8c; }"
        "QLineEdit:focus { border-color: #6bb8ff; }"
        "QComboBox { background: #232838; color: #ededed; border: 1px solid #2c3244;"
        " border-radius: 5px; padding: 2px 22px 2px 8px; min-height: 20px; }"
        "QComboBox QAbstractItemView { background: #1c2030; color: #ededed;"
        " selection-background-color: #3b5f8c; border: 1px solid #2c3244; }"
        "QCheckBox { color: #ededed; spacing: 6px; }"
        "QScrollArea, QWidget#qt_scrollarea_viewport, QWidget#cardsHolder {"
        " background: transparent; }"
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 0; }"
        "QScrollBar::handle:vertical { background: #2c3244; border-radius: 4px;"
        " min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
}

} // namespace PreferencesStyle
