#include "platform/linux/StatusNotifierItem.h"

#include "platform/linux/DBusMenuExporter.h"
#include "platform/linux/LinuxLogging.h"
#include "presentation/TitleLayout.h"
#include "sniadaptor.h"
#include "ui/PanelStyle.h"
#include "ui/TrayIconPainter.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPalette>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Hosts pick the pixmap nearest their icon size: GNOME's extension draws 16 px
// icons, most other panels 22 px, each doubled on a high-density screen. A
// pixmap of the right size stays sharp where a scaled one blurs the bars.
struct IconScale
{
    int logicalSize;
    qreal ratio;
};
constexpr IconScale IconScales[] = {{16, 1.0}, {22, 1.0}, {16, 2.0}, {22, 2.0}};

// Commands keep their ids whatever the figures above them do, so a click
// that crosses a layout change still means what the user saw.
constexpr int FirstSeparatorId = 50;
constexpr int FirstFiguresId = 100;

int commandId(TrayMenuEntry::Role role)
{
    switch (role) {
    case TrayMenuEntry::Role::ShowUsage: return 1;
    case TrayMenuEntry::Role::Refresh: return 2;
    case TrayMenuEntry::Role::LaunchAtLogin: return 3;
    case TrayMenuEntry::Role::Quit: return 4;
    case TrayMenuEntry::Role::ShowRemaining: return 5;
    case TrayMenuEntry::Role::History: return 6;
    case TrayMenuEntry::Role::Figures:
    case TrayMenuEntry::Role::Separator: break;
    }
    return 0;
}

DBusMenuEntry exportedEntry(int id, const TrayMenuEntry &entry)
{
    if (entry.role == TrayMenuEntry::Role::Separator)
        return DBusMenuEntry{id, {{u"type"_s, u"separator"_s}, {u"visible"_s, true}}};
    // An underscore marks the access key; two stand for one.
    QString label = entry.label;
    label.replace(u'_', u"__"_s);
    QVariantMap properties{{u"label"_s, label}, {u"enabled"_s, entry.enabled}, {u"visible"_s, true}};
    if (entry.isCheckItem()) {
        properties.insert(u"toggle-type"_s, u"checkmark"_s);
        properties.insert(u"toggle-state"_s, entry.checked ? 1 : 0);
    }
    return DBusMenuEntry{id, properties};
}

// Several items may live in one process (tests do this); each needs a name of its own.
int nextItemNumber()
{
    static std::atomic_int counter{0};
    return ++counter;
}

} // namespace

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, QObject *parent, SniRegistrationDelays delays)
    : TrayItem(parent)
    , m_bus(std::move(bus))
    , m_serviceName(u"org.kde.StatusNotifierItem-%1-%2"_s.arg(QCoreApplication::applicationPid()).arg(nextItemNumber()))
    , m_delays(delays)
    , m_retryDelay(delays.firstRetry)
{
    registerStatusNotifierTypes();
    new StatusNotifierItemAdaptor(this);
    m_menu = new DBusMenuExporter(m_bus, QString(MenuPath), this);
    connect(m_menu, &DBusMenuExporter::clicked, this, [this](int id, bool checked) {
        const auto found = m_menuEntries.constFind(id);
        if (found == m_menuEntries.cend())
            return;
        const TrayMenuEntry::Role role = found->role;
        emitActivated(std::exchange(m_activationToken, {}), [this, role, checked] {
            switch (role) {
            case TrayMenuEntry::Role::ShowUsage: Q_EMIT showRequested(); break;
            case TrayMenuEntry::Role::History: Q_EMIT historyRequested(); break;
            case TrayMenuEntry::Role::Refresh: Q_EMIT refreshRequested(); break;
            case TrayMenuEntry::Role::ShowRemaining: Q_EMIT showRemainingRequested(!checked); break;
            case TrayMenuEntry::Role::LaunchAtLogin: Q_EMIT launchAtLoginRequested(!checked); break;
            case TrayMenuEntry::Role::Quit: Q_EMIT quitRequested(); break;
            case TrayMenuEntry::Role::Figures:
            case TrayMenuEntry::Role::Separator: break;
            }
        });
    });
    connect(m_menu, &DBusMenuExporter::aboutToShow, this, &TrayItem::menuAboutToShow);
    using Role = TrayMenuEntry::Role;
    setMenu({{Role::ShowUsage, TrayMenuText::ShowUsage.toString()},
             {Role::Refresh, TrayMenuText::Refresh.toString()},
             {Role::Separator},
             {Role::Quit, TrayMenuText::Quit.toString()}});

    setTitle(loadingTitle(), {});
    m_published = m_bus.isConnected() && m_menu->isExported() && m_bus.registerObject(QString(ItemPath), this)
        && m_bus.registerService(m_serviceName);
    if (!m_published) {
        qCWarning(lcTray) << "could not publish" << m_serviceName
                          << "on the session bus:" << m_bus.lastError().message();
        return;
    }

    m_retry = new QTimer(this);
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &StatusNotifierItem::registerWithWatcher);

    // A host that restarts, or another that takes over, brings a watcher
    // that does not know the item: register again.
    m_watcher
        = new QDBusServiceWatcher(QString(WatcherService), m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) {
                m_retry->stop();
                m_retries = 0;
                m_retryDelay = m_delays.firstRetry;
                if (!owner.isEmpty())
                    registerWithWatcher();
            });
    // GNOME's AppIndicator extension, turned on while the item runs, can drop
    // it while it sets up; so can a watcher that thinks the item went away.
    m_bus.connect(QString(WatcherService), QString(WatcherPath), QString(WatcherService),
                  u"StatusNotifierItemUnregistered"_s, this, SLOT(onItemUnregistered(QString)));
    registerWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (!m_published)
        return;
    m_bus.unregisterService(m_serviceName);
    m_bus.unregisterObject(QString(ItemPath));
}

