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
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A minimal JSON writer that keeps members in the order given; QJsonObject
// would sort them, and would not let us decide how non-finite numbers look.
// It writes into one string as it goes, two spaces deeper for each level.
class JsonWriter
{
public:
    JsonWriter() { m_text.reserve(8192); }

    // Members follow as key() and a value; items as values.
    void beginObject() { open(u'{'); }
    void endObject() { close(u'}', u"\n\n"); }
    void beginArray() { open(u'['); }
    void endArray() { close(u']', u""); }

    JsonWriter &key(QLatin1StringView name)
    {
        nextItem();
        m_text += u'"';
        m_text += name;
        m_text += u"\": ";
        return *this;
    }

    void string(const QString &text)
    {
        nextValue();
        m_text.reserve(m_text.size() + text.size() + 2);
        m_text += u'"';
        for (const QChar c : text) {
            switch (c.unicode()) {
            case u'"': m_text += u"\\\""; break;
            case u'\\': m_text += u"\\\\"; break;
            case u'\n': m_text += u"\\n"; break;
            case u'\r': m_text += u"\\r"; break;
            case u'\t': m_text += u"\\t"; break;
            case u'\b': m_text += u"\\b"; break;
            case u'\f': m_text += u"\\f"; break;
            default:
                if (c.unicode() < 0x20)
                    m_text += u"\\u%1"_s.arg(uint(c.unicode()), 4, 16, QChar(u'0'));
                else
                    m_text += c;
            }
        }
        m_text += u'"';
    }
    void string(const std::optional<QString> &text)
    {
        if (text)
            string(*text);
        else
            null();
    }

    void number(double value)
    {
        if (!std::isfinite(value))
            return null();
        raw(QString::number(value, 'g', QLocale::FloatingPointShortest));
    }
    // Absent is written as null, as NaN is.
    void number(std::optional<double> value) { number(value.value_or(std::numeric_limits<double>::quiet_NaN())); }
    void integer(qint64 value) { raw(QString::number(value)); }
    void integer(const std::optional<qint64> &value)
    {
        if (value)
            integer(*value);
        else
            null();
    }

    void time(const std::optional<QDateTime> &moment)
    {
        if (!moment || !moment->isValid())
            return null();
        string(isoTimestamp(*moment));
    }

    void boolean(bool value) { raw(value ? u"true"_s : u"false"_s); }
    void null() { raw(u"null"_s); }

    QByteArray document()
    {
        m_text += u'\n';
        return m_text.toUtf8();
    }

private:
    struct Level
    {
        bool empty = true;
    };

    void open(QChar bracket)
    {
        nextValue();
        m_text += bracket;
        m_levels.push_back({});
    }

    // An empty object keeps the blank line between its braces; an empty array has none.
    void close(QChar bracket, QStringView whenEmpty)
    {
        const bool empty = m_levels.back().empty;
        m_levels.pop_back();
        if (empty && !whenEmpty.isEmpty()) {
            m_text += whenEmpty;
            indent(m_levels.size());
        } else if (!empty) {
            m_text += u'\n';
            indent(m_levels.size());
        }
        m_text += bracket;
    }

    // Where the next member or item starts.
    void nextItem()
    {
        Level &level = m_levels.back();
        m_text += level.empty ? u"\n" : u",\n";
        level.empty = false;
        indent(m_levels.size());
        m_afterKey = true;
    }

    // A value after its key, or an item of an array.
    void nextValue()
    {
        if (m_afterKey)
            m_afterKey = false;
        else if (!m_levels.empty())
            nextItem(), m_afterKey = false;
    }

    void raw(const QString &text)
    {
        nextValue();
        m_text += text;
    }

    void indent(qsizetype level) { m_text.resize(m_text.size() + level * 2, u' '); }

    QString m_text;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};

void writeMoney(JsonWriter &json, const std::optional<Money> &money)
{
    if (!money)
        return json.null();
    json.beginObject();
    json.key("amountMinor"_L1).integer(money->amountMinor);
    json.key("exponent"_L1).integer(money->exponent);
    json.key("currency"_L1);
    if (money->currency.isEmpty())
        json.null();
    else
        json.string(money->currency);
    json.key("text"_L1).string(moneyText(*money));
    json.endObject();
}

