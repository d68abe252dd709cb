#include "presentation/PanelModel.h"

#include "core/UsageProvider.h"
#include "presentation/EmptyState.h"
#include "presentation/LimitRows.h"
#include "presentation/Pace.h"
#include "presentation/ProviderLook.h"
#include "presentation/RecentPace.h"
#include "presentation/TimeFormat.h"
#include "presentation/UsageText.h"

#include <QCoreApplication>

#include <algorithm>

using namespace Qt::StringLiterals;

PanelModel buildPanelModel(const PanelInput &input, const QDateTime &now)
{
    PanelModel model;
    model.refreshButton = refreshButtonState(input.isLoading);
    model.pickerSelection = input.displayMode;
    model.displayAsSelection = input.displayAs;
    model.content = contentBranch(input.isLoading || nothingKnownYet(input.lastUpdated), input.providerStates);
    if (model.content == ContentBranch::LoadingPlaceholder)
        return model;

    for (const auto &provider : input.availableProviders) {
        const auto state = input.providerStates.constFind(provider->id());
        if (state == input.providerStates.cend())
            continue;
        model.sections.append(sectionModel(*state, now, input.displayAs, input.history));
    }
    model.showsEmptyState = input.availableProviders.isEmpty();
    if (input.lastUpdated)
        model.footer = FooterModel{input.statusColor, footerText(*input.lastUpdated, now)};
    return model;
}

PanelInput panelInputFrom(const UsageManager &manager, DisplayMode displayMode, DisplayAs displayAs)
{
    return PanelInput{manager.knownAvailableProviders(),
                      manager.providerStates(),
                      manager.isLoading(),
                      manager.lastUpdated(),
                      manager.statusColor(),
                      displayMode,
                      displayAs};
}

ContentBranch contentBranch(bool isLoading, const QHash<QString, ProviderState> &states)
{
    if (!isLoading)
        return ContentBranch::ProviderList;
    // During a refresh the last figures stay up; the placeholder is only for a first fetch.
    for (const ProviderState &state : states) {
        if (state.usage)
            return ContentBranch::ProviderList;
    }
    return ContentBranch::LoadingPlaceholder;
}

RefreshButtonState refreshButtonState(bool isLoading)
{
    if (isLoading)
        return RefreshButtonState{false, 0.7, true};
    return RefreshButtonState{true, 1.0, false};
}

SectionBody sectionBody(const ProviderState &state)
{
    if (state.error && !state.isStale())
        return SectionBody::Error;
    if (state.usage)
        return SectionBody::Rows;
    return SectionBody::Waiting;
}

SectionModel sectionModel(const ProviderState &state, const QDateTime &now, DisplayAs as,
                          const QList<HistorySample> &history)
{
    SectionModel section;
    if (state.provider) {
        section.id = state.provider->id();
        section.title = state.provider->name().toUpper();
        const ProviderLook look = providerLook(section.id, state.provider->name());
        section.iconText = look.symbol.isEmpty() ? look.letter : look.symbol;
        if (!look.artwork.isEmpty())
            section.iconName = look.artwork;
    }
    section.isLoading = state.isLoading;
    section.body = sectionBody(state);
    if (section.body == SectionBody::Error) {
        section.errorText = *state.error;
        section.errorDetailText = state.errorDetail.value_or(QString());
    } else if (section.body == SectionBody::Rows) {
        for (const UsageLimit &limit : state.usage->limits) {
            const QList<HistorySample> samples = samplesOf(history, section.id, limit.name);
            RowModel row = rowModel(limit, now, as, samples);
            if (!history.isEmpty())
                row.chart = windowChart(limit, samples, now);
            section.rows.append(row);
        }
        if (state.usage->credits)
            section.rows.append(creditsRowModel(*state.usage->credits));
        section.notes = usageNotes(*state.usage);
        if (state.isStale() && state.lastUpdated)
            section.staleText = asOfText(*state.lastUpdated, now) + u" \u00B7 "_s + state.error->simplified();
    }
    return section;
}

RowModel creditsRowModel(const UsageCredits &credits)
{
    RowModel row;
    row.title = creditsTitle(credits);
    row.percentText = creditsValueText(credits);
    if (const auto used = credits.usedPercent()) {
        row.color = bandColor(*used);
        row.filledFraction = filledFraction(*used);
    }
    return row;
}

RowModel rowModel(const UsageLimit &limit, const QDateTime &now, DisplayAs as, const QList<HistorySample> &history)
{
    RowModel row;
    row.title = limit.name;
    row.percentText = usageText(limit.utilization, as);
    row.color = bandColor(limit.utilization);
    row.filledFraction = filledFraction(limit.utilization, as);
    if (limit.resetTime) {
        row.resetText = resetText(*limit.resetTime, now);
        row.resetClock = QCoreApplication::translate("Common", "Resets %1").arg(resetClockText(*limit.resetTime, now));
    }
    // A bar of what is left meets the time left, not the time gone.
    row.paceMarker = elapsedFraction(limit, now);
    if (row.paceMarker && as == DisplayAs::Remaining)
        row.paceMarker = 1.0 - *row.paceMarker;
    if (const auto projection = recentProjection(limit, history, now))
        row.projectionText = paceProjectionText(*projection, now);
    return row;
}

QString elapsedText(const QDateTime &since, const QDateTime &now)
{
    // A clock set back makes the last update lie ahead; that reads as just now.
    const qint64 seconds = std::max<qint64>(since.secsTo(now), 0);
    if (seconds < 60)
        return QCoreApplication::translate("Panel", "%1 sec").arg(seconds);
    const qint64 minutes = seconds / 60;
    if (minutes < 60)
        return QCoreApplication::translate("Panel", "%1 min").arg(minutes);
    const qint64 hours = minutes / 60;
    if (hours < 24) {
        const qint64 rest = minutes % 60;
        return rest == 0 ? QCoreApplication::translate("Panel", "%1 hr").arg(hours)
                         : QCoreApplication::translate("Panel", "%1 hr, %2 min").arg(hours).arg(rest);
    }
    const qint64 days = hours / 24;
    return days == 1 ? QCoreApplication::translate("Panel", "1 day")
                     : QCoreApplication::translate("Panel", "%1 days").arg(days);
}

QString footerText(const QDateTime &lastUpdated, const QDateTime &now)
{
    return QCoreApplication::translate("Panel", "Updated %1 ago").arg(elapsedText(lastUpdated, now));
}

int pickerIndex(DisplayMode mode)
{
    return mode == DisplayMode::Session ? 1 : 0;
}

DisplayMode displayModeForPickerIndex(int index)
{
    return index == 1 ? DisplayMode::Session : DisplayMode::Weekly;
}

int pickerIndex(DisplayAs as)
{
    return as == DisplayAs::Remaining ? 1 : 0;
}

DisplayAs displayAsForPickerIndex(int index)
{
    return index == 1 ? DisplayAs::Remaining : DisplayAs::Used;
}
