#include "presentation/TitleLayout.h"

#include "core/UsageProvider.h"
#include "presentation/LimitRows.h"
#include "presentation/ProviderLook.h"
#include "presentation/UsageFigures.h"
#include "presentation/UsageText.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The binding limit of the mode's kind: the label's text never decides.
const UsageLimit *chosenLimit(const ProviderUsageResponse &usage, DisplayMode mode)
{
    return bindingLimit(usage, mode == DisplayMode::Session ? LimitKind::Session : LimitKind::Weekly);
}

// The band follows the number shown, not the raw value: 89.9 shows 89 and is orange.
Band bandOfShown(double value)
{
    const auto shown = truncatedPercent(value);
    return shown ? bandFor(static_cast<double>(*shown)) : Band::Low;
}

// Likewise the bar: two values that show the same number draw the same icon.
double fillOfShown(double value, DisplayAs as)
{
    const auto shown = truncatedPercent(value);
    if (!shown)
        return 0.0;
    if (as == DisplayAs::Used)
        return filledFraction(static_cast<double>(*shown));
    // What is left is written as the whole percent below it: "24% left" for 75.5 used.
    return std::floor(std::clamp(100.0 - value, 0.0, 100.0)) / 100.0;
}

const ProviderUsageResponse *usageOf(const std::shared_ptr<UsageProvider> &provider,
                                     const QHash<QString, ProviderState> &states)
{
    const auto state = states.constFind(provider->id());
    if (state == states.cend() || !state->usage)
        return nullptr;
    return &*state->usage;
}

TitleLayout glyphTitle(QStringView glyph)
{
    TitleLayout title;
    title.pieces.append(TitlePiece{TitlePiece::Kind::Glyph, glyph.toString(), {}, Band::Low});
    return title;
}

} // namespace

QString TitleLayout::text() const
{
    QString result;
    for (const TitlePiece &piece : pieces) {
        switch (piece.kind) {
        case TitlePiece::Kind::IconImage:
        case TitlePiece::Kind::IconText: result += piece.name + u' '; break;
        case TitlePiece::Kind::Glyph: result += piece.text == NoUsageGlyph ? NoUsageText : LoadingText; break;
        case TitlePiece::Kind::Percentage:
            result += piece.limitName.isEmpty() ? piece.text : piece.limitName + u' ' + piece.text;
            break;
        default: result += piece.text;
        }
    }
    return result;
}

QString TitleLayout::widestText() const
{
    TitleLayout widest = *this;
    for (TitlePiece &piece : widest.pieces) {
        // The figure is the text before "%" ("7", "--"); "% left" stays.
        const qsizetype percent = piece.text.indexOf(u'%');
        if (piece.kind == TitlePiece::Kind::Percentage && percent >= 0)
            piece.text.replace(0, percent, u"100"_s);
    }
    return widest.text();
}

QString TitleLayout::label() const
{
    const QList<TitlePiece> shown = percentages();
    if (shown.size() <= 2)
        return text();
    QStringList parts;
    QString mark;
    for (const TitlePiece &piece : pieces) {
        if (piece.kind == TitlePiece::Kind::IconImage || piece.kind == TitlePiece::Kind::IconText)
            mark = piece.mark;
        else if (piece.kind == TitlePiece::Kind::Percentage) {
            // The figure only: "76" of "76%" or of "76% left".
            const qsizetype percent = piece.text.indexOf(u'%');
            parts.append(mark + u' ' + (percent < 0 ? piece.text : piece.text.first(percent)));
        }
    }
    return parts.join(ProviderSeparator);
}

QString TitleLayout::widestLabel() const
{
    if (percentages().size() <= 2)
        return widestText();
    TitleLayout widest = *this;
    for (TitlePiece &piece : widest.pieces) {
        if (piece.kind == TitlePiece::Kind::Percentage)
            piece.text = u"100%"_s;
    }
    return widest.label();
}

bool TitleLayout::hasUsage() const
{
    return std::any_of(pieces.cbegin(), pieces.cend(),
                       [](const TitlePiece &piece) { return piece.kind == TitlePiece::Kind::Percentage; });
}

QList<TitlePiece> TitleLayout::percentages() const
{
    QList<TitlePiece> result;
    for (const TitlePiece &piece : pieces) {
        if (piece.kind == TitlePiece::Kind::Percentage)
            result.append(piece);
    }
    return result;
}

QString providerMark(const QString &id, const QString &name)
{
    return providerLook(id, name).letter;
}

ProviderList titleProviders(const ProviderList &available, const QStringList &leftOut)
{
    ProviderList shown;
    for (const auto &provider : available) {
        if (!leftOut.contains(provider->id()))
            shown.append(provider);
    }
    return shown.isEmpty() ? available : shown;
}

TitleLayout loadingTitle()
{
    return glyphTitle(LoadingGlyph);
}

TitleLayout layoutTitle(const ProviderList &available, const QHash<QString, ProviderState> &states, bool isLoading,
                        DisplayMode mode, DisplayAs as)
{
    TitleLayout title;
    bool shownAny = false;
    for (const auto &provider : available) {
        const ProviderUsageResponse *usage = usageOf(provider, states);
        if (!usage)
            continue;
        if (shownAny)
            title.pieces.append(TitlePiece{TitlePiece::Kind::Separator, ProviderSeparator.toString(), {}, Band::Low});

        const ProviderLook look = providerLook(provider->id(), provider->name());
        const bool hasArtwork = !look.artwork.isEmpty();
        title.pieces.append(TitlePiece{hasArtwork ? TitlePiece::Kind::IconImage : TitlePiece::Kind::IconText,
                                       look.symbol.isEmpty() ? look.letter : look.symbol, look.artwork, Band::Low,
                                       provider->name(), look.letter});

        const UsageLimit *limit = chosenLimit(*usage, mode);
        const double value = limit ? limit->utilization : usage->maxUtilization();
        TitlePiece percentage{TitlePiece::Kind::Percentage, usageText(value, as), {}, bandOfShown(value)};
        percentage.fill = fillOfShown(value, as);
        if (limit)
            percentage.limitName = bindingLimitName(*usage, *limit).value_or(QString());
        title.pieces.append(percentage);
        shownAny = true;
    }
    if (!shownAny)
        return glyphTitle(isLoading ? LoadingGlyph : NoUsageGlyph);
    return title;
}

QStringList providerSummaryLines(const ProviderList &available, const QHash<QString, ProviderState> &states,
                                 DisplayMode mode, DisplayAs as, const QDateTime &now)
{
    QStringList lines;
    for (const auto &provider : available) {
        const auto state = states.constFind(provider->id());
        if (state == states.cend())
            continue;
        if (state->usage) {
            const UsageLimit *limit = chosenLimit(*state->usage, mode);
            const double value = limit ? limit->utilization : state->usage->maxUtilization();
            const QString what = limit ? u" \u2014 "_s + limit->name : QString();
            QString line = provider->name() + what + u": "_s + usageText(value, as);
            if (state->isStale() && state->lastUpdated)
                line += u" ("_s + asOfText(*state->lastUpdated, now) + u')';
            lines.append(line);
        } else if (state->error) {
            lines.append(provider->name() + u": "_s + *state->error);
        }
    }
    return lines;
}

const UsageLimit *titleLimit(const ProviderUsageResponse &usage, DisplayMode mode)
{
    return chosenLimit(usage, mode);
}
