#include "core/UsageManager.h"

#include "core/DisplayText.h"
#include "core/Logging.h"
#include "core/RefreshRun.h"
#include "core/SleepClock.h"
#include "core/ThresholdAlerts.h"
#include "core/UsageProvider.h"
#include "core/os/NotificationManager.h"

#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

UsageManager::UsageManager(ProviderList providers, NotificationManager *notifications, Timing timing, QObject *parent)
    : QObject(parent)
    , m_providers(std::move(providers))
    , m_notificationManager(notifications)
    , m_timing(timing)
{
    // Asked once here as well, so the faces know before the first run, which
    // may wait for the network after a boot.
    for (const auto &provider : std::as_const(m_providers)) {
        ProviderState state;
        state.provider = provider;
        state.isAvailable = provider->isAvailable();
        m_providerStates.insert(provider->id(), state);
    }
    m_queuedRefresh = new QTimer(this);
    m_queuedRefresh->setSingleShot(true);
    // A coarse timer may fire up to 5% early; the spacing is a promise, so it is precise and checked.
    m_queuedRefresh->setTimerType(Qt::PreciseTimer);
    connect(m_queuedRefresh, &QTimer::timeout, this, [this] {
        const qint64 left = m_timing.userRefreshSpacing.count() - m_sinceRunStarted.elapsed();
        if (m_sinceRunStarted.isValid() && left > 0)
            m_queuedRefresh->start(int(left));
        else
            refresh();
    });
    startRefreshTimer();
    m_notificationManager->requestPermission();
}

void UsageManager::setProviders(ProviderList providers)
{
    QHash<QString, ProviderState> states;
    QSet<QString> kept;
    for (const auto &provider : std::as_const(providers)) {
        const auto before = m_providerStates.constFind(provider->id());
        if (before != m_providerStates.cend() && before->provider == provider) {
            states.insert(provider->id(), *before);
            kept.insert(provider->id());
            continue;
        }
        ProviderState state;
        state.provider = provider;
        state.isAvailable = provider->isAvailable();
        states.insert(provider->id(), state);
    }
    // What the alerts remember of a provider that went belongs to it alone.
    const auto forget = [&kept](auto &byId, auto idOf) {
        for (auto it = byId.begin(); it != byId.end();)
            it = kept.contains(idOf(it.key())) ? std::next(it) : byId.erase(it);
    };
    const auto itself = [](const QString &id) { return id; };
    forget(m_notifiedThresholds, itself);
    forget(m_rateLimitStreak, itself);
    forget(m_holdEnds, itself);
    forget(m_limitAlerts, [](const QString &key) { return key.section(u'\n', 0, 0); });
    m_providers = std::move(providers);
    m_providerStates = std::move(states);
    Q_EMIT providerStatesChanged();
}

UsageManager::UsageManager(ProviderList providers, NotificationManager *notifications, QObject *parent)
    : UsageManager(std::move(providers), notifications, Timing{}, parent)
{}

UsageManager::~UsageManager() = default;

const QList<int> &UsageManager::thresholds()
{
    static const QList<int> values{80, 90};
    return values;
}

void UsageManager::setAlertRules(const QString &providerId, const AlertRules &rules)
{
    m_alertRules.insert(providerId, rules);
}

void UsageManager::setRunOutProjection(RunOutProjection projection)
{
    m_runOutProjection = std::move(projection);
}

ProviderList UsageManager::availableProviders() const
{
    ProviderList available;
    for (const auto &provider : m_providers) {
        if (provider->isAvailable())
            available.append(provider);
    }
    return available;
}

ProviderList UsageManager::knownAvailableProviders() const
{
    ProviderList available;
    for (const auto &provider : m_providers) {
        const auto state = m_providerStates.constFind(provider->id());
        if (state != m_providerStates.cend() && state->isAvailable)
            available.append(provider);
    }
    return available;
}

NamedColor UsageManager::statusColor() const
{
    std::optional<double> highest;
    for (const ProviderState &state : m_providerStates) {
        if (!state.usage)
            continue;
        const double value = state.usage->maxUtilization();
        if (!highest || value > *highest)
            highest = value;
    }
    return highest ? bandColor(*highest) : NamedColor::Green;
}

