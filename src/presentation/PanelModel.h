#pragma once

#include "core/Bands.h"
#include "core/NamedColor.h"
#include "core/Preferences.h"
#include "core/UsageManager.h"
#include "core/UsageModel.h"
#include "presentation/EmptyState.h"
#include "presentation/UsageFigures.h"
#include "presentation/WindowChart.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// What the panel shows, decided without any widget: the widgets only draw a
// PanelModel, so every branch below is testable without a display.

enum class ContentBranch {
    LoadingPlaceholder, // nothing fetched yet and a refresh is under way
    ProviderList,
};

enum class SectionBody {
    Error,
    Rows,
    Waiting, // "Loading..."
};

struct RefreshButtonState
{
    bool enabled = true;
    qreal opacity = 1.0;
    bool spinning = false;
};

struct RowModel
{
    QString title;
    QString percentText;
    NamedColor color = NamedColor::Green;
    double filledFraction = 0.0; // always within [0, 1]
    std::optional<QString> resetText;
    // "Resets at 14:30": the same moment as a clock time, for the row's tooltip.
    std::optional<QString> resetClock;
    // Where the bar's pace marker sits: the elapsed share of the window.
    std::optional<double> paceMarker;
    // "At the last hour's rate: runs out in …" from the recent history, else
    // "At this pace: runs out in …" when use runs ahead of the window.
    std::optional<QString> projectionText;
    // The current window's used share over time, where there is history of it.
    std::optional<WindowChart> chart;
};

struct SectionModel
{
    QString id;
    QString title; // the name in upper case
    QString iconText;
    std::optional<QString> iconName;
    bool isLoading = false;
    SectionBody body = SectionBody::Waiting;
    QString errorText;
    // A second line under the error; empty when there is none.
    QString errorDetailText;
    QList<RowModel> rows; // the limits, then the usage credits
    // Lines without a bar after the rows: "2 resets banked".
    QStringList notes;
    // Figures kept over a passing failure: "as of 14:02 · API error (code: 429)";
    // empty when the figures are fresh.
    QString staleText;
};

struct FooterModel
{
    NamedColor statusColor = NamedColor::Green;
    QString text;
};

// The manager's state and the settings, as read once per render.
struct PanelInput
{
    ProviderList availableProviders;
    QHash<QString, ProviderState> providerStates;
    bool isLoading = false;
    std::optional<QDateTime> lastUpdated;
    NamedColor statusColor = NamedColor::Green;
    DisplayMode displayMode = DisplayMode::Weekly;
    DisplayAs displayAs = DisplayAs::Used;
    // Recorded samples of every provider, for the rows' charts; empty without history.
    QList<HistorySample> history;
};

struct PanelModel
{
    ContentBranch content = ContentBranch::ProviderList;
    QList<SectionModel> sections;
    bool showsEmptyState = false;
    std::optional<FooterModel> footer;
    RefreshButtonState refreshButton;
    DisplayMode pickerSelection = DisplayMode::Weekly;
    DisplayAs displayAsSelection = DisplayAs::Used;
};

PanelModel buildPanelModel(const PanelInput &input, const QDateTime &now);
PanelInput panelInputFrom(const UsageManager &manager, DisplayMode displayMode, DisplayAs displayAs);

ContentBranch contentBranch(bool isLoading, const QHash<QString, ProviderState> &states);
RefreshButtonState refreshButtonState(bool isLoading);
// history: recorded samples (of any provider) for the rows' charts.
SectionModel sectionModel(const ProviderState &state, const QDateTime &now, DisplayAs as = DisplayAs::Used,
                          const QList<HistorySample> &history = {});
SectionBody sectionBody(const ProviderState &state);
// The percentage shows what is used or what is left; colour, bar and pace
// always follow the used share. history: this limit's samples, oldest first,
// for the projection at the recent rate.
RowModel rowModel(const UsageLimit &limit, const QDateTime &now, DisplayAs as = DisplayAs::Used,
                  const QList<HistorySample> &history = {});
// The usage credits as a row: the amounts, and a bar where there is a cap.
RowModel creditsRowModel(const UsageCredits &credits);

// "5 sec", "2 min", "1 hr, 5 min", "3 days": the bare time since a moment.
QString elapsedText(const QDateTime &since, const QDateTime &now);
QString footerText(const QDateTime &lastUpdated, const QDateTime &now);

// The picker's two segments, left to right.
inline constexpr QLatin1StringView WeeklySegmentLabel{"Weekly"};
inline constexpr QLatin1StringView SessionSegmentLabel{"5 Hour"};
int pickerIndex(DisplayMode mode);
DisplayMode displayModeForPickerIndex(int index);

// The used-or-remaining picker below it.
inline constexpr QLatin1StringView UsedSegmentLabel{"Used"};
inline constexpr QLatin1StringView RemainingSegmentLabel{"Remaining"};
int pickerIndex(DisplayAs as);
DisplayAs displayAsForPickerIndex(int index);
