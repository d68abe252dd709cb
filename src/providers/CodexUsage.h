#pragma once

#include "core/FetchJob.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

// The typed form of the ChatGPT backend's usage answer. Decode-only.

struct CodexWindow
{
    double usedPercent = 0.0;      // "used_percent"
    qint64 limitWindowSeconds = 0; // "limit_window_seconds"
    qint64 resetAfterSeconds = 0;  // "reset_after_seconds"
    qint64 resetAt = 0;            // "reset_at", seconds since 1970 UTC
};

struct CodexRateLimit
{
    std::optional<bool> allowed;                // "allowed"
    std::optional<bool> limitReached;           // "limit_reached"
    std::optional<CodexWindow> primaryWindow;   // "primary_window"
    std::optional<CodexWindow> secondaryWindow; // "secondary_window"
};

struct CodexCredits
{
    std::optional<bool> hasCredits; // "has_credits"
    std::optional<bool> unlimited;  // "unlimited"
    std::optional<QString> balance; // "balance"
};

// One entry of "additional_rate_limits": a limit of its own, for one model.
struct CodexAdditionalLimit
{
    QString limitName;        // "limit_name"
    CodexRateLimit rateLimit; // "rate_limit"
};

// "spend_control": a workspace's budget.
struct CodexSpendControl
{
    bool reached = false;           // "reached"
    QString reachedLimitType;       // "reached_limit_type"
};

struct CodexUsageResponse
{
    std::optional<QString> planType;                   // "plan_type"
    CodexRateLimit rateLimit;                          // "rate_limit"
    std::optional<CodexRateLimit> codeReviewRateLimit; // "code_review_rate_limit"
    std::optional<CodexCredits> credits;               // "credits"
    // Only the entries that decode and have a name; a malformed entry, or a
    // member that is not a list, never fails the document.
    QList<CodexAdditionalLimit> additionalRateLimits; // "additional_rate_limits"
    // Newer members, read as leniently: a malformed one is left out.
    std::optional<qint64> resetsBanked;        // "rate_limit_reset_credits" → "available_count"
    std::optional<CodexSpendControl> spendControl; // "spend_control"
};

// Decodes the whole document or describes the first problem met, with its
// path. Required members must be present, non-null and of their type;
// optional members may be missing or null but never of another type. Nothing
// is coerced: 1 is no Bool, 5 is no String, 1.5 is no Int64.
//
// Integers: Qt's parser keeps integer literals that fit in 64 bits exactly,
// and stores everything else as a double; a double is accepted as Int64 only
// when it is integral and inside the signed 64-bit range (so 12.0 is 12,
// 1e300 fails). An integer literal beyond that range therefore fails too.
std::variant<CodexUsageResponse, QString> decodeCodexUsage(const QByteArray &json);

// What a Codex usage answer with this status and body means.
FetchResult codexResultFor(int status, const QByteArray &body, const QString &providerName);
// A window's label by its length: "5 Hour", "Weekly", "Monthly" for a month,
// else whole days ("10 Day") or whole hours ("8 Hour"); empty for any other length.
QString codexWindowLabel(qint64 windowSeconds);
// The main limit's windows labelled by their length (by their slot, "5 Hour"
// and "Weekly", when the length is unusable), then "Code Review", then each
// additional limit's windows as "<limit name> (<length>)".
ProviderUsageResponse codexUsageToResponse(const CodexUsageResponse &usage);
