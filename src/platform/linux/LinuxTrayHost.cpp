#include "platform/linux/LinuxTrayHost.h"

#include "platform/linux/StatusNotifierItem.h"
#include "ui/SystemTrayItem.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QSystemTrayIcon>

using namespace Qt::StringLiterals;

LinuxTrayHost::LinuxTrayHost(QDBusConnection sessionBus)
    : m_bus(std::move(sessionBus))
{}

LinuxTrayHost::~LinuxTrayHost() = default;

void LinuxTrayHost::watchForHost(std::function<void()> maybeAppeared)
{
    m_watcher = std::make_unique<QDBusServiceWatcher>(QString(StatusNotifierItem::WatcherService), m_bus,
                                                      QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(m_watcher.get(), &QDBusServiceWatcher::serviceRegistered, m_watcher.get(),
                     [maybeAppeared = std::move(maybeAppeared)] { maybeAppeared(); });
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
    // The extension named as GNOME's Extensions app and gnome-extensions list it.
    return u"Quotix found no system tray to show its icon in. It keeps checking your usage and alerts you as "
           u"usual, and its icon appears as soon as a tray does.\n"
           u"On GNOME, turn on the \"Ubuntu AppIndicators\" extension (ubuntu-appindicators@ubuntu.com). On Debian "
           u"and Ubuntu: sudo apt install gnome-shell-extension-appindicator, then enable it in the Extensions app or "
           u"with gnome-extensions enable ubuntu-appindicators@ubuntu.com, and log out and in again."_s;
}
