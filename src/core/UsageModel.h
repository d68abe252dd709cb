#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

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
    // The model or surface the limit applies to ("Fable"); absent for a limit
    // of the whole account.
    std::optional<QString> scope;
};

// A month-long window: the services count a calendar month as 30 days, 365/12
// days or a Gregorian year's twelfth.
bool isMonthLong(qint64 windowSeconds);

// The kind as machines read it, in JSON and in the history file: "session",
// "weekly" or "other"; any other word reads as other.
QString limitKindName(LimitKind kind);
LimitKind limitKindFromName(const QString &name);

// Money as the services send it: an amount in minor units (cents) and how
// many of its digits are decimals.
struct Money
{
    qint64 amountMinor = 0;
    int exponent = 2;
    QString currency; // ISO 4217 code, or empty when the service names none

    double value() const;
};

// Usage credits or a credit balance, where the subscription has them.
struct UsageCredits
{
    std::optional<Money> used;  // what is spent this month
    std::optional<Money> limit; // the month's cap
    // The service's own share of the cap, where it sends one; else worked out.
    std::optional<double> utilization;
    std::optional<QString> balance; // a balance as the service writes it ("12.50")
    bool unlimited = false;

    // The used share of the cap in percent, when both are known.
    std::optional<double> usedPercent() const;
};

// The result of one successful fetch.
struct ProviderUsageResponse
{
    QList<UsageLimit> limits;
    // Shown only where they apply; never part of the utilisation figures.
    std::optional<UsageCredits> credits;
    std::optional<int> resetsBanked;             // resets the user can spend now, when above 0
    std::optional<QString> budgetReachedType;    // set when a workspace budget stops the user
    // Limits the plan does not cap, by name ("Premium requests"): shown as
    // such, never a row, never alerted on.
    QStringList unlimited;

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
    // The error is one that passes (a rate limit, the network, the service's
    // own failure): the last figures stay shown, marked with their age.
    bool errorIsTransient = false;
    // No fetch before this instant: the service asked us to wait.
    std::optional<QDateTime> heldUntil;

    // The usage shown is older than the last attempt.
    bool isStale() const { return usage && error && errorIsTransient; }
};
