#pragma once

#include "platform/LoginItem.h"

// A login item as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/vorn.desktop. It counts
// as enabled while the file exists and does not say Hidden=true.
class XdgAutostartLoginItem final : public LoginItem {
public:
    // executable: the absolute path started at login.
    explicit XdgAutostartLoginItem(QString executable);

    Status status() const override;
    QString registerItem() override;
    QString unregisterItem() override;

    // Where the entry lives for the current environment.
    static QString entryPath();

private:
    QString m_executable;
};