void StatusNotifierItem::registerWithWatcher()
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString(WatcherService), QString(WatcherPath),
                                                       QString(WatcherService), u"RegisterStatusNotifierItem"_s);
    call << m_serviceName;
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *watcher) {
        watcher->deleteLater();
        if (!watcher->isError()) {
            onRegistered();
            return;
        }
        // No watcher at all: its arrival registers the item.
        if (watcher->error().type() == QDBusError::ServiceUnknown)
            return;
        qCWarning(lcTray) << "the StatusNotifierWatcher refused the item:" << watcher->error().name()
                          << watcher->error().message();
        retryRegistration();
    });
}

void StatusNotifierItem::onRegistered()
{
    // GNOME's extension drops what it read of Id and Menu when it sees the
    // item's name appear, which can come after it read them; without them it
    // gives the item up. Saying them again refills what it forgot.
    QTimer::singleShot(m_delays.reannounce, this, [this] {
        sendPropertiesChanged({{u"Id"_s, id()}, {u"Menu"_s, QVariant::fromValue(menu())}});
    });
    QTimer::singleShot(m_delays.verify, this, &StatusNotifierItem::verifyRegistration);
}

void StatusNotifierItem::verifyRegistration()
{
    QDBusMessage get = QDBusMessage::createMethodCall(QString(WatcherService), QString(WatcherPath),
                                                      u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << QString(WatcherService) << u"RegisteredStatusNotifierItems"_s;
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *watcher) {
        watcher->deleteLater();
        // A watcher that does not say what it holds is taken at its word.
        if (watcher->isError())
            return;
        const QVariant value = watcher->reply().arguments().value(0).value<QDBusVariant>().variant();
        const QStringList items = qdbus_cast<QStringList>(value);
        if (std::any_of(items.cbegin(), items.cend(), [this](const QString &item) { return namesThisItem(item); })) {
            m_retries = 0;
            m_retryDelay = m_delays.firstRetry;
            return;
        }
        qCWarning(lcTray) << "the StatusNotifierWatcher no longer lists the item; registering again";
        retryRegistration();
    });
}

void StatusNotifierItem::onItemUnregistered(const QString &service)
{
    if (!namesThisItem(service))
        return;
    qCWarning(lcTray) << "the StatusNotifierWatcher dropped the item; registering again";
    retryRegistration();
}

void StatusNotifierItem::retryRegistration()
{
    if (m_retry->isActive() || m_retries >= m_delays.maxRetries)
        return;
    ++m_retries;
    m_retry->start(m_retryDelay);
    m_retryDelay = std::min(m_retryDelay * 2, m_delays.maxRetry);
}

// Watchers name an item by its service, its service and path, or its unique
// bus name and path.
bool StatusNotifierItem::namesThisItem(const QString &service) const
{
    for (const QString &name : {m_serviceName, m_bus.baseService()}) {
        if (service == name || service.startsWith(name + u'/') || service.startsWith(name + u'@'))
            return true;
    }
    return false;
}

QString StatusNotifierItem::category() const
{
    return u"ApplicationStatus"_s;
}

QString StatusNotifierItem::id() const
{
    return u"quotix"_s;
}

QString StatusNotifierItem::title() const
{
    return u"Quotix"_s;
}

QString StatusNotifierItem::status() const
{
    return u"Active"_s;
}

QDBusObjectPath StatusNotifierItem::menu() const
{
    return QDBusObjectPath(QString(MenuPath));
}

