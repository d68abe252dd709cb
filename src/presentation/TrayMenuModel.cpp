#include "presentation/TrayMenuModel.h"

#include "core/Bands.h"
#include "core/UsageProvider.h"
#include "presentation/EmptyState.h"
#include "presentation/LimitRows.h"
#include "presentation/TimeFormat.h"
#include "presentation/UsageText.h"

#include <QCoreApplication>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString Dot = u" \u00B7 "_s;

TrayMenuEntry figures(const QString &label)
{
    return TrayMenuEntry{TrayMenuEntry::Role::Figures, label, false, false};
}

// A menu row is one line, whatever the service or the network said.
QString oneLine(const QString &text)
{
    return text.simplified();
}

QString windowText(qint64 seconds)
{
    if (seconds % 86400 == 0)
        return u"%1d"_s.arg(seconds / 86400);
    if (seconds % 3600 == 0)
        return u"%1h"_s.arg(seconds / 3600);
    return u"%1m"_s.arg(seconds / 60);
}

} // namespace

QString limitDisplayName(const UsageLimit &limit)
{
    // "5 Hour" says its window already; "Weekly" or "Sonnet" do not.
    const bool nameHasLength = std::any_of(limit.name.cbegin(), limit.name.cend(), [](QChar c) { return c.isDigit(); });
    if (!limit.windowSeconds || *limit.windowSeconds < 60 || nameHasLength || isMonthLong(*limit.windowSeconds))
        return oneLine(limit.name);
    return u"%1 (%2)"_s.arg(oneLine(limit.name), windowText(*limit.windowSeconds));
}

QString limitRowText(const QString &providerName, const UsageLimit &limit, const QDateTime &now, DisplayAs displayAs,
                     const QTimeZone &zone)
{
    QString text = providerName + Dot + limitDisplayName(limit) + u' ' + usageText(limit.utilization, displayAs);
    if (limit.resetTime) {
        text += Dot + QCoreApplication::translate("Tray", "resets %1").arg(formatTimeRemaining(*limit.resetTime, now));
        if (*limit.resetTime > now)
            text += u" ("_s + resetClockText(*limit.resetTime, now, zone) + u')';
    }
    return text;
}

QStringList usageExtraLines(const ProviderUsageResponse &usage)
{
    QStringList lines;
    if (usage.credits)
        lines.append(creditsTitle(*usage.credits) + u' ' + creditsValueText(*usage.credits));
    for (const QString &note : usageNotes(usage))
        lines.append(note);
    return lines;
}

TrayMenuModel buildTrayMenuModel(const TrayMenuInput &input, const QDateTime &now)
{
    using Role = TrayMenuEntry::Role;
    TrayMenuModel model;
    QList<TrayMenuEntry> &rows = model.entries;
    for (const auto &provider : input.availableProviders) {
        const auto state = input.providerStates.constFind(provider->id());
        if (state == input.providerStates.cend())
            continue;
        const QString name = provider->name();
        if (state->error && !state->isStale()) {
            rows.append(figures(name + Dot + oneLine(*state->error)));
        } else if (state->usage && (!state->usage->limits.isEmpty() || !usageExtraLines(*state->usage).isEmpty())) {
            // A plan whose only news is a note ("Premium requests: Unlimited") says that, not 0%.
            for (const UsageLimit &limit : state->usage->limits)
                rows.append(figures(limitRowText(name, limit, now, input.displayAs, input.zone)));
            for (const QString &line : usageExtraLines(*state->usage))
                rows.append(figures(name + Dot + line));
            if (state->isStale() && state->lastUpdated)
                rows.append(figures(name + Dot + asOfText(*state->lastUpdated, now, input.zone) + Dot
                                    + oneLine(*state->error)));
        } else if (state->usage) {
            rows.append(figures(name + Dot + percentText(0)));
        } else {
            rows.append(figures(name + Dot + LoadingText.toString()));
        }
    }
    if (input.availableProviders.isEmpty() && !input.checked) {
        rows.append(figures(LoadingText.toString()));
    } else if (input.availableProviders.isEmpty()) {
        for (const QString &line : QString(EmptyStateMessage).split(u'\n'))
            rows.append(figures(line));
    }

    rows.append(TrayMenuEntry{Role::Separator});
    rows.append(TrayMenuEntry{Role::ShowUsage, TrayMenuText::ShowUsage.toString()});
    rows.append(TrayMenuEntry{Role::History, TrayMenuText::History.toString()});
    const TranslatableText refresh = input.isLoading ? TrayMenuText::Refreshing : TrayMenuText::Refresh;
    rows.append(TrayMenuEntry{Role::Refresh, refresh.toString(), !input.isLoading});
    rows.append(TrayMenuEntry{Role::ShowRemaining, TrayMenuText::ShowRemaining.toString(), true,
                              input.displayAs == DisplayAs::Remaining});
    rows.append(TrayMenuEntry{Role::LaunchAtLogin, TrayMenuText::LaunchAtLogin.toString(), true, input.launchAtLogin});
    rows.append(TrayMenuEntry{Role::Separator});
    rows.append(TrayMenuEntry{Role::Quit, TrayMenuText::Quit.toString()});
    return model;
}

TrayMenuInput trayMenuInputFrom(const UsageManager &manager, bool launchAtLogin, DisplayAs displayAs)
{
    TrayMenuInput input{manager.knownAvailableProviders(), manager.providerStates(), manager.isLoading(), launchAtLogin,
                        displayAs};
    input.checked = !nothingKnownYet(manager.lastUpdated());
    return input;
}
