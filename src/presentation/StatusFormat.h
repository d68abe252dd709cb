#pragma once

#include "core/HistorySample.h"
#include "core/NamedColor.h"
#include "core/Preferences.h"
#include "core/UsageModel.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <optional>

// What `quotix status` prints, taken from the coordinator once its run ended.
struct ProviderStatus
{
    QString id;
    QString name;
    bool available = false;
    ProviderState state;
};

struct StatusSnapshot
{
    std::optional<QDateTime> lastUpdated;
    NamedColor statusColor = NamedColor::Green;
    QList<ProviderStatus> providers; // every provider, in the coordinator's order
    // The tray's recent record of every provider, for the projection at the
    // recent rate; empty without one (the window's average is used).
    QList<HistorySample> history;
};

// "green", "yellow", "orange" or "red".
QString colourName(NamedColor colour);

// UTC ISO 8601 with milliseconds and "Z"; what the JSON output uses for instants.
QString isoTimestamp(const QDateTime &moment);

// The snapshot as one JSON object, keys in a fixed order, ending in a newline.
// Numbers are written as received; one that is not finite is written as null,
// since JSON has no spelling for it. An invalid date is null as well. Each
// limit's pace is taken at now: "projectedExhaustion" from the window's
// average, "projection" from the recent rate where the history holds it.
QByteArray statusJson(const StatusSnapshot &snapshot, const QDateTime &now);

// The snapshot for a terminal: per available provider its limits with
// percentage, bar and reset countdown (and the projection when it runs ahead
// of pace), or its error; the empty-state message
// when none is available; then the time of the update.
struct TextOptions
{
    bool colour = false; // ANSI band colours
    DisplayAs displayAs = DisplayAs::Used;
    // For the reset as a clock time.
    QTimeZone zone = QTimeZone::systemTimeZone();
    QLocale locale;
};
QString statusText(const StatusSnapshot &snapshot, const QDateTime &now, const TextOptions &options = {});

// A text bar of the given width: filled cells for utilization / 100, capped
// at full; a positive value below one cell still shows one.
QString usageBar(double utilization, int width = 20);

// The columns a terminal gives a text: two for each wide character (the
// Japanese texts bring them into the columns), one for the others; and the
// text padded with spaces to that many columns.
qsizetype terminalColumns(const QString &text);
QString paddedToColumns(const QString &text, qsizetype columns);

// Colours only for a terminal, and never when NO_COLOR holds a value.
bool shouldUseColour(bool stdoutIsTerminal, const QByteArray &noColorValue);

// 0 when some provider is available and none of the available ones ended
// with an error; 1 otherwise.
int statusExitCode(const StatusSnapshot &snapshot);
