#include "presentation/LimitRows.h"

#include "presentation/TimeFormat.h"

#include <QCoreApplication>
#include <QHash>
#include <QLocale>

#include <algorithm>

#include <cmath>

using namespace Qt::StringLiterals;

const UsageLimit *bindingLimit(const ProviderUsageResponse &usage, LimitKind kind)
{
    const UsageLimit *binding = nullptr;
    for (const UsageLimit &limit : usage.limits) {
        if (limit.kind != kind)
            continue;
        // A NaN never outranks a number.
        if (!binding || limit.utilization > binding->utilization
            || (std::isnan(binding->utilization) && !std::isnan(limit.utilization)))
            binding = &limit;
    }
    return binding;
}

std::optional<QString> bindingLimitName(const ProviderUsageResponse &usage, const UsageLimit &limit)
{
    for (const UsageLimit &candidate : usage.limits) {
        if (candidate.kind != limit.kind)
            continue;
        if (&candidate == &limit)
            return std::nullopt;
        return limit.scope.value_or(limit.name).simplified();
    }
    return std::nullopt;
}

QString limitSlug(const UsageLimit &limit)
{
    QString slug;
    bool gap = false;
    for (const QChar c : limit.name.toLower()) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
            if (gap && !slug.isEmpty())
                slug += u'_';
            slug += c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return slug;
}

QString moneyText(const Money &money)
{
    static const QHash<QString, QString> signs = {
        {u"EUR"_s, u"\u20AC"_s}, {u"USD"_s, u"$"_s},      {u"GBP"_s, u"\u00A3"_s},
        {u"JPY"_s, u"\u00A5"_s}, {u"INR"_s, u"\u20B9"_s}, {u"KRW"_s, u"\u20A9"_s},
    };
    // Written the way the catalogue's language writes numbers ("12,50 €" in
    // German); without a catalogue, as always ("12.50 €").
    QLocale locale(QCoreApplication::translate(
        "Common", "C", "The locale whose decimal mark amounts of money use, as de_DE; C for English."));
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const int exponent = std::clamp(money.exponent, 0, 9);
    const QString amount = locale.toString(money.value(), 'f', exponent);
    if (money.currency.isEmpty())
        return amount;
    return amount + u' ' + signs.value(money.currency, money.currency);
}

QString creditsTitle(const UsageCredits &credits)
{
    return credits.used ? QCoreApplication::translate("Common", "Usage credits")
                        : QCoreApplication::translate("Common", "Credits");
}

QString creditsValueText(const UsageCredits &credits)
{
    if (credits.unlimited)
        return QCoreApplication::translate("Common", "unlimited");
    if (credits.used && credits.limit) {
        // The sign once, after both amounts: "12.50 / 40.00 €".
        Money used = *credits.used;
        used.currency.clear();
        return moneyText(used) + u" / "_s + moneyText(*credits.limit);
    }
    if (credits.used)
        return moneyText(*credits.used);
    return credits.balance.value_or(QString()).simplified();
}

QStringList usageNotes(const ProviderUsageResponse &usage)
{
    QStringList notes;
    if (usage.resetsBanked && *usage.resetsBanked > 0)
        notes.append(*usage.resetsBanked == 1
                         ? QCoreApplication::translate("Common", "1 reset banked")
                         : QCoreApplication::translate("Common", "%1 resets banked").arg(*usage.resetsBanked));
    if (usage.budgetReachedType)
        notes.append(QCoreApplication::translate("Common", "Workspace budget reached"));
    for (const QString &name : usage.unlimited)
        notes.append(QCoreApplication::translate("Common", "%1: Unlimited").arg(name));
    return notes;
}

QString asOfText(const QDateTime &lastUpdated, const QDateTime &now, const QTimeZone &givenZone, const QLocale &locale)
{
    // A TZ the system does not know gives no zone at all, and no time: UTC, and say so.
    const bool known = givenZone.isValid();
    const QTimeZone zone = known ? givenZone : QTimeZone::utc();
    const QDateTime local = lastUpdated.toTimeZone(zone);
    QString when = local.toString(u"HH:mm"_s) + (known ? QString() : u" UTC"_s);
    // Figures kept over days offline must not read as today's.
    const qint64 daysAgo = local.date().daysTo(now.toTimeZone(zone).date());
    if (daysAgo > 0 && daysAgo < 7)
        when = locale.dayName(local.date().dayOfWeek(), QLocale::ShortFormat) + u' ' + when;
    else if (daysAgo != 0)
        when = dayAndMonth(local.date(), locale) + u", "_s + when;
    return QCoreApplication::translate("Common", "as of %1").arg(when);
}
