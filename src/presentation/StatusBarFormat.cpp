#include "presentation/StatusBarFormat.h"

#include "core/Bands.h"
#include "core/UsageProvider.h"
#include "presentation/LimitRows.h"
#include "presentation/ProviderLook.h"
#include "presentation/TitleLayout.h"
#include "presentation/TrayMenuModel.h"
#include "presentation/UsageText.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString Unknown = u"--"_s;

struct Shown
{
    ProviderList available;
    QHash<QString, ProviderState> states;
};

Shown shownOf(const StatusSnapshot &snapshot)
{
    Shown shown;
    for (const ProviderStatus &provider : snapshot.providers) {
        if (!provider.available || !provider.state.provider)
            continue;
        shown.available.append(provider.state.provider);
        shown.states.insert(provider.id, provider.state);
    }
    return shown;
}

QString bandClass(Band band)
{
    switch (band) {
    case Band::Low: return u"green"_s;
    case Band::Elevated: return u"orange"_s;
    case Band::Critical: return u"red"_s;
    }
    return u"green"_s;
}

// The provider's figure a field names: "session" and "weekly" the binding
// limit of that kind, "max" the highest of all, anything else the row by slug.
std::optional<double> providerField(const ProviderStatus &provider, const QString &field)
{
    if (!provider.available || !provider.state.usage)
        return std::nullopt;
    const ProviderUsageResponse &usage = *provider.state.usage;
    if (field == "max"_L1)
        return usage.limits.isEmpty() ? std::nullopt : std::optional(usage.maxUtilization());
    const UsageLimit *limit = nullptr;
    if (field == "session"_L1 || field == "weekly"_L1) {
        limit = bindingLimit(usage, field == "session"_L1 ? LimitKind::Session : LimitKind::Weekly);
    } else {
        const auto found = std::find_if(usage.limits.cbegin(), usage.limits.cend(),
                                        [&](const UsageLimit &row) { return limitSlug(row) == field; });
        limit = found == usage.limits.cend() ? nullptr : &*found;
    }
    return limit ? std::optional(limit->utilization) : std::nullopt;
}

