#include "platform/linux/LinuxTrayHost.h"

#include "platform/linux/StatusNotifierItem.h"
#include "ui/SystemTrayItem.h"

#include <QDBusConnectionInterface>
#include <QSystemTrayIcon>

using namespace Qt::StringLiterals;

LinuxTrayHost::LinuxTrayHost(QDBusConnection sessionBus)
    : m_bus(std::move(sessionBus))
{
}

std::unique_ptr<TrayItem> LinuxTrayHost::createItem()
{
    if (m_bus.isConnected() && m_bus.interface()
        && m_bus.interface()->isServiceRegistered(QString(StatusNotifierItem::WatcherService)).value()) {
        auto item = std::make_unique<StatusNotifierItem>(m_bus);
        if (item->isPublished())
            return item;
    }
    if (QSystemTrayIcon::isSystemTrayAvailable())
        return std::make_unique<SystemTrayItem>();
    return nullptr;
}

QString LinuxTrayHost::missingHostMessage() const
{
    return u"Quotix: no system tray found, so there is nowhere to show the usage.\n"
           u"Quotix needs a tray that shows status icons (StatusNotifierItem or XEmbed). On GNOME, install and "
           u"enable the \"AppIndicator and KStatusNotifierItem Support\" extension (Debian package "
           u"gnome-shell-extension-appindicator), log out and in again, then start Quotix again."_s;
}
