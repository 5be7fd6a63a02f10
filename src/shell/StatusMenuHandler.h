#pragma once

#include <QObject>

class AppShell;
class QAction;

// Action target of the status item and of the status menu.
class StatusMenuHandler : public QObject {
    Q_OBJECT
public:
    explicit StatusMenuHandler(AppShell& shell);

public Q_SLOTS:
    // Builds the status menu anew and pops it up under the item.
    void statusClicked();
    void openHistory();
    void openSpeedTest();
    void openPrefs();
    void quit();
    // sender: a display-mode item whose data is the mode's raw value.
    void setMode(QAction* sender);

private:
    AppShell& m_shell;
};
