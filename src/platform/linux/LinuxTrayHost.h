#pragma once

#include "core/os/TrayHost.h"

#include <QDBusConnection>

// Our own StatusNotifierItem where a watcher runs on the session bus (KDE,
// GNOME with the AppIndicator extension, XFCE's status tray), else Qt's tray
// icon on an XEmbed tray (trayer, tint2, XFCE's systray on X11).
class LinuxTrayHost : public TrayHost
{
public:
    explicit LinuxTrayHost(QDBusConnection sessionBus);

    std::unique_ptr<TrayItem> createItem() override;
    QString missingHostMessage() const override;

private:
    QDBusConnection m_bus;
};