// "claude.fable": a known provider or account and a slug.
bool isRowField(const QString &name, const QStringList &accountIds)
{
    const QString id = name.section(u'.', 0, 0);
    const QString slug = name.section(u'.', 1);
    if ((!StatusTemplate::providerIds().contains(id) && !accountIds.contains(id)) || slug.isEmpty())
        return false;
    return std::all_of(slug.cbegin(), slug.cend(),
                       [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_'; });
}

std::optional<double> highestUsed(const StatusSnapshot &snapshot)
{
    std::optional<double> highest;
    for (const ProviderStatus &provider : snapshot.providers) {
        if (provider.available && provider.state.usage && !provider.state.usage->limits.isEmpty())
            highest = std::max(highest.value_or(provider.state.usage->maxUtilization()),
                               provider.state.usage->maxUtilization());
    }
    return highest;
}

} // namespace

QByteArray waybarLine(const StatusSnapshot &snapshot, DisplayMode mode, DisplayAs as, const QStringList &titleLeftOut,
                      const QDateTime &now)
{
    const Shown shown = shownOf(snapshot);
    const ProviderList inTitle = titleProviders(shown.available, titleLeftOut);
    const TitleLayout title = layoutTitle(inTitle, shown.states, false, mode, as);

    // The figure that decides the class is the highest one the title shows.
    std::optional<double> highest;
    for (const auto &provider : inTitle) {
        const ProviderState &state = shown.states[provider->id()];
        if (!state.usage)
            continue;
        const UsageLimit *limit = titleLimit(*state.usage, mode);
        const double value = limit ? limit->utilization : state.usage->maxUtilization();
        if (std::isfinite(value))
            highest = std::max(highest.value_or(value), value);
    }

    // Every row of every provider, as the tray's menu lists them.
    TrayMenuInput input{shown.available, shown.states};
    input.displayAs = as;
    QStringList tooltip;
    for (const TrayMenuEntry &entry : buildTrayMenuModel(input, now).entries) {
        if (entry.role != TrayMenuEntry::Role::Figures)
            break;
        tooltip.append(entry.label);
    }

    QJsonObject line{
        // waybar reads these as Pango markup (unless its module sets "escape"),
        // and a bare "&" or "<" from a service blanks the whole module.
        {u"text"_s, title.label().toHtmlEscaped()},
        {u"tooltip"_s, tooltip.join(u'\n').toHtmlEscaped()},
        {u"class"_s, highest ? bandClass(bandFor(*highest)) : u"error"_s},
        {u"percentage"_s, highest ? qint64(truncatedPercent(*highest).value_or(0)) : 0},
    };
    return QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
}

QStringList StatusTemplate::fieldNames()
{
    QStringList names;
    for (const QString &id : providerIds())
        names << id + u".session"_s << id + u".weekly"_s << id + u".max"_s;
    return names << u"max"_s << u"status"_s;
}

QStringList StatusTemplate::providerIds()
{
    QStringList ids;
    for (const ProviderLook &look : providerLooks())
        ids.append(look.id);
    return ids;
}

QString StatusTemplate::rowFieldExamples()
{
    QStringList examples;
    for (const ProviderLook &look : providerLooks()) {
        if (!look.fieldExample.isEmpty())
            examples.append(look.fieldExample);
    }
    return examples.join(u' ');
}

std::optional<StatusTemplate> StatusTemplate::parse(const QString &text, QString *error,
                                                    const QStringList &accountIds)
{
    StatusTemplate result;
    QString literal;
    const auto flush = [&] {
        if (!literal.isEmpty())
            result.m_pieces.append(Piece{false, std::exchange(literal, QString())});
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if ((c == u'{' || c == u'}') && i + 1 < text.size() && text.at(i + 1) == c) {
            literal += c;
            ++i;
        } else if (c == u'{') {
            const qsizetype end = text.indexOf(u'}', i + 1);
            if (end < 0) {
                *error = u"unclosed \"{\" in the format"_s;
                return std::nullopt;
            }
            const QString name = text.mid(i + 1, end - i - 1);
            if (!fieldNames().contains(name) && !isRowField(name, accountIds)) {
                *error = u"unknown field \"{%1}\" in the format; known fields: {%2}, and a row of a provider by its "
                         u"name in lower case, \"_\" between words: %3"_s.arg(name, fieldNames().join(u"} {"_s),
                                                                              rowFieldExamples());
                return std::nullopt;
            }
            flush();
            result.m_pieces.append(Piece{true, name});
            i = end;
        } else if (c == u'}') {
            *error = u"a \"}\" without its \"{\" in the format; write \"}}\" for one"_s;
            return std::nullopt;
        } else {
            literal += c;
        }
    }
    flush();
    return result;
}

QString StatusTemplate::render(const StatusSnapshot &snapshot, DisplayAs as) const
{
    const auto figure = [as](std::optional<double> value) { return value ? usageText(*value, as) : Unknown; };
    QString line;
    for (const Piece &piece : m_pieces) {
        if (!piece.isField) {
            line += piece.text;
        } else if (piece.text == "max"_L1) {
            line += figure(highestUsed(snapshot));
        } else if (piece.text == "status"_L1) {
            line += colourName(snapshot.statusColor);
        } else {
            const QString id = piece.text.section(u'.', 0, 0);
            std::optional<double> value;
            for (const ProviderStatus &provider : snapshot.providers) {
                if (provider.id == id)
                    value = providerField(provider, piece.text.section(u'.', 1));
            }
            line += figure(value);
        }
    }
    // One line per refresh, whatever the template holds.
    line.replace(u'\n', u' ');
    return line + u'\n';
}