void StatusNotifierItem::setMenu(const QList<TrayMenuEntry> &entries)
{
    QList<DBusMenuEntry> exported;
    m_menuEntries.clear();
    int figures = FirstFiguresId, separators = FirstSeparatorId;
    for (const TrayMenuEntry &entry : entries) {
        int id = commandId(entry.role);
        if (entry.role == TrayMenuEntry::Role::Figures)
            id = figures++;
        else if (entry.role == TrayMenuEntry::Role::Separator)
            id = separators++;
        m_menuEntries.insert(id, entry);
        exported.append(exportedEntry(id, entry));
    }
    m_menu->setEntries(exported);
}

SniToolTip StatusNotifierItem::toolTip() const
{
    return SniToolTip{QString(), m_iconPixmap, m_toolTipTitle, m_toolTipText};
}

void StatusNotifierItem::setTitle(const TitleLayout &title, const QStringList &details)
{
    // The icon brings its own plate; its band colours are the panel window's.
    const Backdrop shades = PanelStyle::backdrop(QGuiApplication::palette());
    SniIconPixmapList pixmaps;
    for (const IconScale &scale : IconScales)
        pixmaps.append(sniIconPixmap(paintTrayIcon(title, scale.logicalSize, scale.ratio, shades)));

    const QString label = title.label();
    const QString guide = title.widestLabel();
    const QString toolTipText = details.join(u'\n');

    const bool labelChanged = label != m_label || guide != m_labelGuide;
    bool iconChanged = pixmaps.size() != m_iconPixmap.size();
    for (qsizetype i = 0; !iconChanged && i < pixmaps.size(); ++i)
        iconChanged = pixmaps.at(i).bytes != m_iconPixmap.at(i).bytes;
    const bool textChanged = title.text() != m_toolTipTitle;
    const bool toolTipChanged = iconChanged || textChanged || toolTipText != m_toolTipText;

    m_label = label;
    m_labelGuide = guide;
    m_iconPixmap = pixmaps;
    m_toolTipTitle = title.text();
    m_toolTipText = toolTipText;
    if (!m_published)
        return;

    // Hosts listen either to the item's own signals or to PropertiesChanged: send both.
    QVariantMap changed;
    if (labelChanged) {
        changed.insert(u"XAyatanaLabel"_s, m_label);
        changed.insert(u"XAyatanaLabelGuide"_s, m_labelGuide);
        Q_EMIT XAyatanaNewLabel(m_label, m_labelGuide);
    }
    if (iconChanged) {
        changed.insert(u"IconPixmap"_s, QVariant::fromValue(m_iconPixmap));
        Q_EMIT NewIcon();
    }
    if (toolTipChanged) {
        changed.insert(u"ToolTip"_s, QVariant::fromValue(toolTip()));
        Q_EMIT NewToolTip();
    }
    if (textChanged)
        changed.insert(u"IconAccessibleDesc"_s, iconAccessibleDesc());
    sendPropertiesChanged(changed);
}

void StatusNotifierItem::sendPropertiesChanged(const QVariantMap &changed)
{
    if (changed.isEmpty())
        return;
    QDBusMessage signal
        = QDBusMessage::createSignal(QString(ItemPath), u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
    signal << u"org.kde.StatusNotifierItem"_s << changed << QStringList();
    m_bus.send(signal);
}

void StatusNotifierItem::Activate(int x, int y)
{
    // Any int may arrive; the placement arithmetic must not overflow.
    x = std::clamp(x, -MaxCoordinate, MaxCoordinate);
    y = std::clamp(y, -MaxCoordinate, MaxCoordinate);
    // After the D-Bus call has been answered, from the event loop; the token
    // is the one the host gave for this click.
    QMetaObject::invokeMethod(
        this,
        [this, x, y, token = std::exchange(m_activationToken, {})] {
            emitActivated(token, [this, x, y] { Q_EMIT activated(QRect(), QPoint(x, y)); });
        },
        Qt::QueuedConnection);
}

void StatusNotifierItem::SecondaryActivate(int, int)
{
    // Nothing to show; a token given for this click is spent.
    m_activationToken.clear();
}

void StatusNotifierItem::ProvideXdgActivationToken(const QString &token)
{
    // Compositors hand out short tokens; anything longer is not one.
    m_activationToken = token.size() <= MaxActivationTokenLength ? token : QString();
}

// Qt's Wayland shell takes an activation token from XDG_ACTIVATION_TOKEN when
// a window asks for the focus, and clears it; the panel and the History window
// ask while the signal is delivered. A token not taken then is dropped, so it
// never reaches a later window or a child process.
void StatusNotifierItem::emitActivated(const QString &token, const std::function<void()> &emitter)
{
    if (token.isEmpty()) {
        emitter();
        return;
    }
    qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    emitter();
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

void StatusNotifierItem::ContextMenu(int, int)
{
    // Hosts draw the exported menu themselves.
}

void StatusNotifierItem::Scroll(int, const QString &) {}
