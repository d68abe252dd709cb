#include "presentation/StatusFormat.h"

#include "core/Bands.h"
#include "presentation/EmptyState.h"
#include "presentation/LimitRows.h"
#include "presentation/Pace.h"
#include "presentation/RecentPace.h"
#include "presentation/TimeFormat.h"
#include "presentation/UsageFigures.h"
#include "presentation/UsageText.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// A minimal JSON writer that keeps members in the order given; QJsonObject
// would sort them, and would not let us decide how non-finite numbers look.
QString indent(int level)
{
    return QString(level * 2, u' ');
}

QString jsonString(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"': out += u"\\\""_s; break;
        case u'\\': out += u"\\\\"_s; break;
        case u'\n': out += u"\\n"_s; break;
        case u'\r': out += u"\\r"_s; break;
        case u'\t': out += u"\\t"_s; break;
        case u'\b': out += u"\\b"_s; break;
        case u'\f': out += u"\\f"_s; break;
        default:
            if (c.unicode() < 0x20)
                out += u"\\u%1"_s.arg(uint(c.unicode()), 4, 16, QChar(u'0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

QString jsonNumber(double value)
{
    if (!std::isfinite(value))
        return u"null"_s;
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString jsonTime(const std::optional<QDateTime> &moment)
{
    if (!moment || !moment->isValid())
        return u"null"_s;
    return jsonString(isoTimestamp(*moment));
}

QString jsonBool(bool value)
{
    return value ? u"true"_s : u"false"_s;
}

using Members = QList<std::pair<QString, QString>>;

// Values are already written for the level inside this object.
QString jsonObject(const Members &members, int level)
{
    QStringList lines;
    for (const auto &[key, value] : members)
        lines.append(indent(level + 1) + jsonString(key) + u": "_s + value);
    return u"{\n"_s + lines.join(u",\n"_s) + u"\n"_s + indent(level) + u"}"_s;
}

QString jsonArray(const QStringList &items, int level)
{
    if (items.isEmpty())
        return u"[]"_s;
    QStringList lines;
    for (const QString &item : items)
        lines.append(indent(level + 1) + item);
    return u"[\n"_s + lines.join(u",\n"_s) + u"\n"_s + indent(level) + u"]"_s;
}

// Absent reads as NaN, which jsonNumber writes as null: one path, and no
// false "may be used uninitialized" from GCC 12 at -O2.
QString jsonOptional(std::optional<double> value)
{
    return jsonNumber(value.value_or(std::numeric_limits<double>::quiet_NaN()));
}

QString moneyJson(const std::optional<Money> &money, int level)
{
    if (!money)
        return u"null"_s;
    return jsonObject({{u"amountMinor"_s, QString::number(money->amountMinor)},
                       {u"exponent"_s, QString::number(money->exponent)},
                       {u"currency"_s, money->currency.isEmpty() ? u"null"_s : jsonString(money->currency)},
                       {u"text"_s, jsonString(moneyText(*money))}},
                      level);
}

// The names of the limits the plan does not cap.
QString unlimitedJson(const QStringList &names, int level)
{
    QStringList items;
    for (const QString &name : names)
        items.append(jsonString(name));
    return jsonArray(items, level);
}

QString creditsJson(const std::optional<UsageCredits> &credits, int level)
{
    if (!credits)
        return u"null"_s;
    return jsonObject({{u"used"_s, moneyJson(credits->used, level + 1)},
                       {u"limit"_s, moneyJson(credits->limit, level + 1)},
                       {u"utilization"_s, jsonOptional(credits->usedPercent())},
                       {u"balance"_s, credits->balance ? jsonString(*credits->balance) : u"null"_s},
                       {u"unlimited"_s, jsonBool(credits->unlimited)},
                       {u"text"_s, jsonString(creditsTitle(*credits) + u' ' + creditsValueText(*credits))}},
                      level);
}

// The binding limit of a kind, by name, or null.
QString bindingJson(const ProviderUsageResponse &usage, LimitKind kind, int level)
{
    const UsageLimit *limit = bindingLimit(usage, kind);
    if (!limit)
        return u"null"_s;
    return jsonObject({{u"name"_s, jsonString(limit->name)},
                       {u"slug"_s, jsonString(limitSlug(*limit))},
                       {u"utilization"_s, jsonNumber(limit->utilization)}},
                      level);
}

QString projectionJson(const std::optional<PaceProjection> &projection, const QDateTime &now, int level)
{
    if (!projection)
        return u"null"_s;
    return jsonObject({{u"exhaustion"_s, jsonTime(projection->exhaustion)},
                       {u"basis"_s, jsonString(paceBasisName(projection->basis))},
                       {u"text"_s, jsonString(paceProjectionText(*projection, now))}},
                      level);
}

QString usageJson(const ProviderStatus &provider, const QList<HistorySample> &history, const QDateTime &now,
                  int level)
{
    const ProviderUsageResponse &usage = *provider.state.usage;
    QStringList limits;
    for (const UsageLimit &limit : usage.limits) {
        const auto projection = recentProjection(provider.id, limit, history, now);
        const QString length = limit.windowSeconds ? QString::number(*limit.windowSeconds) : u"null"_s;
        limits.append(jsonObject({{u"name"_s, jsonString(limit.name)},
                                  {u"slug"_s, jsonString(limitSlug(limit))},
                                  {u"scope"_s, limit.scope ? jsonString(*limit.scope) : u"null"_s},
                                  {u"utilization"_s, jsonNumber(limit.utilization)},
                                  {u"resetTime"_s, jsonTime(limit.resetTime)},
                                  {u"kind"_s, jsonString(limitKindName(limit.kind))},
                                  {u"windowSeconds"_s, length},
                                  {u"elapsedFraction"_s, jsonOptional(elapsedFraction(limit, now))},
                                  {u"projectedExhaustion"_s, jsonTime(projectedExhaustion(limit, now))},
                                  {u"projection"_s, projectionJson(projection, now, level + 3)}},
                                 level + 2));
    }
    return jsonObject(
        {{u"maxUtilization"_s, jsonNumber(usage.maxUtilization())},
         {u"binding"_s,
          jsonObject({{u"session"_s, bindingJson(usage, LimitKind::Session, level + 2)},
                      {u"weekly"_s, bindingJson(usage, LimitKind::Weekly, level + 2)}},
                     level + 1)},
         {u"limits"_s, jsonArray(limits, level + 1)},
         {u"credits"_s, creditsJson(usage.credits, level + 1)},
         {u"resetsBanked"_s, usage.resetsBanked ? QString::number(*usage.resetsBanked) : u"null"_s},
         {u"budgetReached"_s, jsonBool(usage.budgetReachedType.has_value())},
         {u"budgetLimitType"_s,
          usage.budgetReachedType && !usage.budgetReachedType->isEmpty() ? jsonString(*usage.budgetReachedType)
                                                                         : u"null"_s},
         {u"unlimited"_s, unlimitedJson(usage.unlimited, level + 1)}},
        level);
}

QString providerJson(const ProviderStatus &provider, const QList<HistorySample> &history, const QDateTime &now,
                     int level)
{
    const ProviderState &state = provider.state;
    return jsonObject({{u"id"_s, jsonString(provider.id)},
                       {u"name"_s, jsonString(provider.name)},
                       {u"available"_s, jsonBool(provider.available)},
                       {u"usage"_s, state.usage ? usageJson(provider, history, now, level + 1) : u"null"_s},
                       {u"lastUpdated"_s, jsonTime(state.lastUpdated)},
                       {u"error"_s, state.error ? jsonString(*state.error) : u"null"_s},
                       {u"errorDetail"_s, state.errorDetail ? jsonString(*state.errorDetail) : u"null"_s},
                       {u"stale"_s, jsonBool(state.isStale())},
                       {u"nextAttemptAfter"_s, jsonTime(state.heldUntil)}},
                      level);
}

// ANSI select graphic rendition codes.
const QString Reset = u"\x1b[0m"_s;
const QString Bold = u"\x1b[1m"_s;
const QString Dim = u"\x1b[2m"_s;

QString ansiColour(NamedColor colour)
{
    switch (colour) {
    case NamedColor::Green: return u"\x1b[32m"_s;
    case NamedColor::Yellow:
    case NamedColor::Orange: return u"\x1b[33m"_s;
    case NamedColor::Red: return u"\x1b[31m"_s;
    }
    return {};
}

QString paint(const QString &text, const QString &style, bool colour)
{
    return colour ? style + text + Reset : text;
}

} // namespace

QString colourName(NamedColor colour)
{
    switch (colour) {
    case NamedColor::Green: return u"green"_s;
    case NamedColor::Yellow: return u"yellow"_s;
    case NamedColor::Orange: return u"orange"_s;
    case NamedColor::Red: return u"red"_s;
    }
    return u"green"_s;
}

QString isoTimestamp(const QDateTime &moment)
{
    return moment.toUTC().toString(Qt::ISODateWithMs);
}

QByteArray statusJson(const StatusSnapshot &snapshot, const QDateTime &now)
{
    QStringList providers;
    for (const ProviderStatus &provider : snapshot.providers)
        providers.append(providerJson(provider, snapshot.history, now, 2));
    const QString document = jsonObject({{u"lastUpdated"_s, jsonTime(snapshot.lastUpdated)},
                                         {u"statusColor"_s, jsonString(colourName(snapshot.statusColor))},
                                         {u"providers"_s, jsonArray(providers, 1)}},
                                        0);
    return document.toUtf8() + '\n';
}

QString usageBar(double utilization, int width)
{
    const double fraction = filledFraction(utilization);
    const int filled = fraction > 0.0 ? std::clamp(static_cast<int>(fraction * width), 1, width) : 0;
    return QString(filled, QChar(0x2588)) + QString(width - filled, QChar(0x2591)); // █ and ░
}

namespace {

// The columns a terminal gives a text: two for each wide character (the
// Japanese texts bring them into the columns), one for the others.
qsizetype terminalColumns(const QString &text)
{
    qsizetype columns = 0;
    for (const char32_t c : text.toUcs4()) {
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
            || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
            || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
        columns += wide ? 2 : 1;
    }
    return columns;
}

QString padded(const QString &text, qsizetype columns)
{
    return text + QString(std::max<qsizetype>(columns - terminalColumns(text), 0), u' ');
}

// The widths of the name and percentage columns, across all providers.
struct TextColumns
{
    qsizetype name = 0;
    qsizetype percent = 0;
};

TextColumns textColumns(const StatusSnapshot &snapshot, DisplayAs displayAs)
{
    TextColumns columns;
    for (const ProviderStatus &provider : snapshot.providers) {
        if (!provider.available || !provider.state.usage)
            continue;
        if (provider.state.usage->credits)
            columns.name = std::max(columns.name, terminalColumns(creditsTitle(*provider.state.usage->credits)));
        for (const UsageLimit &limit : provider.state.usage->limits) {
            columns.name = std::max(columns.name, terminalColumns(limit.name));
            columns.percent = std::max(columns.percent, usageText(limit.utilization, displayAs).size());
        }
    }
    return columns;
}

// The rows of a provider with figures: its limits, credits, notes and, when
// they are kept after a failure, how old they are.
void appendUsageLines(QStringList &lines, const ProviderStatus &provider, const TextColumns &columns,
                      const QList<HistorySample> &history, const QDateTime &now, const TextOptions &options)
{
    const bool colour = options.colour;
    const ProviderState &state = provider.state;
    for (const UsageLimit &limit : state.usage->limits) {
        const QString band = ansiColour(bandColor(limit.utilization));
        QString line = u"  "_s + padded(limit.name, columns.name) + u"  "_s
            + paint(usageText(limit.utilization, options.displayAs).rightJustified(columns.percent), band, colour)
            + u"  "_s + paint(usageBar(limit.utilization), band, colour);
        if (limit.resetTime)
            line += u"  "_s + resetText(*limit.resetTime, now) + u" ("_s
                + resetClockText(*limit.resetTime, now, options.zone, options.locale) + u')';
        lines.append(line);
        if (const auto projection = recentProjection(provider.id, limit, history, now))
            lines.append(u"    "_s + paint(paceProjectionText(*projection, now), band, colour));
    }
    if (const auto &credits = state.usage->credits) {
        QString line = u"  "_s + padded(creditsTitle(*credits), columns.name) + u"  "_s + creditsValueText(*credits);
        if (const auto used = credits->usedPercent())
            line += u"  "_s + paint(usageBar(*used), ansiColour(bandColor(*used)), colour);
        lines.append(line);
    }
    for (const QString &note : usageNotes(*state.usage))
        lines.append(u"  "_s + note);
    if (state.isStale() && state.lastUpdated)
        lines.append(u"  "_s
                     + paint(asOfText(*state.lastUpdated, options.zone) + u" \u00B7 "_s + *state.error, Dim, colour));
}

void appendProviderLines(QStringList &lines, const ProviderStatus &provider, const TextColumns &columns,
                         const QList<HistorySample> &history, const QDateTime &now, const TextOptions &options)
{
    const bool colour = options.colour;
    lines.append(paint(provider.name, Bold, colour));
    const ProviderState &state = provider.state;
    if (!provider.available) {
        lines.append(u"  "_s
                     + paint(QCoreApplication::translate("Status", "Not available (not logged in)"), Dim, colour));
    } else if (state.error && !state.isStale()) {
        // Several lines of an error each get the indent.
        const QStringList errorLines = state.error->split(u'\n');
        for (const QString &line : errorLines)
            lines.append(u"  "_s + paint(line, ansiColour(NamedColor::Red), colour));
        if (state.errorDetail)
            lines.append(u"  "_s + paint(*state.errorDetail, Dim, colour));
    } else if (!state.usage) {
        lines.append(u"  "_s + QCoreApplication::translate("Status", "No usage yet"));
    } else if (state.usage->limits.isEmpty() && !state.usage->credits) {
        lines.append(u"  "_s + QCoreApplication::translate("Status", "No limits reported"));
    } else {
        appendUsageLines(lines, provider, columns, history, now, options);
    }
}

} // namespace

QString statusText(const StatusSnapshot &snapshot, const QDateTime &now, const TextOptions &options)
{
    QStringList lines;
    const bool anyAvailable = std::any_of(snapshot.providers.cbegin(), snapshot.providers.cend(),
                                          [](const ProviderStatus &p) { return p.available; });
    if (!anyAvailable) {
        lines.append(EmptyStateMessage);
    } else {
        const TextColumns columns = textColumns(snapshot, options.displayAs);
        for (const ProviderStatus &provider : snapshot.providers) {
            if (!lines.isEmpty())
                lines.append(QString());
            appendProviderLines(lines, provider, columns, snapshot.history, now, options);
        }
    }
    if (snapshot.lastUpdated && snapshot.lastUpdated->isValid()) {
        lines.append(QString());
        lines.append(paint(QCoreApplication::translate("Status", "Updated %1")
                               .arg(snapshot.lastUpdated->toLocalTime().toString(u"HH:mm:ss"_s)),
                           Dim, options.colour));
    }
    return lines.join(u'\n') + u'\n';
}

bool shouldUseColour(bool stdoutIsTerminal, const QByteArray &noColorValue)
{
    return stdoutIsTerminal && noColorValue.isEmpty();
}

int statusExitCode(const StatusSnapshot &snapshot)
{
    bool anyAvailable = false;
    for (const ProviderStatus &provider : snapshot.providers) {
        if (!provider.available)
            continue;
        anyAvailable = true;
        if (provider.state.error)
            return 1;
    }
    return anyAvailable ? 0 : 1;
}
