#include "settings/DisplayMode.h"

QString rawValue(DisplayMode mode) {
    switch (mode) {
    case DisplayMode::floating:
        return QStringLiteral("floating");
    case DisplayMode::menubar:
        return QStringLiteral("menubar");
    case DisplayMode::both:
        return QStringLiteral("both");
    }
    return {};
}

QString title(DisplayMode mode) {
    switch (mode) {
    case DisplayMode::floating:
        return QStringLiteral("悬浮球");
    case DisplayMode::menubar:
        return QStringLiteral("菜单栏图标");
    case DisplayMode::both:
        return QStringLiteral("两者同开");
    }
    return {};
}

std::optional<DisplayMode> displayModeFromRawValue(const QString& raw) {
    for (DisplayMode mode : kAllDisplayModes) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}