void UsageManager::refresh()
{
    m_queuedRefresh->stop(); // whoever started this run, it answers a queued request too
    m_sinceRunStarted.start();
    if (m_refreshTask) {
        m_refreshTask->cancel();
        m_refreshTask->deleteLater();
    }
    auto *run = new RefreshRun(m_providers, RetryAllowance, m_timing.retryPause, heldBack(), this);
    m_refreshTask = run;
    connect(run, &RefreshRun::started, this,
            [this, run](const ProviderList &available, const ProviderList &fetched) {
                beginRun(run, available, fetched);
            });
    connect(run, &RefreshRun::outcome, this,
            [this, run](const QString &id, const FetchResult &result) { applyOutcome(run, id, result); });
    connect(run, &RefreshRun::finished, this, [this, run] { endRun(run); });
    QMetaObject::invokeMethod(run, &RefreshRun::start, Qt::QueuedConnection);
}

void UsageManager::refreshIfIdle()
{
    if (isRefreshing()) {
        qCInfo(lcRefresh) << "timer tick skipped: a run is in progress";
        return;
    }
    refresh();
}

bool UsageManager::isRefreshQueued() const
{
    return m_queuedRefresh->isActive();
}

void UsageManager::requestRefresh()
{
    if (isRefreshing() || isRefreshQueued())
        return;
    const qint64 spacing = m_timing.userRefreshSpacing.count();
    if (!m_sinceRunStarted.isValid() || m_sinceRunStarted.elapsed() >= spacing) {
        refresh();
        return;
    }
    m_queuedRefresh->start(int(spacing - m_sinceRunStarted.elapsed()));
    setLoading(true);
}

void UsageManager::startRefreshTimer()
{
    if (!m_timing.refreshInterval)
        return;
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setInterval(*m_timing.refreshInterval);
    // The tick only queues the refresh, so it never runs inside the timer callback.
    connect(m_refreshTimer, &QTimer::timeout, this,
            [this] { QMetaObject::invokeMethod(this, &UsageManager::refreshIfIdle, Qt::QueuedConnection); });
    m_refreshTimer->start();
}

QSet<QString> UsageManager::heldBack()
{
    const std::chrono::milliseconds clock = sleepCountingClock();
    const QDateTime now = m_timing.wallClock();
    QSet<QString> held;
    for (auto it = m_holdEnds.cbegin(); it != m_holdEnds.cend(); ++it) {
        const auto state = m_providerStates.find(it.key());
        if (it.value() <= clock || state == m_providerStates.end())
            continue;
        held.insert(it.key());
        state->heldUntil = now.addMSecs((it.value() - clock).count());
    }
    return held;
}

void UsageManager::beginRun(RefreshRun *run, const ProviderList &available, const ProviderList &fetched)
{
    if (run != m_refreshTask)
        return;
    setLoading(true);

    // Mark exactly the providers this run fetches; a superseded run may have
    // marked others that are no longer available.
    const auto contains = [](const ProviderList &list, const QString &id) {
        return std::any_of(list.cbegin(), list.cend(), [&](const auto &p) { return p->id() == id; });
    };
    bool changed = false;
    for (auto it = m_providerStates.begin(); it != m_providerStates.end(); ++it) {
        const bool fetching = contains(fetched, it.key());
        const bool isAvailable = contains(available, it.key());
        if (it->isLoading != fetching || it->isAvailable != isAvailable) {
            it->isLoading = fetching;
            it->isAvailable = isAvailable;
            changed = true;
        }
    }
    if (changed)
        Q_EMIT providerStatesChanged();
}

void UsageManager::applyOutcome(RefreshRun *run, const QString &id, const FetchResult &result)
{
    if (run != m_refreshTask)
        return;
    const auto found = m_providerStates.constFind(id);
    if (found == m_providerStates.constEnd())
        return;

    // Stored safe to show: every face reads its texts from here.
    ProviderState state = *found;
    const QDateTime now = m_timing.wallClock();
    const auto *usage = std::get_if<ProviderUsageResponse>(&result);
    if (usage) {
        state.usage = displaySafeUsage(*usage);
        state.lastUpdated = now;
        state.error.reset();
        state.errorDetail.reset();
        state.errorIsTransient = false;
        state.heldUntil.reset();
        m_rateLimitStreak.remove(id);
        checkThresholds(id, state.provider->alertName(), *state.usage);
    } else {
        state.error = displaySafeText(failureDescription(result));
        const std::optional<QString> detail = failureDetail(result);
        state.errorDetail = detail ? std::optional(displaySafeText(*detail)) : std::nullopt;
        const auto *providerError = std::get_if<ProviderError>(&result);
        state.errorIsTransient
            = std::holds_alternative<TransportError>(result) || (providerError && providerError->isTransient());
        state.heldUntil = providerError ? holdAfter(id, *providerError, now) : std::nullopt;
    }
    if (state.heldUntil)
        m_holdEnds.insert(id, sleepCountingClock() + std::chrono::milliseconds(now.msecsTo(*state.heldUntil)));
    else
        m_holdEnds.remove(id);
    state.isLoading = false;
    m_providerStates.insert(id, state);
    // The history keeps what the faces show: its names reach a terminal too.
    if (usage)
        Q_EMIT usageReceived(id, *state.usage, *state.lastUpdated);
    Q_EMIT providerStatesChanged();
}

