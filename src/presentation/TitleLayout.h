#pragma once

#include "core/Accounts.h"
#include "core/Bands.h"
#include "core/Preferences.h"
#include "core/UsageManager.h"
#include "presentation/EmptyState.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// One piece of the tray title, in reading order. Icon pieces carry the
// provider's icon text, name and mark as well, for faces that cannot draw the
// artwork.
struct TitlePiece
{
    enum class Kind {
        IconImage, // iconName names the artwork; text is its plain-text stand-in
        IconText,
        Separator,
        Percentage,
        Glyph, // "⏳" or "❌": nothing to show
    };

    Kind kind = Kind::Glyph;
    QString text;
    QString iconName;
    Band band = Band::Low;
    QString name;      // icon pieces: the provider's name, as plain-text faces write it
    QString mark;      // icon pieces: one letter that tells the provider apart in the tray icon
    double fill = 0.0; // percentage pieces: how much of a level bar the shown number fills, in [0, 1]
    // Percentage pieces: which limit the number is, where it is not the
    // window's main one ("Fable"); empty otherwise.
    QString limitName;

    bool operator==(const TitlePiece &) const = default;
};

struct TitleLayout
{
    QList<TitlePiece> pieces;

    // The title as plain text for labels and tooltips, which may lack an emoji
    // font: "Claude 42% · Codex 17%", "Claude Fable 100% · Codex 17%" when a
    // model's own cap binds, "Loading…" or "No usage".
    QString text() const;
    // The same title with every percentage at its widest ("100%"), so a panel
    // can keep its width while the numbers change.
    QString widestText() const;
    // The label a tray host writes beside the icon: text() for one or two
    // providers; from three on each by its mark and number, "C 76 · X 41 · G 12",
    // so the label stays short however many there are.
    QString label() const;
    QString widestLabel() const;
    // True when at least one provider's percentage is shown.
    bool hasUsage() const;
    QList<TitlePiece> percentages() const;

    bool operator==(const TitleLayout &) const = default;
};

inline constexpr QStringView LoadingGlyph = u"\u23F3";
inline constexpr QStringView NoUsageGlyph = u"\u274C";
inline constexpr TranslatableText NoUsageText{"Tray", QT_TRANSLATE_NOOP("Tray", "No usage")};
inline constexpr QStringView ProviderSeparator = u" \u00B7 ";

// The letter that marks a provider in the tray icon: its initial, except where
// two providers share one ("Claude", "Codex"). An extra account ("claude-work",
// "Claude · work") adds its label's initial: "Cw".
QString providerMark(const QString &id, const QString &name);

// The providers the title shows: the available ones in their stable order,
// less those the settings leave out (by id). Should that leave none, all of
// them: a title that hides every figure would read as "No usage".
ProviderList titleProviders(const ProviderList &available, const QStringList &leftOut);

// The limit the title shows for the display mode: the binding one of the
// mode's kind; null when none matches, and the title shows the highest
// utilisation instead.
const UsageLimit *titleLimit(const ProviderUsageResponse &usage, DisplayMode mode);

// The title before the first render.
TitleLayout loadingTitle();

// For each available provider with usage: its icon and the percentage of the
// limit the display mode picks (used, or left when shown as remaining; the band
// follows the used share either way), separated by two spaces. No provider to
// show: "⏳" while loading, else "❌".
TitleLayout layoutTitle(const ProviderList &available, const QHash<QString, ProviderState> &states, bool isLoading,
                        DisplayMode mode, DisplayAs as = DisplayAs::Used);

// One line per available provider for tooltips: "Claude — Weekly (7d): 42%"
// (the binding limit, by its name), "… (as of 14:02)" for figures kept over a
// passing failure, or the provider's error when it has no usage to show.
QStringList providerSummaryLines(const ProviderList &available, const QHash<QString, ProviderState> &states,
                                 DisplayMode mode, DisplayAs as = DisplayAs::Used,
                                 const QDateTime &now = QDateTime::currentDateTimeUtc());
