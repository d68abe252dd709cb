#pragma once

#include "core/UsageModel.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

class QSettings;

// What one provider's user wants to be told. Read from the settings:
//   alerts/<id>/thresholds  "80, 90" (the default), whole percentages 1…100
//   alerts/<id>/thresholdAlerts, alerts/<id>/resetAlerts, alerts/<id>/runOutAlerts  true or false
struct AlertRules
{
    QList<int> thresholds{80, 90}; // ascending, no repeats, never empty
    bool thresholdAlerts = true;
    bool resetAlerts = true;
    bool runOutAlerts = true;
};

namespace AlertKeys {
inline constexpr QLatin1StringView Thresholds{"thresholds"};
inline constexpr QLatin1StringView ThresholdAlerts{"thresholdAlerts"};
inline constexpr QLatin1StringView ResetAlerts{"resetAlerts"};
inline constexpr QLatin1StringView RunOutAlerts{"runOutAlerts"};
} // namespace AlertKeys

// "alerts/claude/thresholds"
QString alertSettingKey(const QString &providerId, QLatin1StringView name);

// A list such as "70, 85,95" or a QStringList; anything unusable (an empty
// list, a value outside 1…100, a word) gives the default 80, 90.
QList<int> thresholdsFromSetting(const QVariant &value);
AlertRules alertRulesFromSettings(const QSettings &settings, const QString &providerId);

// What a user typed for one provider's thresholds, read strictly: whole
// percentages from 1 to 100, apart by commas or spaces, each once. Absent for
// anything else, and *error says what is wrong in words the user can act on.
std::optional<QList<int>> parseThresholds(const QString &text, QString *error);
// "80, 90": how thresholds are written back, in the settings and the panel.
QString thresholdsText(const QList<int> &thresholds);

// What the alerts remember about one limit between checks.
struct LimitAlertState
{
    std::optional<QDateTime> resetTime; // of the window last seen
    bool reachedTop = false;            // at or above the highest threshold in that window
    bool runOutAnnounced = false;       // once per window
};

struct LimitAlertCheck
{
    LimitAlertState state;  // to be stored for the limit
    bool hasReset = false;  // the window that reached the top has ended
    bool runsOut = false;   // to announce that it runs out before its reset
};

// One check of one limit. A window has ended when its reset time has passed or
// a later one (more than ten minutes later, so a wandering reset does not
// count) took its place. projectedRunOut: whether at the current pace the
// limit runs out before it resets.
LimitAlertCheck checkLimitAlerts(const std::optional<LimitAlertState> &before, const UsageLimit &limit,
                                 const QDateTime &now, int highestThreshold, bool projectedRunOut);

// "Claude weekly limit has reset"; the limit's own name for a window that is
// neither the session nor the weekly one.
QString resetAlertBody(const QString &providerName, const UsageLimit &limit);
