#pragma once

#include "core/Preferences.h"
#include "core/UsageManager.h"
#include "core/UsageModel.h"
#include "presentation/TrayItem.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

// The tray item's menu, decided without any widget or bus: the figures first
// (every host places a menu at the item), then the commands.
struct TrayMenuInput
{
    ProviderList availableProviders; // in display order
    QHash<QString, ProviderState> providerStates;
    bool isLoading = false;
    bool launchAtLogin = false;
    DisplayAs displayAs = DisplayAs::Used;
    QTimeZone zone = QTimeZone::systemTimeZone(); // of the reset's clock time
    bool checked = true; // false until the first check has ended: nothing is known yet
};

struct TrayMenuModel
{
    QList<TrayMenuEntry> entries;

    friend bool operator==(const TrayMenuModel &, const TrayMenuModel &) = default;
};

TrayMenuModel buildTrayMenuModel(const TrayMenuInput &input, const QDateTime &now);
TrayMenuInput trayMenuInputFrom(const UsageManager &manager, bool launchAtLogin, DisplayAs displayAs);

// "Weekly (7d)": the limit's name, with its window where the name does not say it.
QString limitDisplayName(const UsageLimit &limit);
// "Claude · Weekly (7d) 76% · resets in 3d 4h (Thu 23:55)", the clock time in
// the given zone; "24% left" when what is left is shown.
QString limitRowText(const QString &providerName, const UsageLimit &limit, const QDateTime &now,
                     DisplayAs displayAs = DisplayAs::Used, const QTimeZone &zone = QTimeZone::systemTimeZone());

// The lines after the limits, each without the provider's name: "Usage
// credits 12.50 / 40.00 €", "2 resets banked", "Workspace budget reached".
QStringList usageExtraLines(const ProviderUsageResponse &usage);
