#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class UsageProvider;

// What a window measures, as the provider that knows it says: the faces pick
// by kind, never by the label's text.
enum class LimitKind {
    Session, // the short rolling window (five hours today)
    Weekly,  // the seven-day window
    Other,   // model-specific, code review and any other window
};

// One usage window of a provider. The utilisation is a percentage exactly as
// the service sent it: never clamped, never rounded.
struct UsageLimit
{
    QString name;
    double utilization = 0.0;
    std::optional<QDateTime> resetTime;
    LimitKind kind = LimitKind::Other;
    // The window's length, where the service says or the window's name fixes it.
    std::optional<qint64> windowSeconds;
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
    // A second line under the error that says what the user can do about it
    // (for example that the saved login expired); absent when nothing to add.
    std::optional<QString> errorDetail;
    bool isLoading = false;
    // Whether the provider's credentials were found, as last checked; the
    // faces read this instead of asking the provider.
    bool isAvailable = false;
};
