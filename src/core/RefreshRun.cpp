#include "core/RefreshRun.h"

#include "core/FetchJob.h"
#include "core/Logging.h"
#include "core/UsageProvider.h"

#include <QTimer>

#include <utility>

RefreshRun::RefreshRun(ProviderList providers, int retryAllowance, std::chrono::milliseconds retryPause,
                       QSet<QString> heldBack, QObject *parent)
    : QObject(parent)
    , m_providers(std::move(providers))
    , m_heldBack(std::move(heldBack))
    , m_retryAllowance(retryAllowance)
    , m_retryPause(retryPause)
{}

void RefreshRun::start()
{
    if (m_cancelled)
        return;
    ProviderList available;
    ProviderList fetched;
    for (const auto &provider : std::as_const(m_providers)) {
        if (!provider->isAvailable())
            continue;
        available.append(provider);
        if (!m_heldBack.contains(provider->id()))
            fetched.append(provider);
    }
    m_pending = fetched.size();
    Q_EMIT started(available, fetched);
    if (m_cancelled)
        return;
    if (m_pending == 0) {
        Q_EMIT finished();
        return;
    }
    for (const auto &provider : std::as_const(fetched))
        attempt(provider, m_retryAllowance);
}

void RefreshRun::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    for (FetchJob *job : std::as_const(m_jobs))
        job->abort();
    for (QTimer *pause : std::as_const(m_pauses))
        pause->stop();
}

void RefreshRun::attempt(const std::shared_ptr<UsageProvider> &provider, int retriesRemaining)
{
    FetchJob *job = provider->fetchUsage(this);
    m_jobs.append(job);
    connect(job, &FetchJob::finished, this, [this, job, provider, retriesRemaining](const FetchResult &result) {
        m_jobs.removeOne(job);
        job->deleteLater();
        if (m_cancelled)
            return;
        const auto *transport = std::get_if<TransportError>(&result);
        const bool retry = transport && transport->isRetryable() && retriesRemaining >= 1;
        if (!std::holds_alternative<ProviderUsageResponse>(result))
            qCInfo(lcNetwork).noquote() << provider->id() << "attempt failed:" << failureDescription(result)
                                        << (retry ? "(retrying)" : "");
        if (retry) {
            pauseThenAttempt(provider, retriesRemaining - 1);
            return;
        }
        Q_EMIT outcome(provider->id(), result);
        fetchEnded();
    });
}

void RefreshRun::pauseThenAttempt(const std::shared_ptr<UsageProvider> &provider, int retriesRemaining)
{
    auto *pause = new QTimer(this);
    pause->setSingleShot(true);
    m_pauses.append(pause);
    connect(pause, &QTimer::timeout, this, [this, pause, provider, retriesRemaining] {
        m_pauses.removeOne(pause);
        pause->deleteLater();
        attempt(provider, retriesRemaining);
    });
    pause->start(m_retryPause);
}

void RefreshRun::fetchEnded()
{
    if (--m_pending == 0 && !m_cancelled)
        Q_EMIT finished();
}