// The names of the limits the plan does not cap.
void writeUnlimited(JsonWriter &json, const QStringList &names)
{
    json.beginArray();
    for (const QString &name : names)
        json.string(name);
    json.endArray();
}

void writeCredits(JsonWriter &json, const std::optional<UsageCredits> &credits)
{
    if (!credits)
        return json.null();
    json.beginObject();
    writeMoney(json.key("used"_L1), credits->used);
    writeMoney(json.key("limit"_L1), credits->limit);
    json.key("utilization"_L1).number(credits->usedPercent());
    json.key("balance"_L1).string(credits->balance);
    json.key("unlimited"_L1).boolean(credits->unlimited);
    json.key("text"_L1).string(creditsTitle(*credits) + u' ' + creditsValueText(*credits));
    json.endObject();
}

// The binding limit of a kind, by name, or null.
void writeBinding(JsonWriter &json, const ProviderUsageResponse &usage, LimitKind kind)
{
    const UsageLimit *limit = bindingLimit(usage, kind);
    if (!limit)
        return json.null();
    json.beginObject();
    json.key("name"_L1).string(limit->name);
    json.key("slug"_L1).string(limitSlug(*limit));
    json.key("utilization"_L1).number(limit->utilization);
    json.endObject();
}

void writeProjection(JsonWriter &json, const std::optional<PaceProjection> &projection, const QDateTime &now)
{
    if (!projection)
        return json.null();
    json.beginObject();
    json.key("exhaustion"_L1).time(projection->exhaustion);
    json.key("basis"_L1).string(paceBasisName(projection->basis));
    json.key("text"_L1).string(paceProjectionText(*projection, now));
    json.endObject();
}

void writeUsage(JsonWriter &json, const ProviderStatus &provider, const QList<HistorySample> &history,
                const QDateTime &now)
{
    const ProviderUsageResponse &usage = *provider.state.usage;
    json.beginObject();
    json.key("maxUtilization"_L1).number(usage.maxUtilization());
    json.key("binding"_L1).beginObject();
    writeBinding(json.key("session"_L1), usage, LimitKind::Session);
    writeBinding(json.key("weekly"_L1), usage, LimitKind::Weekly);
    json.endObject();
    json.key("limits"_L1).beginArray();
    for (const UsageLimit &limit : usage.limits) {
        json.beginObject();
        json.key("name"_L1).string(limit.name);
        json.key("slug"_L1).string(limitSlug(limit));
        json.key("scope"_L1).string(limit.scope);
        json.key("utilization"_L1).number(limit.utilization);
        json.key("resetTime"_L1).time(limit.resetTime);
        json.key("kind"_L1).string(limitKindName(limit.kind));
        json.key("windowSeconds"_L1).integer(limit.windowSeconds);
        json.key("elapsedFraction"_L1).number(elapsedFraction(limit, now));
        json.key("projectedExhaustion"_L1).time(projectedExhaustion(limit, now));
        writeProjection(json.key("projection"_L1), recentProjection(provider.id, limit, history, now), now);
        json.endObject();
    }
    json.endArray();
    writeCredits(json.key("credits"_L1), usage.credits);
    json.key("resetsBanked"_L1).integer(usage.resetsBanked);
    json.key("budgetReached"_L1).boolean(usage.budgetReachedType.has_value());
    json.key("budgetLimitType"_L1);
    if (usage.budgetReachedType && !usage.budgetReachedType->isEmpty())
        json.string(*usage.budgetReachedType);
    else
        json.null();
    writeUnlimited(json.key("unlimited"_L1), usage.unlimited);
    json.endObject();
}

