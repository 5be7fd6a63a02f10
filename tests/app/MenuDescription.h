#pragma once

#include <QAction>
#include <QMenu>
#include <QStringList>

// A menu as text rows, one per item: "---" for separators, then marks for disabled items,
// on-state, shortcut and submenu contents, so tests compare whole menus at once.
inline QStringList describe(const QMenu& menu) {
    QStringList rows;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            rows << QStringLiteral("---");
            continue;
        }
        QString row = action->text();
        if (!action->isEnabled())
            row += QStringLiteral(" [disabled]");
        if (action->isChecked())
            row += QStringLiteral(" [on]");
        if (!action->shortcut().isEmpty())
            row += QStringLiteral(" [") + action->shortcut().toString() + u']';
        if (action->menu())
            row +=
                QStringLiteral(" {") + describe(*action->menu()).join(QStringLiteral(", ")) + u'}';
        rows << row;
    }
    return rows;
}

inline QAction* findAction(const QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text)
            return action;
        if (action->menu())
            if (QAction* inner = findAction(*action->menu(), text))
                return inner;
    }
    return nullptr;
}
