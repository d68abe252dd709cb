#pragma once

#include "platform/linux/StatusNotifierTypes.h"
#include "core/os/TrayItem.h"

#include <QDBusConnection>
#include <QDBusObjectPath>

class DBusMenuExporter;
class QDBusServiceWatcher;
class StatusNotifierItemAdaptor;

// Our own org.kde.StatusNotifierItem: unlike Qt's, it carries the title as
// text in XAyatanaLabel (hosts such as GNOME's AppIndicator extension show it
// beside the icon), announces every change both by its own signals and by
// PropertiesChanged, and receives Activate with the click position.
class StatusNotifierItem : public TrayItem
{
    Q_OBJECT
public:
    static constexpr QLatin1StringView WatcherService{"org.kde.StatusNotifierWatcher"};
    static constexpr QLatin1StringView WatcherPath{"/StatusNotifierWatcher"};
    static constexpr QLatin1StringView ItemPath{"/StatusNotifierItem"};
    static constexpr QLatin1StringView MenuPath{"/MenuBar"};

    // Publishes the item on bus and registers it with the watcher, now and
    // whenever the watcher comes back.
    explicit StatusNotifierItem(QDBusConnection bus, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    // False when the bus refused our name or objects: use another tray item.
    bool isPublished() const { return m_published; }
    QString serviceName() const { return m_serviceName; }

    void setTitle(const TitleLayout &title, const QStringList &details) override;

    // What the adaptor answers.
    QString label() const { return m_label; }
    QString labelGuide() const { return m_labelGuide; }
    SniIconPixmapList iconPixmap() const { return m_iconPixmap; }
    SniToolTip toolTip() const;
    void activate(int x, int y);

private:
    void registerWithWatcher();
    void sendPropertiesChanged(const QVariantMap &changed);

    QDBusConnection m_bus;
    QString m_serviceName;
    bool m_published = false;
    QDBusServiceWatcher *m_watcher = nullptr;
    DBusMenuExporter *m_menu = nullptr;
    StatusNotifierItemAdaptor *m_adaptor = nullptr;

    QString m_label;
    QString m_labelGuide;
    QString m_toolTipTitle;
    QString m_toolTipText;
    SniIconPixmapList m_iconPixmap;
};