void writeProvider(JsonWriter &json, const ProviderStatus &provider, const QList<HistorySample> &history,
                   const QDateTime &now)
{
    const ProviderState &state = provider.state;
    json.beginObject();
    json.key("id"_L1).string(provider.id);
    json.key("name"_L1).string(provider.name);
    json.key("available"_L1).boolean(provider.available);
    json.key("usage"_L1);
    if (state.usage)
        writeUsage(json, provider, history, now);
    else
        json.null();
    json.key("lastUpdated"_L1).time(state.lastUpdated);
    json.key("error"_L1).string(state.error);
    json.key("errorDetail"_L1).string(state.errorDetail);
    json.key("stale"_L1).boolean(state.isStale());
    json.key("nextAttemptAfter"_L1).time(state.heldUntil);
    json.endObject();
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
    const QDateTime utc = moment.toUTC();
    const QDate date = utc.date();
    const QTime time = utc.time();
    // Qt's own form, "2026-05-04T09:03:07.250Z", without its general
    // formatter, which costs ten times as much; --json writes one per limit.
    if (!date.isValid() || !time.isValid() || date.year() < 0 || date.year() > 9999)
        return utc.toString(Qt::ISODateWithMs);
    char16_t text[] = u"0000-00-00T00:00:00.000Z";
    const auto put = [&text](qsizetype end, int value) {
        for (qsizetype i = end; value > 0; --i, value /= 10)
            text[i] = char16_t(u'0' + value % 10);
    };
    put(3, date.year());
    put(6, date.month());
    put(9, date.day());
    put(12, time.hour());
    put(15, time.minute());
    put(18, time.second());
    put(22, time.msec());
    return QString(reinterpret_cast<const QChar *>(text), qsizetype(std::size(text)) - 1);
}

QByteArray statusJson(const StatusSnapshot &snapshot, const QDateTime &now)
{
    JsonWriter json;
    json.beginObject();
    json.key("lastUpdated"_L1).time(snapshot.lastUpdated);
    json.key("statusColor"_L1).string(colourName(snapshot.statusColor));
    json.key("providers"_L1).beginArray();
    for (const ProviderStatus &provider : snapshot.providers)
        writeProvider(json, provider, snapshot.history, now);
    json.endArray();
    json.endObject();
    return json.document();
}

namespace {

QString barOf(double fraction, int width)
{
    const int filled = fraction > 0.0 ? std::clamp(static_cast<int>(fraction * width), 1, width) : 0;
    return QString(filled, QChar(0x2588)) + QString(width - filled, QChar(0x2591)); // █ and ░
}

} // namespace

QString usageBar(double utilization, int width)
{
    return barOf(filledFraction(utilization), width);
}

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

QString paddedToColumns(const QString &text, qsizetype columns)
{
    return text + QString(std::max<qsizetype>(columns - terminalColumns(text), 0), u' ');
}

namespace {

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
        QString line = u"  "_s + paddedToColumns(limit.name, columns.name) + u"  "_s
            + paint(usageText(limit.utilization, options.displayAs).rightJustified(columns.percent), band, colour)
            // The bar fills with the share the text gives: what is left, when that is shown.
            + u"  "_s + paint(barOf(filledFraction(limit.utilization, options.displayAs), 20), band, colour);
        if (limit.resetTime)
            line += u"  "_s + resetText(*limit.resetTime, now) + u" ("_s
                + resetClockText(*limit.resetTime, now, options.zone, options.locale) + u')';
        lines.append(line);
        if (const auto projection = recentProjection(provider.id, limit, history, now))
            lines.append(u"    "_s + paint(paceProjectionText(*projection, now), band, colour));
    }
    if (const auto &credits = state.usage->credits) {
        QString line
            = u"  "_s + paddedToColumns(creditsTitle(*credits), columns.name) + u"  "_s + creditsValueText(*credits);
        if (const auto used = credits->usedPercent())
            line += u"  "_s + paint(usageBar(*used), ansiColour(bandColor(*used)), colour);
        lines.append(line);
    }
    for (const QString &note : usageNotes(*state.usage))
        lines.append(u"  "_s + note);
    if (state.isStale() && state.lastUpdated)
        lines.append(
            u"  "_s
            + paint(asOfText(*state.lastUpdated, now, options.zone, options.locale) + u" \u00B7 "_s + *state.error, Dim,
                    colour));
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
    } else if (state.usage->limits.isEmpty() && !state.usage->credits && usageNotes(*state.usage).isEmpty()) {
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
