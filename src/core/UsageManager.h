#pragma once

#include "core/AlertRules.h"
#include "core/Bands.h"
#include "core/FetchJob.h"
#include "core/NamedColor.h"
#include "core/RefreshInterval.h"
#include "core/UsageModel.h"
#include "core/UsageProvider.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class NotificationManager;
class QTimer;
class RefreshRun;

// The single coordinator: one state per provider, refresh runs that fetch every
// available provider at once, retries of transient transport failures, the
// refresh timer and the threshold alerts. Lives on the main thread.
//
// Every change is stored before its signal is emitted, so a receiver, queued
// or direct, always reads the value that was announced.
class UsageManager : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        // Absent: no timer at all, for a one-shot command.
        std::optional<std::chrono::milliseconds> refreshInterval{DefaultRefreshInterval};
        // Between two attempts of one fetch.
        std::chrono::milliseconds retryPause{3'000};
        // The least time between the starts of two runs the user asks for.
        std::chrono::milliseconds userRefreshSpacing{10'000};
        // After repeated 429s a provider waits this, doubled per further 429
        // (so two periods after the second), up to the cap; the refresh
        // period in production.
        std::chrono::milliseconds rateLimitBackoff{DefaultRefreshInterval};
        std::chrono::milliseconds rateLimitBackoffCap{30 * 60'000};
        // The wall clock: what the faces show and what a Retry-After names.
        std::function<QDateTime()> wallClock{&QDateTime::currentDateTimeUtc};
    };

    // Providers in display order. notifications must outlive the manager.
    UsageManager(ProviderList providers, NotificationManager *notifications, Timing timing, QObject *parent = nullptr);
    UsageManager(ProviderList providers, NotificationManager *notifications, QObject *parent = nullptr);
    ~UsageManager() override;

    const QHash<QString, ProviderState> &providerStates() const { return m_providerStates; }
    bool isLoading() const { return m_isLoading; }
    std::optional<QDateTime> lastUpdated() const { return m_lastUpdated; }
    // A run was started and has not ended yet (it may not have begun loading).
    bool isRefreshing() const { return !m_refreshTask.isNull(); }
    // The user's refresh waits for its turn; isLoading is true meanwhile.
    bool isRefreshQueued() const;
    const ProviderList &providers() const { return m_providers; }
    // A new list, when accounts come or go: a provider that stays (the same
    // object under the same id) keeps its state; a new one starts without
    // figures until the next run.
    void setProviders(ProviderList providers);

    // Asks every provider again; may do I/O.
    ProviderList availableProviders() const;
    // The providers whose state says they are available, in display order:
    // what the faces show. No I/O.
    ProviderList knownAvailableProviders() const;
    NamedColor statusColor() const;

    // An alert's second line, naming the limit that crossed and when it
    // resets; the faces know how to write a reset. Unset: the limit's name.
    using AlertDetail = std::function<QString(const UsageLimit &limit)>;
    void setAlertDetail(AlertDetail detail) { m_alertDetail = std::move(detail); }

    // Attempts per fetch: the first and this many retries.
    static constexpr int RetryAllowance = 3;
    static const QList<int> &thresholds();

    // What a provider's user wants to be told; providers without rules get
    // the defaults (80 and 90, every alert on).
    void setAlertRules(const QString &providerId, const AlertRules &rules);
    // The warning for a limit that at its pace runs out before it resets
    // ("At this pace: runs out in 3h 10m"), else absent. Without one there
    // are no run-out alerts.
    using RunOutProjection
        = std::function<std::optional<QString>(const QString &providerId, const UsageLimit &limit, const QDateTime &now)>;
    void setRunOutProjection(RunOutProjection projection);

public Q_SLOTS:
    // Supersedes the run in progress, if any, and starts a new one. Returns at once.
    // A provider the service asked to wait (a 429) is not asked before then.
    // For the user's request and for a wake: newer figures are wanted now.
    void refresh();
    // Starts a run unless one is in progress. A periodic refresh must not
    // cancel a run that takes longer than the period, or none would ever end.
    void refreshIfIdle();
    // The user's refresh (panel, menu, D-Bus): joins a run in progress, and
    // starts at most one run per userRefreshSpacing; one asked for sooner
    // waits for the rest of it, so clicking cannot flood the services.
    void requestRefresh();

Q_SIGNALS:
    void providerStatesChanged();
    void isLoadingChanged(bool isLoading);
    void lastUpdatedChanged();
    // A provider's fetch succeeded; emitted before the state that holds it is
    // announced, so a listener may record it first.
    void usageReceived(const QString &providerId, const ProviderUsageResponse &usage, const QDateTime &at);
    // A run ended (was not superseded); isLoading is false by now.
    void refreshFinished();

private:
    void startRefreshTimer();
    void beginRun(RefreshRun *run, const ProviderList &available, const ProviderList &fetched);
    void applyOutcome(RefreshRun *run, const QString &id, const FetchResult &result);
    // Until when a provider that just failed with this error waits.
    std::optional<QDateTime> holdAfter(const QString &id, const ProviderError &error, const QDateTime &now);
    // The providers still held, their shown time brought up to the wall clock.
    QSet<QString> heldBack();
    void endRun(RefreshRun *run);
    void setLoading(bool loading);
    void checkThresholds(const QString &providerId, const QString &providerName, const ProviderUsageResponse &usage);

    ProviderList m_providers;
    QHash<QString, ProviderState> m_providerStates;
    bool m_isLoading = false;
    std::optional<QDateTime> m_lastUpdated;
    QTimer *m_refreshTimer = nullptr;
    QPointer<RefreshRun> m_refreshTask;
    QElapsedTimer m_sinceRunStarted;
    QTimer *m_queuedRefresh = nullptr;
    NotificationManager *m_notificationManager;
    QHash<QString, QSet<int>> m_notifiedThresholds;
    QHash<QString, int> m_rateLimitStreak; // 429s in a row, per provider
    // When each hold ends, on sleepCountingClock(): a wall clock set back
    // (or forward) neither lengthens nor shortens it.
    QHash<QString, std::chrono::milliseconds> m_holdEnds;
    QHash<QString, AlertRules> m_alertRules;
    QHash<QString, LimitAlertState> m_limitAlerts; // by provider id and limit name
    RunOutProjection m_runOutProjection;
    Timing m_timing;
    AlertDetail m_alertDetail;
};
