#include "core/AlertRules.h"

#include <QRegularExpression>
#include <QSettings>
#include <QStringList>

#include <algorithm>

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
        *error = u"Enter at least one threshold, such as 80, 90."_s;
        return std::nullopt;
    }
    QList<int> thresholds;
    for (const QString &part : parts) {
        bool ok = false;
        const int threshold = part.toInt(&ok);
        if (!ok) {
            *error = u"\u201C%1\u201D is not a whole percentage."_s.arg(part);
            return std::nullopt;
        }
        if (threshold < 1 || threshold > 100) {
            *error = u"%1% is outside 1 to 100."_s.arg(threshold);
            return std::nullopt;
        }
        if (thresholds.contains(threshold)) {
            *error = u"%1% is listed twice."_s.arg(threshold);
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
        const bool ended = last
            && (now >= *last || (limit.resetTime && last->secsTo(*limit.resetTime) > ResetWander));
        if (ended) {
            check.hasReset = before->reachedTop;
            check.state = {};
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
    QString window = limit.name;
    if (limit.kind == LimitKind::Session)
        window = u"session"_s;
    else if (limit.kind == LimitKind::Weekly)
        window = u"weekly"_s;
    return providerName + u' ' + window + u" limit has reset"_s;
}
