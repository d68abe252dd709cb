#include "platform/linux/LinuxTrayHost.h"

#include "platform/linux/StatusNotifierItem.h"
#include "ui/SystemTrayItem.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QSystemTrayIcon>

using namespace Qt::StringLiterals;

LinuxTrayHost::LinuxTrayHost(QDBusConnection sessionBus, bool gnome)
    : m_bus(std::move(sessionBus))
    , m_gnome(gnome)
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

QString LinuxTrayHost::missingHostTitle() const
{
    return m_gnome ? QCoreApplication::translate("Tray", "Turn on the AppIndicator extension to see Quotix")
                   : TrayHost::missingHostTitle();
}

QString LinuxTrayHost::missingHostMessage() const
{
    // Banners show a line or two of the body: the command comes first. The
    // extension as gnome-extensions and Debian name it.
    if (m_gnome) {
        return QCoreApplication::translate("Tray",
                                           "Run: gnome-extensions enable ubuntu-appindicators@ubuntu.com\n"
                                           "Not installed? sudo apt install gnome-shell-extension-appindicator\n"
                                           "Quotix keeps checking your usage meanwhile.");
    }
    return QCoreApplication::translate("Tray",
                                       "Start a panel with a system tray; Quotix keeps checking your usage "
                                       "and its icon appears as soon as a tray does.");
}
