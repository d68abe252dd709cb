#include "tray/TrayMenuObserver.h"

#include "core/LaunchAtLogin.h"
#include "core/Preferences.h"
#include "core/UsageManager.h"
#include "presentation/TrayMenuModel.h"

TrayMenuObserver::TrayMenuObserver(UsageManager *manager, LaunchAtLogin *launchAtLogin, Preferences *preferences,
                                   QObject *parent)
    : QObject(parent)
    , m_manager(manager)
    , m_launchAtLogin(launchAtLogin)
    , m_preferences(preferences)
{
    connect(m_preferences, &Preferences::changed, this, &TrayMenuObserver::render, Qt::QueuedConnection);
    connect(m_manager, &UsageManager::providerStatesChanged, this, &TrayMenuObserver::render, Qt::QueuedConnection);
    connect(m_manager, &UsageManager::isLoadingChanged, this, &TrayMenuObserver::render, Qt::QueuedConnection);
    connect(m_launchAtLogin, &LaunchAtLogin::enabledChanged, this, &TrayMenuObserver::render, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, &TrayMenuObserver::render, Qt::QueuedConnection);
}

void TrayMenuObserver::render()
{
    QList<TrayMenuEntry> entries
        = buildTrayMenuModel(trayMenuInputFrom(*m_manager, m_launchAtLogin->isEnabled(), m_preferences->displayAs()),
                             QDateTime::currentDateTimeUtc())
              .entries;
    if (entries == m_last)
        return;
    m_last = entries;
    Q_EMIT menuChanged(entries);
}
