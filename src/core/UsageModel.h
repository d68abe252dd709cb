#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class UsageProvider;

// One usage window of a provider. The utilisation is a percentage exactly as
// the service sent it: never clamped, never rounded.
struct UsageLimit
{
    QString name;
    double utilization = 0.0;
    std::optional<QDateTime> resetTime;
};

// The result of one successful fetch.
struct ProviderUsageResponse
{
    QList<UsageLimit> limits;

    // The largest utilisation among the limits; 0 for an empty list.
    double maxUtilization() const;
};

// What the coordinator knows about one provider between fetches.
struct ProviderState
{
    std::shared_ptr<UsageProvider> provider;
    std::optional<ProviderUsageResponse> usage;
    std::optional<QDateTime> lastUpdated;
    std::optional<QString> error;
    bool isLoading = false;
};
