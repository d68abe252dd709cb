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

void TitleObserver::render()
{
    const ProviderList available = m_manager->knownAvailableProviders();
    const DisplayMode mode = m_preferences->displayMode();
    const DisplayAs as = m_preferences->displayAs();
    // Loading, not "No usage", before the first check ends (after a fresh
    // boot that check waits up to half a minute).
    const bool loading = m_manager->isLoading() || nothingKnownYet(m_manager->lastUpdated());
    const TitleLayout title = layoutTitle(titleProviders(available, m_preferences->titleLeftOut()),
                                          m_manager->providerStates(), loading, mode, as);
    Q_EMIT titleChanged(title, providerSummaryLines(available, m_manager->providerStates(), mode, as));
}
