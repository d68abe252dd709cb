#include "tray/TrayController.h"

#include "core/AlertRules.h"
#include "core/Console.h"
#include "core/CredentialWatcher.h"
#include "core/LaunchAtLogin.h"
#include "core/Preferences.h"
#include "core/RefreshInterval.h"
#include "presentation/TrayItem.h"
#include "tray/HistoryRecorder.h"
#include "history/HistoryStore.h"
#include "presentation/RecentPace.h"
#include "presentation/TitleLayout.h"
#include "presentation/UsageFigures.h"
#include "tray/RefreshScheduler.h"
#include "tray/TitleObserver.h"
#include "tray/TrayMenuObserver.h"
#include "ui/HistoryWindow.h"
#include "ui/LayerShell.h"
#include "ui/PanelWindow.h"
#include "ui/PanelView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {

std::unique_ptr<QSettings> userSettings()
{
    QString problem;
    std::unique_ptr<QSettings> settings = openUserSettings(&problem);
    if (!problem.isEmpty())
        Console::err(problem + u'\n');
    return settings;
}

} // namespace

TrayController::TrayController(ProviderList providers, PlatformServices services, Timing timing, QObject *parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_timing(timing)
    , m_settings(userSettings())
    , m_preferences(std::make_unique<Preferences>(m_settings.get()))
{
    UsageManager::Timing managerTiming;
    managerTiming.refreshInterval = refreshIntervalFromSetting(m_preferences->refreshIntervalValue());
    managerTiming.rateLimitBackoff = *managerTiming.refreshInterval;
    managerTiming.userRefreshSpacing = m_timing.userRefreshSpacing;
    m_usageManager
        = std::make_unique<UsageManager>(std::move(providers), m_services.notifications.get(), managerTiming);
    m_usageManager->setAlertDetail(
        [](const UsageLimit &limit) { return alertLimitLine(limit, QDateTime::currentDateTimeUtc()); });
    m_launchAtLogin = std::make_unique<LaunchAtLogin>(m_services.loginItems.get());

    // A switch or a setting that did not stick is said where the user looks.
    connect(m_launchAtLogin.get(), &LaunchAtLogin::failed, this, [this](const QString &message) {
        if (m_services.notifications)
            m_services.notifications->sendNotification(QString(LaunchAtLogin::FailureTitle), message);
    });
    connect(m_preferences.get(), &Preferences::saveFailed, this, [this](const QString &message) {
        if (m_services.notifications)
            m_services.notifications->sendNotification(QString(Preferences::SaveFailedTitle), message);
    });
    setupAlerts();
}

void TrayController::setupAlerts()
{
    auto readRules = [this] {
        for (const auto &provider : m_usageManager->providers())
            m_usageManager->setAlertRules(provider->id(), alertRulesFromSettings(*m_settings, provider->id()));
    };
    readRules();
    connect(m_preferences.get(), &Preferences::changed, this, readRules);
    // The recent rate where the history holds it, else the window's average.
    m_usageManager->setRunOutProjection(
        [this](const QString &providerId, const UsageLimit &limit, const QDateTime &now) -> std::optional<QString> {
            QList<HistorySample> recent;
            if (m_history)
                recent = m_history->samples({now.addSecs(-RecentPaceSeconds), providerId});
            const std::optional<PaceProjection> projection = recentProjection(providerId, limit, recent, now);
            return projection ? std::optional(paceProjectionText(*projection, now)) : std::nullopt;
        });
}

TrayController::TrayController(ProviderList providers, PlatformServices services, QObject *parent)
    : TrayController(std::move(providers), std::move(services), Timing{}, parent)
{}

// Members go in reverse order: the observer, the panel and the item, which
// read the coordinator, before it; the coordinator before the services it uses.
TrayController::~TrayController() = default;

void TrayController::start(std::unique_ptr<TrayItem> item)
{
    if (m_scheduler) { // running already, without a tray until now
        setupStatusItem(std::move(item));
        setupUsageObserver(); // new observers render the current state for the item
        return;
    }
    // Same order as on every platform; the "accessory" step needs nothing here:
    // the application has no main window and the panel is a popup.
    if (item)
        setupStatusItem(std::move(item));
    setupWakeNotification();
    setupUsageObserver();
    startFetching();
    // The tray maps the icon from the event loop. The panel (whose text sizes
    // load the font database) and the history file (SQLite) are not needed
    // before, so they wait their turn there instead of holding the icon back.
    QTimer::singleShot(0, this, [this] {
        setupPanel();
        if (m_history)
            m_history->open();
    });
}

void TrayController::startWithoutItem(const QString &title, const QString &message)
{
    if (m_services.notifications)
        m_services.notifications->sendNotification(title, message);
    start(nullptr);
}

void TrayController::watchCredentials(const QStringList &files, std::chrono::milliseconds debounce)
{
    m_credentialFiles = files;
    m_credentialDebounce = debounce;
    rewatchCredentials();
}

void TrayController::rewatchCredentials()
{
    QStringList files = m_credentialFiles;
    if (m_accountSource.files) {
        for (const QString &file : m_accountSource.files(m_accounts)) {
            if (!files.contains(file))
                files.append(file);
        }
    }
    m_credentialWatcher = std::make_unique<CredentialWatcher>(files, m_credentialDebounce);
    connect(m_credentialWatcher.get(), &CredentialWatcher::changed, m_usageManager.get(), &UsageManager::refresh);
}

void TrayController::followAccounts(AccountSource source)
{
    m_accountSource = std::move(source);
    m_defaultProviders = m_usageManager->providers();
    if (m_panel)
        m_panel->view()->setAccountKinds(m_accountSource.kinds);
    applyAccounts();
    connect(m_preferences.get(), &Preferences::changed, this, &TrayController::applyAccounts);
}

void TrayController::applyAccounts()
{
    const QList<ExtraAccount> accounts = m_preferences->accounts();
    if (accounts == m_accounts)
        return;
    // Accounts that stay keep their provider, and with it their figures.
    ProviderList made = m_accountSource.make(accounts);
    const QStringList ids = accountIds(accounts);
    const QStringList oldIds = accountIds(m_accounts);
    for (auto &provider : made) {
        const qsizetype now = ids.indexOf(provider->id());
        const qsizetype before = oldIds.indexOf(provider->id());
        if (now >= 0 && before >= 0 && accounts.at(now) == m_accounts.at(before)) {
            for (const auto &old : std::as_const(m_accountProviders)) {
                if (old->id() == provider->id())
                    provider = old;
            }
        }
    }
    const bool watched = bool(m_credentialWatcher);
    m_accounts = accounts;
    m_accountProviders = made;
    m_usageManager->setProviders(withAccounts(m_defaultProviders, made));
    if (m_historyWindow)
        m_historyWindow->setProviderNames(providerNames());
    for (const auto &provider : std::as_const(made))
        m_usageManager->setAlertRules(provider->id(), alertRulesFromSettings(*m_settings, provider->id()));
    if (watched)
        rewatchCredentials();
    // Before start-up the first run is the scheduler's to start.
    if (m_scheduler)
        m_usageManager->refresh();
}

void TrayController::recordHistory(const QString &path)
{
    // Before start-up the file opens once the icon is out.
    m_history = std::make_unique<HistoryRecorder>(m_usageManager.get(), m_services.notifications.get(), path,
                                                  m_scheduler ? HistoryRecorder::Opening::Now
                                                              : HistoryRecorder::Opening::Later);
}

void TrayController::setupStatusItem(std::unique_ptr<TrayItem> item)
{
    m_statusItem = std::move(item);
    m_statusItem->setTitle(loadingTitle(), {});
    connect(m_statusItem.get(), &TrayItem::activated, this, [this](const QRect &geometry, const QPoint &point) {
        m_lastActivation = Activation{geometry, point};
        togglePanel();
    });
    // From the menu: where the last click on the item put it (the pointer's
    // position is stale under XWayland), else where the compositor likes.
    connect(m_statusItem.get(), &TrayItem::showRequested, this, [this] {
        if (!m_panel || !m_panel->isVisible())
            togglePanel();
        else
            m_panel->showPlaced(placement());
    });
    // Like the panel's button: spaced, and joining a run under way.
    connect(m_statusItem.get(), &TrayItem::refreshRequested, m_usageManager.get(), &UsageManager::requestRefresh);
    connect(m_statusItem.get(), &TrayItem::quitRequested, this, &TrayController::quitRequested);
    connect(m_statusItem.get(), &TrayItem::historyRequested, this, &TrayController::showHistory);
    // The same switch as the panel's checkbox.
    connect(m_statusItem.get(), &TrayItem::launchAtLoginRequested, m_launchAtLogin.get(), &LaunchAtLogin::setEnabled);
    connect(m_statusItem.get(), &TrayItem::showRemainingRequested, m_preferences.get(), [this](bool remaining) {
        m_preferences->setDisplayAs(remaining ? DisplayAs::Remaining : DisplayAs::Used);
    });
}

void TrayController::setupPanel()
{
    m_panel = std::make_unique<PanelWindow>(m_usageManager.get(), m_preferences.get(), m_launchAtLogin.get());
    m_panel->setLayerHoldsKeyboard(m_services.desktop.layerPanelHoldsKeyboard);
    m_panel->setDesktopPanelFloat(m_services.desktop.panelFloat);
    if (m_services.desktop.xwaylandIgnoresPlacement) {
        m_panel->setWindowPlacer([desktop = m_services.desktop](quintptr window, QPoint topLeft) {
            askWindowManagerToPlace(desktop, window, topLeft);
        });
        m_panel->setFreeAreaSource([desktop = m_services.desktop](QRect screen, auto answered) {
            askWindowManagerForFreeArea(desktop, screen, std::move(answered));
        });
    }
    connect(m_panel.get(), &PanelWindow::closed, this, [this] { m_sinceClosed.start(); });
    connect(m_panel.get(), &PanelWindow::quitRequested, this, &TrayController::quitRequested);
    // The rows' charts and the History window read what the recorder wrote;
    // no history, no charts.
    m_panel->view()->setHistorySource([this](const QDateTime &since) { return recordedSince(since); });
    m_panel->view()->setAccountKinds(m_accountSource.kinds);
    connect(m_panel->view(), &PanelView::historyRequested, this, &TrayController::showHistory);
}

QList<HistorySample> TrayController::recordedSince(const QDateTime &since) const
{
    return m_history ? m_history->samples({since, {}, {}}) : QList<HistorySample>{};
}

QHash<QString, QString> TrayController::providerNames() const
{
    QHash<QString, QString> names;
    for (const auto &provider : m_usageManager->providers())
        names.insert(provider->id(), provider->name());
    return names;
}

void TrayController::showHistory()
{
    if (!m_historyWindow) {
        m_historyWindow = std::make_unique<HistoryWindow>(
            [this](const QDateTime &since) { return recordedSince(since); }, providerNames());
        m_historyWindow->resize(560, 480);
        if (m_history) {
            connect(m_history.get(), &HistoryRecorder::recorded, m_historyWindow.get(), [this] {
                if (m_historyWindow->isVisible())
                    m_historyWindow->reload();
            });
        }
    }
    if (m_panel)
        m_panel->hide();
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
}

void TrayController::setupWakeNotification()
{
    m_scheduler = std::make_unique<RefreshScheduler>(m_services.uptime.get(), m_services.wakeMonitor.get(),
                                                     RefreshScheduler::Timing{m_timing.wakePause});
    connect(m_scheduler.get(), &RefreshScheduler::refreshRequested, m_usageManager.get(), &UsageManager::refresh);
}

void TrayController::setupUsageObserver()
{
    m_titleObserver = std::make_unique<TitleObserver>(m_usageManager.get(), m_preferences.get());
    connect(m_titleObserver.get(), &TitleObserver::titleChanged, this, &TrayController::updateStatusItem);
    m_menuObserver
        = std::make_unique<TrayMenuObserver>(m_usageManager.get(), m_launchAtLogin.get(), m_preferences.get());
    connect(m_menuObserver.get(), &TrayMenuObserver::menuChanged, this, [this](const QList<TrayMenuEntry> &entries) {
        if (m_statusItem)
            m_statusItem->setMenu(entries);
    });
    if (m_statusItem)
        connect(m_statusItem.get(), &TrayItem::menuAboutToShow, m_menuObserver.get(), &TrayMenuObserver::render);
}

void TrayController::startFetching()
{
    m_scheduler->startFetching();
}

void TrayController::updateStatusItem(const TitleLayout &title, const QStringList &details)
{
    if (m_statusItem)
        m_statusItem->setTitle(title, details);
}

PanelPlacement TrayController::placement() const
{
    PlacementInput input;
    input.platformName = QGuiApplication::platformName();
    input.waylandSession = m_services.desktop.waylandSession;
    input.activation = m_lastActivation;
    input.layerShell = input.platformName.startsWith(u"wayland") && LayerShell::isAvailable();
    input.trayEdge = m_services.desktop.trayEdge;
    for (const QScreen *screen : QGuiApplication::screens())
        input.screens.append(screen->geometry());
    if (const QScreen *primary = QGuiApplication::primaryScreen()) {
        input.primaryScreen = primary->geometry();
        input.primaryAvailable = primary->availableGeometry();
    }
    return decidePanelPlacement(input);
}

void TrayController::togglePanel()
{
    if (!m_panel)
        return;
    if (m_panel->isVisible()) {
        m_panel->close();
        return;
    }
    if (m_sinceClosed.isValid() && m_sinceClosed.elapsed() < m_services.desktop.reopenGuard.count())
        return;
    m_panel->showPlaced(placement());
}
