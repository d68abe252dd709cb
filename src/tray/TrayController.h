#pragma once

#include "core/CredentialWatcher.h"
#include "core/Accounts.h"
#include "core/HistorySample.h"
#include "core/UsageManager.h"
#include "core/os/PlatformServices.h"
#include "presentation/PanelPlacement.h"
#include "tray/RefreshScheduler.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSettings>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

class HistoryRecorder;
class LaunchAtLogin;
class HistoryWindow;
class PanelWindow;
class Preferences;
class TitleObserver;
class TrayMenuObserver;
class TrayItem;
struct TitleLayout;

// Owns everything the tray application is made of: the settings, the one
// coordinator, the login-item switch, the tray item and the panel under it.
// Constructing it starts the coordinator (and with it the refresh timer);
// start() puts the item in the tray and starts fetching.
class TrayController : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        std::chrono::milliseconds wakePause{RefreshScheduler::Timing{}.wakePause};
        std::chrono::milliseconds userRefreshSpacing{UsageManager::Timing{}.userRefreshSpacing};
    };

    TrayController(ProviderList providers, PlatformServices services, Timing timing, QObject *parent = nullptr);
    TrayController(ProviderList providers, PlatformServices services, QObject *parent = nullptr);
    ~TrayController() override;

    // The launch sequence, once a tray host has been found; after
    // startWithoutItem(), it only puts the late item in the tray.
    void start(std::unique_ptr<TrayItem> item);
    // The launch sequence with no tray: tells the user once what to enable,
    // then refreshes and alerts as usual.
    void startWithoutItem(const QString &title, const QString &message);

    // A login or logout through the tools' credential files starts a run,
    // which records who is available now.
    void watchCredentials(const QStringList &files,
                          std::chrono::milliseconds debounce = CredentialWatcher::DefaultDebounce);

    // Where the providers of extra accounts come from: make builds them, files
    // names the credentials files they read, kinds the providers the panel
    // offers accounts of.
    struct AccountSource
    {
        std::function<ProviderList(const QList<ExtraAccount> &accounts)> make;
        std::function<QStringList(const QList<ExtraAccount> &accounts)> files;
        QList<AccountKind> kinds;
    };
    // The extra accounts of the settings, now and whenever they change; their
    // providers follow the default ones, their files are watched as well.
    void followAccounts(AccountSource source);

    // Every successful check goes to the history file at path from now on.
    void recordHistory(const QString &path);
    HistoryRecorder *history() const { return m_history.get(); }
    // Opens the History window, or raises it.
    void showHistory();
    HistoryWindow *historyWindow() const { return m_historyWindow.get(); }

Q_SIGNALS:
    void quitRequested();

private:
    QList<HistorySample> recordedSince(const QDateTime &since) const;
    void setupAlerts();
    void setupStatusItem(std::unique_ptr<TrayItem> item);
    void setupPanel();
    void setupWakeNotification();
    void setupUsageObserver();
    void startFetching();
    void updateStatusItem(const TitleLayout &title, const QStringList &details);
    void togglePanel();
    PanelPlacement placement() const;
    void applyAccounts();
    QHash<QString, QString> providerNames() const;
    void rewatchCredentials();

    PlatformServices m_services;
    Timing m_timing;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<UsageManager> m_usageManager;
    std::unique_ptr<HistoryRecorder> m_history;
    std::unique_ptr<LaunchAtLogin> m_launchAtLogin;
    std::unique_ptr<TrayItem> m_statusItem;
    std::unique_ptr<PanelWindow> m_panel;
    std::unique_ptr<HistoryWindow> m_historyWindow;
    std::unique_ptr<RefreshScheduler> m_scheduler;
    std::unique_ptr<TitleObserver> m_titleObserver;
    std::unique_ptr<TrayMenuObserver> m_menuObserver;
    std::unique_ptr<CredentialWatcher> m_credentialWatcher;
    QStringList m_credentialFiles;
    std::chrono::milliseconds m_credentialDebounce{300};
    ProviderList m_defaultProviders;
    AccountSource m_accountSource;
    QList<ExtraAccount> m_accounts;
    ProviderList m_accountProviders;
    QElapsedTimer m_sinceClosed;
    std::optional<Activation> m_lastActivation;
};
