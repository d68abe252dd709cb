#pragma once

#include "core/UsageModel.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <optional>

// Which of a provider's limits the faces single out, and the words for what
// comes with the limits (credits, banked resets, budgets, stale figures).

// The binding limit of a kind: the highest of the provider's limits of that
// kind, the earliest on a tie; null when the provider has none of it.
const UsageLimit *bindingLimit(const ProviderUsageResponse &usage, LimitKind kind);

// A short name of the binding limit where it is not the kind's main one (the
// first listed, the account's own): "Fable". Absent otherwise.
std::optional<QString> bindingLimitName(const ProviderUsageResponse &usage, const UsageLimit &limit);

// A stable field name of the row, from its name: "fable", "weekly_7d", "monthly".
QString limitSlug(const UsageLimit &limit);

// "12.50 €": the amount with the money's decimals and its currency's sign
// (its code where it has no common sign); the decimal mark is the installed
// catalogue's ("12,50 €" in German).
QString moneyText(const Money &money);

// The credits as a row: "Usage credits" with "12.50 / 40.00 €", or "Credits"
// with "12.50" as the balance, or "unlimited".
QString creditsTitle(const UsageCredits &credits);
QString creditsValueText(const UsageCredits &credits);

// The lines without a bar that follow the rows: "2 resets banked", "Workspace
// budget reached".
QStringList usageNotes(const ProviderUsageResponse &usage);

// "as of 14:02", the clock time of the last good answer in the zone, with its
// day when that is not now's: "as of Fri 14:02", "as of Jul 15, 14:02". An
// invalid zone (an unknown TZ) shows UTC and says so: "as of 14:02 UTC".
QString asOfText(const QDateTime &lastUpdated, const QDateTime &now,
                 const QTimeZone &zone = QTimeZone::systemTimeZone(), const QLocale &locale = QLocale());
