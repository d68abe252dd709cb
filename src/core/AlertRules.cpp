#include "core/AlertRules.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 ResetWander = 10 * 60;

bool boolSetting(const QSettings &settings, const QString &key)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return true;
    const QString text = value.toString().trimmed().toLower();
    return !(text == "false"_L1 || text == "0"_L1 || text == "off"_L1 || text == "no"_L1);
}

} // namespace

QString alertSettingKey(const QString &providerId, QLatin1StringView name)
{
    return u"alerts/"_s + providerId + u'/' + name;
}

QList<int> thresholdsFromSetting(const QVariant &value)
{
    // QSettings gives a QStringList for "80, 90" and a QString for "80".
    QStringList parts = value.toStringList();
    if (parts.size() == 1)
        parts = parts.constFirst().split(u',');
    QList<int> thresholds;
    for (const QString &part : std::as_const(parts)) {
        bool ok = false;
        const int threshold = part.trimmed().toInt(&ok);
        if (!ok || threshold < 1 || threshold > 100)
            return AlertRules{}.thresholds;
        thresholds.append(threshold);
    }
    std::sort(thresholds.begin(), thresholds.end());
    thresholds.erase(std::unique(thresholds.begin(), thresholds.end()), thresholds.end());
    return thresholds.isEmpty() ? AlertRules{}.thresholds : thresholds;
}

AlertRules alertRulesFromSettings(const QSettings &settings, const QString &providerId)
{
    AlertRules rules;
    if (const QVariant thresholds = settings.value(alertSettingKey(providerId, AlertKeys::Thresholds));
        thresholds.isValid())
        rules.thresholds = thresholdsFromSetting(thresholds);
    rules.thresholdAlerts = boolSetting(settings, alertSettingKey(providerId, AlertKeys::ThresholdAlerts));
    rules.resetAlerts = boolSetting(settings, alertSettingKey(providerId, AlertKeys::ResetAlerts));
    rules.runOutAlerts = boolSetting(settings, alertSettingKey(providerId, AlertKeys::RunOutAlerts));
    return rules;
}

std::optional<QList<int>> parseThresholds(const QString &text, QString *error)
{
    static const QRegularExpression separators(u"[,\\s]+"_s);
    const QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    if (parts.isEmpty()) {
        *error = QCoreApplication::translate("Panel", "Enter at least one threshold, such as 80, 90.");
        return std::nullopt;
    }
    QList<int> thresholds;
    for (const QString &part : parts) {
        bool ok = false;
        const int threshold = part.toInt(&ok);
        if (!ok) {
            *error = QCoreApplication::translate("Panel", "“%1” is not a whole percentage.").arg(part);
            return std::nullopt;
        }
        if (threshold < 1 || threshold > 100) {
            *error = QCoreApplication::translate("Panel", "%1% is outside 1 to 100.").arg(threshold);
            return std::nullopt;
        }
        if (thresholds.contains(threshold)) {
            *error = QCoreApplication::translate("Panel", "%1% is listed twice.").arg(threshold);
            return std::nullopt;
        }
        thresholds.append(threshold);
    }
    std::sort(thresholds.begin(), thresholds.end());
    return thresholds;
}

QString thresholdsText(const QList<int> &thresholds)
{
    QStringList parts;
    for (const int threshold : thresholds)
        parts.append(QString::number(threshold));
    return parts.join(u", "_s);
}

LimitAlertCheck checkLimitAlerts(const std::optional<LimitAlertState> &before, const UsageLimit &limit,
                                 const QDateTime &now, int highestThreshold, bool projectedRunOut)
{
    LimitAlertCheck check;
    if (before) {
        check.state = *before;
        const std::optional<QDateTime> &last = before->resetTime;
        const bool movedOn = last && limit.resetTime && last->secsTo(*limit.resetTime) > ResetWander;
        const bool ended = last && (now >= *last || movedOn);
        if (ended) {
            check.hasReset = before->reachedTop;
            check.state = {};
            // An answer that still names the reset just passed (a service
            // behind the clock) tells the ended window's figures: they arm
            // nothing, or the reset would be told again at every check.
            if (!movedOn && limit.resetTime && std::abs(last->secsTo(*limit.resetTime)) <= ResetWander) {
                check.state = {.resetTime = limit.resetTime, .reachedTop = false, .runOutAnnounced = true};
                return check;
            }
        }
    }
    if (limit.resetTime)
        check.state.resetTime = limit.resetTime;
    if (limit.utilization >= highestThreshold)
        check.state.reachedTop = true;
    if (projectedRunOut && !check.state.runOutAnnounced) {
        check.state.runOutAnnounced = true;
        check.runsOut = true;
    }
    return check;
}

QString resetAlertBody(const QString &providerName, const UsageLimit &limit)
{
    if (limit.kind == LimitKind::Session)
        return QCoreApplication::translate("Alerts", "%1 session limit has reset").arg(providerName);
    if (limit.kind == LimitKind::Weekly)
        return QCoreApplication::translate("Alerts", "%1 weekly limit has reset").arg(providerName);
    return QCoreApplication::translate("Alerts", "%1 %2 limit has reset").arg(providerName, limit.name);
}
