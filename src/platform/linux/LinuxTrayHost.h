#pragma once

#include "presentation/TrayHost.h"

#include <QDBusConnection>

#include <memory>

class QDBusServiceWatcher;

// Our own StatusNotifierItem where a watcher runs on the session bus (KDE,
// GNOME with the AppIndicator extension, XFCE's status tray), else Qt's tray
// icon on an XEmbed tray (trayer, tint2, XFCE's systray on X11).
class LinuxTrayHost : public TrayHost
{
public:
    // gnome: the advice for a missing tray names the AppIndicator extension.
    LinuxTrayHost(QDBusConnection sessionBus, bool gnome);

    ~LinuxTrayHost() override;

    std::unique_ptr<TrayItem> createItem() override;
    QString missingHostTitle() const override;
    QString missingHostMessage() const override;
    // When a StatusNotifierWatcher takes its name (GNOME's extension enabled,
    // a panel started).
    void watchForHost(std::function<void()> maybeAppeared) override;

private:
    QDBusConnection m_bus;
    bool m_gnome;
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
};
