#include "presentation/TitleLayout.h"

#include "core/UsageProvider.h"
#include "presentation/UsageText.h"

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

std::array<QStringView, 2> markersFor(DisplayMode mode)
{
    if (mode == DisplayMode::Session)
        return {u"5", u"Session"};
    return {u"Weekly", u"7d"};
}

// The earliest limit whose name holds either marker; both markers are tried
// on one limit before the next is looked at.
const UsageLimit *chosenLimit(const ProviderUsageResponse &usage, DisplayMode mode)
{
    const auto markers = markersFor(mode);
    for (const UsageLimit &limit : usage.limits) {
        for (QStringView marker : markers) {
            if (limit.name.contains(marker))
                return &limit;
        }
    }
    return nullptr;
}

// The band follows the number shown, not the raw value: 89.9 shows 89 and is orange.
Band bandOfShown(double value)
{
    const auto shown = truncatedPercent(value);
    return shown ? bandFor(static_cast<double>(*shown)) : Band::Low;
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

bool isIcon(TitlePiece::Kind kind)
{
    return kind == TitlePiece::Kind::IconImage || kind == TitlePiece::Kind::IconText;
}

} // namespace

QString TitleLayout::text() const
{
    QString result;
    for (const TitlePiece &piece : pieces) {
        result += piece.text;
        if (isIcon(piece.kind))
            result += u' ';
    }
    return result;
}

QString TitleLayout::widestText() const
{
    QString result;
    for (const TitlePiece &piece : pieces) {
        if (piece.kind == TitlePiece::Kind::Percentage)
            result += piece.text.size() > 4 ? piece.text : u"100%"_s;
        else
            result += piece.text;
        if (isIcon(piece.kind))
            result += u' ';
    }
    return result;
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
            title.pieces.append(TitlePiece{TitlePiece::Kind::Separator, u"  "_s, {}, Band::Low});

        const auto iconName = provider->iconName();
        if (iconName && !iconName->isEmpty())
            title.pieces.append(TitlePiece{TitlePiece::Kind::IconImage, provider->icon(), *iconName, Band::Low});
        else
            title.pieces.append(TitlePiece{TitlePiece::Kind::IconText, provider->icon(), {}, Band::Low});

        const UsageLimit *limit = chosenLimit(*usage, mode);
        const double value = limit ? limit->utilization : usage->maxUtilization();
        title.pieces.append(TitlePiece{TitlePiece::Kind::Percentage, usageText(value, as), {}, bandOfShown(value)});
        shownAny = true;
    }
    if (!shownAny)
        return glyphTitle(isLoading ? LoadingGlyph : NoUsageGlyph);
    return title;
}

QStringList providerSummaryLines(const ProviderList &available, const QHash<QString, ProviderState> &states,
                                 DisplayMode mode, DisplayAs as)
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
            lines.append(provider->name() + what + u": "_s + usageText(value, as));
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
