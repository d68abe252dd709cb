#pragma once

#include "core/FetchJob.h"
#include "core/UsageModel.h"
#include "core/UsageProvider.h"

#include <QList>
#include <QObject>
#include <QSet>

#include <chrono>
#include <memory>
#include <optional>

class FetchJob;
class QTimer;

// One refresh run: a fetch per available provider, all at once, each with its
// own retries. It only reports; the manager decides what to apply.
//
// A cancelled run aborts its requests, stops its pauses and emits nothing more.
class RefreshRun : public QObject
{
    Q_OBJECT
public:
    // providers: every provider; the run asks each once whether it is
    // available, and fetches those available that are not held back.
    RefreshRun(ProviderList providers, int retryAllowance, std::chrono::milliseconds retryPause,
               QSet<QString> heldBack = {}, QObject *parent = nullptr);

    // Asks the providers and starts the fetches; emits started(), then an
    // outcome() per fetched provider in completion order, then finished().
    void start();
    void cancel();

Q_SIGNALS:
    // available: the providers whose credentials were found; fetched: those
    // of them this run fetches. Both in list order.
    void started(const ProviderList &available, const ProviderList &fetched);
    // The last attempt's result.
    void outcome(const QString &providerId, const FetchResult &result);
    void finished();

private:
    void attempt(const std::shared_ptr<UsageProvider> &provider, int retriesRemaining);
    void pauseThenAttempt(const std::shared_ptr<UsageProvider> &provider, int retriesRemaining);
    void fetchEnded();

    ProviderList m_providers;
    QSet<QString> m_heldBack;
    int m_retryAllowance;
    std::chrono::milliseconds m_retryPause;
    QList<FetchJob *> m_jobs;
    QList<QTimer *> m_pauses;
    qsizetype m_pending = 0;
    bool m_cancelled = false;
};
