#pragma once

#include "core/UsageModel.h"
#include "core/UsageProvider.h"

#include <QList>
#include <QObject>

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
    // providers: every provider; the run asks each once whether it is available.
    RefreshRun(ProviderList providers, int retryAllowance, std::chrono::milliseconds retryPause,
               QObject *parent = nullptr);

    // Asks the providers and starts the fetches; emits started(), then an
    // outcome() per fetched provider in completion order, then finished().
    void start();
    void cancel();
    bool isCancelled() const { return m_cancelled; }

Q_SIGNALS:
    // available: the providers this run fetches, in list order.
    void started(const ProviderList &available);
    // Exactly one of usage and error is set.
    void outcome(const QString &providerId, const std::optional<ProviderUsageResponse> &usage, const QString &error,
                 const std::optional<QString> &errorDetail);
    void finished();

private:
    void attempt(const std::shared_ptr<UsageProvider> &provider, int retriesRemaining);
    void pauseThenAttempt(const std::shared_ptr<UsageProvider> &provider, int retriesRemaining);
    void fetchEnded();

    ProviderList m_providers;
    int m_retryAllowance;
    std::chrono::milliseconds m_retryPause;
    QList<FetchJob *> m_jobs;
    QList<QTimer *> m_pauses;
    qsizetype m_pending = 0;
    bool m_cancelled = false;
};