std::optional<QDateTime> UsageManager::holdAfter(const QString &id, const ProviderError &error, const QDateTime &now)
{
    using std::chrono::milliseconds;
    const int streak = error.isRateLimited() ? ++m_rateLimitStreak[id] : 0;
    milliseconds wait{0};
    // The first 429 waits for the normal schedule; each further one doubles
    // the pause. The hold ends half a period early, so that the timer's tick
    // at the end of it is not missed by the time the answer took.
    if (streak >= 2) {
        const milliseconds base = m_timing.rateLimitBackoff;
        const int doublings = std::min(streak - 1, 20);
        wait = std::min<milliseconds>(m_timing.rateLimitBackoffCap, base * (1LL << doublings) - base / 2);
    }
    if (const auto retryAfter = error.retryAfter())
        wait = std::max(wait, milliseconds(now.msecsTo(*retryAfter)));
    // Whatever the service says, a provider is not silenced for long.
    wait = std::min(wait, m_timing.rateLimitBackoffCap);
    if (wait <= milliseconds(0))
        return std::nullopt;
    return now.addMSecs(wait.count());
}

void UsageManager::endRun(RefreshRun *run)
{
    if (run != m_refreshTask)
        return;
    m_refreshTask.clear();
    run->deleteLater();
    m_lastUpdated = QDateTime::currentDateTimeUtc();
    Q_EMIT lastUpdatedChanged();
    setLoading(false);
    Q_EMIT refreshFinished();
}

void UsageManager::setLoading(bool loading)
{
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    Q_EMIT isLoadingChanged(loading);
}

void UsageManager::checkThresholds(const QString &providerId, const QString &providerName,
                                   const ProviderUsageResponse &usage)
{
    const AlertRules rules = m_alertRules.value(providerId);
    QStringList bodies;
    const double highest = usage.maxUtilization();
    if (rules.thresholdAlerts) {
        ThresholdCheck check = ::checkThresholds(m_notifiedThresholds.value(providerId), highest, rules.thresholds);
        QString body = alertBody(highest);
        // The limit the figure comes from: the first at the highest utilisation.
        const auto limit = std::find_if(usage.limits.cbegin(), usage.limits.cend(),
                                        [highest](const UsageLimit &l) { return l.utilization == highest; });
        if (limit != usage.limits.cend())
            body += u'\n' + (m_alertDetail ? m_alertDetail(*limit) : limit->name);
        for (qsizetype i = 0; i < check.crossed.size(); ++i)
            bodies.append(body);
        m_notifiedThresholds.insert(providerId, std::move(check.notified));
    }

    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const UsageLimit &limit : usage.limits) {
        const QString key = providerId + u'\n' + limit.name;
        const auto before = m_limitAlerts.constFind(key);
        const std::optional<QString> runOut
            = m_runOutProjection ? m_runOutProjection(providerId, limit, now) : std::nullopt;
        const LimitAlertCheck check
            = checkLimitAlerts(before == m_limitAlerts.cend() ? std::nullopt : std::optional(*before), limit, now,
                               rules.thresholds.constLast(), runOut.has_value());
        m_limitAlerts.insert(key, check.state);
        if (check.hasReset && rules.resetAlerts)
            bodies.append(resetAlertBody(providerName, limit));
        if (check.runsOut && rules.runOutAlerts)
            bodies.append(limit.name + u": "_s + *runOut);
    }

    // Alerts of one check (80 and 90 at once) replace each other on screen.
    for (qsizetype i = 0; i < bodies.size(); ++i)
        m_notificationManager->sendAlert(providerId, alertTitle(providerName), bodies[i], i > 0);
}
