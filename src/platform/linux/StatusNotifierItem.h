#pragma once

#include "presentation/TrayItem.h"
#include "platform/linux/StatusNotifierTypes.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QHash>

#include <chrono>
#include <functional>

class DBusMenuExporter;
class QDBusServiceWatcher;
class QTimer;

// How the item keeps its place with a watcher; tests shorten these.
struct SniRegistrationDelays
{
    // After the watcher takes the item: say the basic properties again, for a
    // host whose proxy forgot them while it set up.
    std::chrono::milliseconds reannounce{500};
    // Then look whether the watcher still lists the item.
    std::chrono::milliseconds verify{4000};
    // After the watcher dropped or refused the item: register again, waiting
    // twice as long each time up to the cap.
    std::chrono::milliseconds firstRetry{1000};
    std::chrono::milliseconds maxRetry{60000};
    int maxRetries = 8;
};

// Our own org.kde.StatusNotifierItem: unlike Qt's, it carries the title as
// text in XAyatanaLabel (hosts such as GNOME's AppIndicator extension show it
// beside the icon), announces every change both by its own signals and by
// PropertiesChanged, and receives Activate with the click position. The
// adaptor generated from org.kde.StatusNotifierItem.xml reads the properties
// and calls the methods below by the interface's names.
class StatusNotifierItem : public TrayItem
{
    Q_OBJECT
    Q_PROPERTY(QString Category READ category CONSTANT)
    Q_PROPERTY(QString Id READ id CONSTANT)
    Q_PROPERTY(QString Title READ title CONSTANT)
    Q_PROPERTY(QString Status READ status CONSTANT)
    Q_PROPERTY(int WindowId READ windowId CONSTANT)
    Q_PROPERTY(QString IconThemePath READ emptyName CONSTANT)
    // Hosts prefer a name over the pixmap, and the pixmap carries the numbers.
    Q_PROPERTY(QString IconName READ emptyName CONSTANT)
    Q_PROPERTY(SniIconPixmapList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyName CONSTANT)
    Q_PROPERTY(SniIconPixmapList OverlayIconPixmap READ noPixmap CONSTANT)
    Q_PROPERTY(QString AttentionIconName READ emptyName CONSTANT)
    Q_PROPERTY(SniIconPixmapList AttentionIconPixmap READ noPixmap CONSTANT)
    Q_PROPERTY(QString AttentionMovieName READ emptyName CONSTANT)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu CONSTANT)
    Q_PROPERTY(QDBusObjectPath Menu READ menu CONSTANT)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)
    Q_PROPERTY(uint XAyatanaOrderingIndex READ orderingIndex CONSTANT)
    // What a screen reader says of the icon; hosts that ask for it (GNOME's
    // extension does at every new icon) log an error each time it is missing.
    Q_PROPERTY(QString IconAccessibleDesc READ iconAccessibleDesc)
    Q_PROPERTY(QString AttentionAccessibleDesc READ emptyName CONSTANT)

public:
    // Coordinates beyond any screen are clamped to this before use.
    static constexpr int MaxCoordinate = 1 << 20;
    static constexpr qsizetype MaxActivationTokenLength = 4096;

    static constexpr QLatin1StringView WatcherService{"org.kde.StatusNotifierWatcher"};
    static constexpr QLatin1StringView WatcherPath{"/StatusNotifierWatcher"};
    static constexpr QLatin1StringView ItemPath{"/StatusNotifierItem"};
    static constexpr QLatin1StringView MenuPath{"/MenuBar"};

    // Publishes the item on bus and registers it with the watcher, now and
    // whenever the watcher comes back.
    explicit StatusNotifierItem(QDBusConnection bus, QObject *parent = nullptr,
                                SniRegistrationDelays delays = SniRegistrationDelays());
    ~StatusNotifierItem() override;

    // False when the bus refused our name or objects: use another tray item.
    bool isPublished() const { return m_published; }
    QString serviceName() const { return m_serviceName; }

    void setTitle(const TitleLayout &title, const QStringList &details) override;
    void setMenu(const QList<TrayMenuEntry> &entries) override;

    // What the adaptor answers.
    QString category() const;
    QString id() const;
    QString title() const;
    QString status() const;
    int windowId() const { return 0; }
    QString emptyName() const { return {}; }
    SniIconPixmapList noPixmap() const { return {}; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const;
    uint orderingIndex() const { return 0; }
    QString label() const { return m_label; }
    QString labelGuide() const { return m_labelGuide; }
    SniIconPixmapList iconPixmap() const { return m_iconPixmap; }
    SniToolTip toolTip() const;
    QString iconAccessibleDesc() const { return m_toolTipTitle; }

    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString &orientation);
    // Wayland hosts (GNOME's AppIndicator extension) hand over the token that
    // lets the window the next click shows take the focus.
    void ProvideXdgActivationToken(const QString &token);

Q_SIGNALS:
    // Relayed to the bus by the adaptor.
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString &status);
    void XAyatanaNewLabel(const QString &label, const QString &guide);

private Q_SLOTS:
    void onItemUnregistered(const QString &service);

private:
    void registerWithWatcher();
    void onRegistered();
    void verifyRegistration();
    void retryRegistration();
    bool namesThisItem(const QString &service) const;
    void sendPropertiesChanged(const QVariantMap &changed);
    void emitActivated(const QString &token, const std::function<void()> &emitter);

    QDBusConnection m_bus;
    QString m_serviceName;
    bool m_published = false;
    QDBusServiceWatcher *m_watcher = nullptr;
    SniRegistrationDelays m_delays;
    QTimer *m_retry = nullptr;
    std::chrono::milliseconds m_retryDelay{};
    int m_retries = 0;
    DBusMenuExporter *m_menu = nullptr;
    QHash<int, TrayMenuEntry> m_menuEntries; // by exported id

    QString m_label;
    QString m_labelGuide;
    QString m_toolTipTitle;
    QString m_toolTipText;
    SniIconPixmapList m_iconPixmap;
    QString m_activationToken; // for the next click only
};
