#pragma once

#include <QImage>
#include <QObject>
#include <QSystemTrayIcon>

class QMenu;

// The status item in the system tray. Its title is kept as text (and shown as tooltip); the
// icon renders the two rates as two short lines, since a tray shows pictures, not text.
class StatusItem : public QObject {
    Q_OBJECT
public:
    explicit StatusItem(QObject* parent = nullptr);
    ~StatusItem() override;

    QString title() const { return m_title; }
    // The full title, and the short down and up texts of the icon's two lines. The first call
    // shows the icon; later calls also join a tray host that has turned up since.
    void setTitle(const QString& title, const QString& downLine, const QString& upLine);
    // Offered to hosts that ask for a menu themselves; filled anew whenever it opens.
    void setContextMenu(QMenu* menu);
    QMenu* contextMenu() const { return m_tray.contextMenu(); }
    // Where the icon is on screen; empty when the host does not say.
    QRect geometry() const;

    QImage iconImage() const { return m_image; }
    // The icon as the tray host receives it.
    QIcon icon() const { return m_tray.icon(); }
    // Two lines of text on a dark rounded square, side pixels wide.
    static QImage renderIcon(const QString& downLine, const QString& upLine, int side);
    // Whether an activation opens the status menu. A right click's menu is the host's: an XEmbed
    // tray has Qt pop up the context menu before the click is reported, a StatusNotifierItem
    // host draws the exported one itself. Only a host that asks for a menu without one shown
    // gets the status menu, so every click opens exactly one.
    static bool opensStatusMenu(QSystemTrayIcon::ActivationReason reason, bool contextMenuShown);

Q_SIGNALS:
    // An activation that should open the status menu (see opensStatusMenu).
    void clicked();

private:
    QSystemTrayIcon m_tray;
    QString m_title;
    QImage m_image;
    bool m_waitingForHost = false;
};
