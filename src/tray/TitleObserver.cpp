#include "tray/TitleObserver.h"

#include "core/Preferences.h"
#include "core/UsageManager.h"
#include "presentation/EmptyState.h"
#include "presentation/TitleLayout.h"

TitleObserver::TitleObserver(UsageManager *manager, Preferences *preferences, QObject *parent)
    : QObject(parent)
    , m_manager(manager)
    , m_preferences(preferences)
{
    connect(m_manager, &UsageManager::providerStatesChanged, this, &TitleObserver::render, Qt::QueuedConnection);
    connect(m_manager, &UsageManager::isLoadingChanged, this, &TitleObserver::render, Qt::QueuedConnection);
    connect(m_preferences, &Preferences::changed, this, &TitleObserver::render, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, &TitleObserver::render, Qt::QueuedConnection);
}

TitleLayout trayTitle(const UsageManager &manager, const Preferences &preferences)
{
    // Loading, not "No usage", before the first check ends (after a fresh
    // boot that check waits up to half a minute).
    const bool loading = manager.isLoading() || nothingKnownYet(manager.lastUpdated());
    return layoutTitle(titleProviders(manager.knownAvailableProviders(), preferences.titleLeftOut()),
                       manager.providerStates(), loading, preferences.displayMode(), preferences.displayAs());
}

void TitleObserver::render()
{
    const DisplayMode mode = m_preferences->displayMode();
    const DisplayAs as = m_preferences->displayAs();
    Q_EMIT titleChanged(trayTitle(*m_manager, *m_preferences),
                        providerSummaryLines(m_manager->knownAvailableProviders(), m_manager->providerStates(), mode, as));
}
