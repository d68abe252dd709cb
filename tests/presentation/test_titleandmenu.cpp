// What the tray shows. The title as pieces: which limit each mode picks, how
// a percentage is written and coloured, what stands between providers and what
// stands in for them when none can be shown. The menu's rows: figures per
// limit, a provider's error, the empty state and a first load, then the commands.
#include "core/UtcZone.h"
#include "presentation/EmptyState.h"
#include "presentation/LimitRows.h"
#include "presentation/PanelModel.h"
#include "presentation/TitleLayout.h"
#include "presentation/Translations.h"
#include "presentation/TrayMenuModel.h"
#include "support/TitleFixtures.h"

#include <QTest>

#include <QtNumeric>

#include <cmath>

using namespace Qt::StringLiterals;
using Kind = TitlePiece::Kind;
using Role = TrayMenuEntry::Role;

namespace {

const QDateTime Now = QDateTime(QDate(2025, 3, 1), QTime(12, 0), utcZone());
constexpr qint64 Hour = 3600, Day = 86400;

TitleLayout title(const ProviderList &available, const QHash<QString, ProviderState> &states, bool loading = false)
{
    return layoutTitle(available, states, loading, DisplayMode::Weekly);
}

QList<Kind> kinds(const TitleLayout &title)
{
    QList<Kind> result;
    for (const TitlePiece &piece : title.pieces)
        result.append(piece.kind);
    return result;
}

UsageLimit limit(const QString &name, double utilization, std::optional<qint64> window, qint64 resetIn = -1)
{
    UsageLimit result{name, utilization, std::nullopt, LimitKind::Other, window};
    if (resetIn >= 0)
        result.resetTime = Now.addSecs(resetIn);
    return result;
}

// No limits: never fetched.
void addProvider(TrayMenuInput &input, const std::shared_ptr<UsageProvider> &provider,
                 std::optional<QList<UsageLimit>> limits, std::optional<QString> error = std::nullopt)
{
    input.availableProviders.append(provider);
    input.providerStates.insert(
        provider->id(),
        stateWith(provider, limits ? ProviderUsageResponse{*limits} : std::optional<ProviderUsageResponse>(), error));
}

// The figures rows' labels; figures are for reading, never clicked.
QStringList figures(const TrayMenuInput &input)
{
    QStringList labels;
    for (const TrayMenuEntry &entry : buildTrayMenuModel(input, Now).entries) {
        if (entry.role == Role::Figures)
            labels.append(entry.enabled ? entry.label + u" (enabled!)"_s : entry.label);
    }
    return labels;
}

} // namespace

class TestTitleAndMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void limitByKindAndBandByShownNumber()
    {
        using enum DisplayMode;
        using enum Band;
        // Labels that say the opposite of the kinds: the kinds decide.
        ProviderUsageResponse renamed;
        renamed.limits = {{u"Weekly"_s, 64, {}, LimitKind::Session, 18000},
                          {u"5 Hour"_s, 7, {}, LimitKind::Weekly, 604800},
                          {u"Session"_s, 99, {}, LimitKind::Other, {}}};
        const auto one = [](double value) { return usageOf({{"Weekly", value}}); };
        for (const auto &[mode, usage, shown, band] : {
                 std::tuple{Weekly, renamed, "7%", Low},
                 {Session, renamed, "64%", Low},
                 {Weekly, usageOf({{"Session (5h)", 30}, {"Other", 80}}), "80%", Elevated}, // none: the highest
                 {Weekly, {}, "0%", Low},
                 {Weekly, one(69.99), "69%", Low},
                 {Weekly, one(70), "70%", Elevated},
                 {Weekly, one(90), "90%", Critical},
                 {Weekly, one(qInf()), "--%", Low},
             }) {
            const auto layout = layoutTitle({claude}, {{claude->id(), stateWith(claude, usage)}}, false, mode);
            QCOMPARE(layout.text(), u"Claude "_s + QLatin1StringView(shown));
            QCOMPARE(layout.percentages().constFirst().band, band);
        }
    }

    void glyphsAndErrors()
    {
        const QHash<QString, ProviderState> unusable{{u"claude"_s, stateWith(claude, {}, u"Not logged in"_s)},
                                                     {u"codex"_s, stateWith(codex, {})}};
        for (const auto &[states, loading, glyph] : {std::tuple{QHash<QString, ProviderState>(), true, u"\u23F3"},
                                                     {{}, false, u"\u274C"},
                                                     {unusable, true, u"\u23F3"},
                                                     {unusable, false, u"\u274C"}}) {
            const TitleLayout layout = title({claude, codex}, states, loading);
            QCOMPARE(layout.pieces.constFirst().text, QString::fromUtf16(glyph));
            QCOMPARE(kinds(layout), QList<Kind>{Kind::Glyph});
            // Labels and tooltips may lack an emoji font: the glyphs are written out.
            QCOMPARE(layout.text(), loading ? u"Loading..."_s : u"No usage"_s);
        }

        // An error beside usage still shows the usage; in the tooltip an error stands for missing usage.
        const QHash<QString, ProviderState> states{
            {u"claude"_s, stateWith(claude, usageOf({{"Weekly", 91}}), u"The request timed out."_s)},
            {u"codex"_s, stateWith(codex, {}, u"Offline"_s)}};
        QCOMPARE(title({claude, codex}, states, true).text(), u"Claude 91%"_s);
        QCOMPARE(providerSummaryLines({claude, codex}, states, DisplayMode::Weekly),
                 (QStringList{u"Claude \u2014 Weekly: 91%"_s, u"Codex: Offline"_s}));
    }

    void separatorsAndIcons()
    {
        const TitleLayout both = weeklyTitle(42, 17.9);
        QCOMPARE(both.text(), u"Claude 42% \u00B7 Codex 17%"_s);
        QCOMPARE(kinds(both),
                 (QList<Kind>{Kind::IconImage, Kind::Percentage, Kind::Separator, Kind::IconImage, Kind::Percentage}));
        QCOMPARE(both.pieces.at(0).iconName, u"claude-icon"_s);
        QCOMPARE(both.widestText(), u"Claude 100% \u00B7 Codex 100%"_s);
        const QHash<QString, ProviderState> left{{u"claude"_s, stateWith(claude, usageOf({{"Weekly", 97}}))}};
        QCOMPARE(layoutTitle({claude}, left, false, DisplayMode::Weekly, DisplayAs::Remaining).widestText(),
                 u"Claude 100% left"_s);
        // Both names begin with C; the icon tells them apart by letter.
        QCOMPARE(both.pieces.at(0).mark, u"C"_s);
        QCOMPARE(both.pieces.at(3).mark, u"X"_s);
        // The level follows the number shown, capped at full.
        QCOMPARE(both.pieces.at(4).fill, 0.17);
        QCOMPARE(weeklyTitle(120.5).pieces.at(1).fill, 1.0);

        QHash<QString, ProviderState> states{{u"claude"_s, stateWith(claude, usageOf({{"Weekly", 5}}))},
                                             {u"codex"_s, stateWith(codex, usageOf({{"Weekly", 17}}))}};
        // The available list's order, not the dictionary's; one no longer available vanishes.
        QCOMPARE(title({codex, claude}, states).text(), u"Codex 17% \u00B7 Claude 5%"_s);
        QCOMPARE(title({codex}, states).text(), u"Codex 17%"_s);
        states[u"claude"_s].usage.reset();
        QCOMPARE(title({claude, codex}, states, true).text(), u"Codex 17%"_s);

        // A provider no descriptor knows: no artwork, so the icon is its initial as text.
        const auto plain = std::make_shared<ScriptedProvider>(u"p"_s, u"plain"_s);
        const TitleLayout layout = title({plain}, {{u"p"_s, stateWith(plain, usageOf({{"Weekly", 3}}))}});
        QCOMPARE(layout.text(), u"plain 3%"_s);
        QCOMPARE(kinds(layout), (QList<Kind>{Kind::IconText, Kind::Percentage}));
        QCOMPARE(layout.pieces.at(0).mark, u"P"_s);
    }

    // From three providers on the label is marks and numbers; the settings
    // may leave providers out of the title, but never all of them.
    void manyProvidersShortLabelAndTheChoice()
    {
        const auto work = std::make_shared<ScriptedProvider>(u"claude-work"_s, u"Claude \u00B7 work"_s);
        const auto gemini = std::make_shared<ScriptedProvider>(u"gemini"_s, u"Gemini"_s);
        const QHash<QString, ProviderState> states{{u"claude"_s, stateWith(claude, usageOf({{"Weekly", 76.9}}))},
                                                   {u"claude-work"_s, stateWith(work, usageOf({{"Weekly", 3}}))},
                                                   {u"codex"_s, stateWith(codex, usageOf({{"Weekly", 41}}))},
                                                   {u"gemini"_s, stateWith(gemini, usageOf({{"Weekly", 12}}))}};
        const ProviderList all{claude, work, codex, gemini};
        const TitleLayout four = title(all, states);
        QCOMPARE(four.pieces.at(3).iconName, u"claude-icon"_s); // an account is drawn as its provider
        QCOMPARE(four.label(), u"C 76 \u00B7 Cw 3 \u00B7 X 41 \u00B7 G 12"_s);
        QCOMPARE(four.widestLabel(), u"C 100 \u00B7 Cw 100 \u00B7 X 100 \u00B7 G 100"_s);
        QCOMPARE(layoutTitle(all, states, false, DisplayMode::Weekly, DisplayAs::Remaining).label(),
                 u"C 23 \u00B7 Cw 97 \u00B7 X 59 \u00B7 G 88"_s);
        // Two keep the long form.
        QCOMPARE(title({claude, codex}, states).label(), u"Claude 76% \u00B7 Codex 41%"_s);

        const auto ids = [](const ProviderList &list) {
            QStringList result;
            for (const auto &provider : list)
                result.append(provider->id());
            return result;
        };
        QCOMPARE(ids(titleProviders(all, {u"codex"_s, u"gone"_s})), (QStringList{u"claude"_s, u"claude-work"_s, u"gemini"_s}));
        QCOMPARE(ids(titleProviders(all, {u"claude"_s, u"claude-work"_s, u"codex"_s, u"gemini"_s})), ids(all));
        QCOMPARE(title(titleProviders(all, {u"claude"_s, u"gemini"_s}), states).text(),
                 u"Claude \u00B7 work 3% \u00B7 Codex 41%"_s);
    }

    // Shown as remaining, every face writes what is left and fills its bars
    // with it, while the colour still follows what is used.
    void everyFaceShowsWhatIsLeftColouredByUse()
    {
        const QHash<QString, ProviderState> states{{u"claude"_s, stateWith(claude, usageOf({{"Weekly", 91.5}}))},
                                                   {u"codex"_s, stateWith(codex, usageOf({{"Weekly", 12}}))}};
        const QList<TitlePiece> shown
            = layoutTitle({claude, codex}, states, false, DisplayMode::Weekly, DisplayAs::Remaining).percentages();
        QCOMPARE(shown.constFirst().text, u"8% left"_s);
        QCOMPARE(shown.constFirst().band, Band::Critical);
        QCOMPARE(shown.constFirst().fill, 0.08);
        QCOMPARE(providerSummaryLines({claude, codex}, states, DisplayMode::Weekly, DisplayAs::Remaining),
                 (QStringList{u"Claude \u2014 Weekly: 8% left"_s, u"Codex \u2014 Weekly: 88% left"_s}));

        // A week's limit two days in: the marker shows the five days left.
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const UsageLimit weekly{u"Weekly"_s, 91.5, now.addDays(5), LimitKind::Weekly, 7 * 24 * 3600};
        const RowModel row = rowModel(weekly, now, DisplayAs::Remaining);
        QCOMPARE(row.percentText, u"8% left"_s);
        QCOMPARE(row.color, NamedColor::Red);
        QVERIFY(std::abs(row.filledFraction - 0.085) < 1e-9);
        QVERIFY(row.paceMarker && std::abs(*row.paceMarker - 5.0 / 7.0) < 1e-6);
        const RowModel used = rowModel(weekly, now, DisplayAs::Used);
        QVERIFY(std::abs(used.filledFraction - 0.915) < 1e-9);
        QVERIFY(used.paceMarker && std::abs(*used.paceMarker - 2.0 / 7.0) < 1e-6);
        for (double odd : {qQNaN(), qInf(), -5.0, 150.0}) {
            const double fill = rowModel(UsageLimit{u"Weekly"_s, odd, std::nullopt}, now, DisplayAs::Remaining).filledFraction;
            QVERIFY2(fill >= 0.0 && fill <= 1.0, qPrintable(QString::number(odd)));
        }
    }

    void menuFiguresFromEachState()
    {
        TrayMenuInput usage;
        usage.zone = QTimeZone::utc();
        addProvider(usage, claude,
                    QList<UsageLimit>{limit(u"5 Hour"_s, 12.4, 5 * Hour, 2 * Hour + 300),
                                      limit(u"Weekly"_s, 76, 7 * Day, 3 * Day + 4 * Hour + 59),
                                      limit(u"Code Review"_s, 100.6, std::nullopt, 0)});
        addProvider(usage, codex, std::nullopt, u"The saved login\nhas expired."_s);
        QCOMPARE(figures(usage),
                 (QStringList{u"Claude \u00B7 5 Hour 12% \u00B7 resets in 2h 5m (at 14:05)"_s,
                              u"Claude \u00B7 Weekly (7d) 76% \u00B7 resets in 3d 4h (Tue 16:00)"_s,
                              u"Claude \u00B7 Code Review 100% \u00B7 resets now"_s,
                              u"Codex \u00B7 The saved login has expired."_s}));

        // A first load shows the provider waiting; during a later one the figures stay.
        TrayMenuInput loading;
        loading.isLoading = true;
        addProvider(loading, claude, std::nullopt);
        addProvider(loading, codex, QList<UsageLimit>{limit(u"Sonnet"_s, 5, 7 * Day), limit(u"Opus"_s, qQNaN(), {})});
        QCOMPARE(figures(loading),
                 (QStringList{u"Claude \u00B7 Loading..."_s, u"Codex \u00B7 Sonnet (7d) 5%"_s,
                              u"Codex \u00B7 Opus --%"_s}));

        // A plan without caps has no limits, only the note that says so.
        TrayMenuInput unlimited;
        addProvider(unlimited, codex, QList<UsageLimit>{});
        unlimited.providerStates[codex->id()].usage->unlimited = {u"Premium requests"_s};
        QCOMPARE(figures(unlimited), QStringList{u"Codex \u00B7 Premium requests: Unlimited"_s});

        // Nobody logged in, or a state whose provider is no longer available: the empty state, a line per row.
        TrayMenuInput gone;
        addProvider(gone, claude, QList<UsageLimit>{limit(u"Weekly"_s, 50, std::nullopt)});
        gone.availableProviders.clear();
        for (const TrayMenuInput &input : {TrayMenuInput(), gone})
            QCOMPARE(figures(input), QString(EmptyStateMessage).split(u'\n'));
        // Before the first check has ended nothing is known yet.
        TrayMenuInput unchecked;
        unchecked.checked = false;
        QCOMPARE(figures(unchecked), QStringList{u"Loading..."_s});
    }

    // A model's own weekly cap at 100 % with the week at 67 %: every face shows
    // 100 % and names the cap; credits, banked resets and budgets follow the
    // rows; figures kept over a 429 say how old they are.
    void theBindingLimitCreditsAndStaleFigures()
    {
        UsageLimit session{u"Session (5h)"_s, 0, std::nullopt, LimitKind::Session, 5 * Hour};
        UsageLimit weekly{u"Weekly (7d)"_s, 67, Now.addSecs(2 * Day), LimitKind::Weekly, 7 * Day};
        UsageLimit fable = weekly;
        fable.name = u"Fable"_s;
        fable.scope = u"Fable"_s;
        fable.utilization = 100;
        ProviderUsageResponse claudeUsage{{session, weekly, fable}};
        claudeUsage.credits = UsageCredits{Money{1250, 2, u"EUR"_s}, Money{4000, 2, u"EUR"_s}, 31.25};
        ProviderUsageResponse codexUsage{{UsageLimit{u"Monthly"_s, 6, std::nullopt, LimitKind::Other, 2'628'000}}};
        codexUsage.credits = UsageCredits{{}, {}, {}, u"12.50"_s};
        codexUsage.resetsBanked = 2;
        codexUsage.budgetReachedType = u"workspace_default"_s;

        QHash<QString, ProviderState> states{{u"claude"_s, stateWith(claude, claudeUsage)},
                                             {u"codex"_s, stateWith(codex, codexUsage)}};
        const TitleLayout weeklyTitle = title({claude, codex}, states);
        QCOMPARE(weeklyTitle.text(), u"Claude Fable 100% \u00B7 Codex 6%"_s);
        QCOMPARE(weeklyTitle.percentages().constFirst().band, Band::Critical);
        QCOMPARE(layoutTitle({claude, codex}, states, false, DisplayMode::Session).text(),
                 u"Claude 0% \u00B7 Codex 6%"_s);
        // A tie goes to the account's own limit, which needs no name.
        states[u"claude"_s].usage->limits[2].utilization = 67;
        QCOMPARE(title({claude}, states).text(), u"Claude 67%"_s);
        states[u"claude"_s].usage->limits[2].utilization = 100;

        // The figures of the last good answer, kept over a rate limit.
        ProviderState kept = states.value(u"claude"_s);
        kept.lastUpdated = Now.addSecs(-3600 - 58 * 60);
        kept.error = u"API error (code: 429)"_s;
        kept.errorIsTransient = true;
        states.insert(u"claude"_s, kept);
        QCOMPARE(providerSummaryLines({claude, codex}, states, DisplayMode::Weekly, DisplayAs::Used, Now),
                 (QStringList{u"Claude \u2014 Fable: 100% ("_s + asOfText(*kept.lastUpdated, Now) + u')',
                              u"Codex: 6%"_s}));
        TrayMenuInput input{{claude, codex}, states};
        input.zone = QTimeZone::utc();
        QCOMPARE(figures(input),
                 (QStringList{u"Claude \u00B7 Session (5h) 0%"_s,
                              u"Claude \u00B7 Weekly (7d) 67% \u00B7 resets in 2d 0h (Mon 12:00)"_s,
                              u"Claude \u00B7 Fable (7d) 100% \u00B7 resets in 2d 0h (Mon 12:00)"_s,
                              u"Claude \u00B7 Usage credits 12.50 / 40.00 \u20AC"_s,
                              u"Claude \u00B7 as of 10:02 \u00B7 API error (code: 429)"_s, u"Codex \u00B7 Monthly 6%"_s,
                              u"Codex \u00B7 Credits 12.50"_s, u"Codex \u00B7 2 resets banked"_s,
                              u"Codex \u00B7 Workspace budget reached"_s}));

        const SectionModel panel = sectionModel(kept, Now);
        QCOMPARE(panel.body, SectionBody::Rows);
        QCOMPARE(panel.rows.size(), 4);
        const RowModel credits = panel.rows.at(3);
        QCOMPARE(credits.title + u' ' + credits.percentText, u"Usage credits 12.50 / 40.00 \u20AC"_s);
        QCOMPARE(credits.filledFraction, 0.3125);
        QVERIFY(!credits.resetText && !credits.paceMarker);
        QVERIFY(panel.staleText.endsWith(u" \u00B7 API error (code: 429)"_s) && panel.staleText.startsWith(u"as of "_s));
        // Figures kept over days offline say which day they are from.
        QCOMPARE(asOfText(Now.addDays(-3), Now, QTimeZone::utc(), QLocale::c()), u"as of Wed 12:00"_s);
        QCOMPARE(asOfText(Now.addDays(-40), Now, QTimeZone::utc(), QLocale::c()), u"as of 20 Jan, 12:00"_s);
        QCOMPARE(asOfText(Now.addSecs(-60), Now, QTimeZone(), QLocale::c()), u"as of 11:59 UTC"_s);
        QCOMPARE(sectionModel(states.value(u"codex"_s), Now).notes,
                 (QStringList{u"2 resets banked"_s, u"Workspace budget reached"_s}));
        // Not logged in is no passing failure: the error stands instead of the figures.
        kept.errorIsTransient = false;
        kept.error = u"Not logged in to Claude."_s;
        input.providerStates.insert(u"claude"_s, kept);
        QCOMPARE(figures(input).constFirst(), u"Claude \u00B7 Not logged in to Claude."_s);

        // Money by currency and exponent; a month-long window says so once.
        QCOMPARE(moneyText(Money{123456, 3, u"USD"_s}), u"123.456 $"_s);
        QCOMPARE(moneyText(Money{500, 0, u"JPY"_s}), u"500 \u00A5"_s);
        QCOMPARE(moneyText(Money{-5, 2, u"CHF"_s}), u"-0.05 CHF"_s);
        QCOMPARE(moneyText(Money{999'999'999'999'999, 9, u""_s}), u"999999.999999999"_s);
        // In German the decimal mark is a comma; grouping stays off, as for every figure.
        const auto german = translatorFor(QLocale(u"de_DE"_s));
        QVERIFY(german && QCoreApplication::installTranslator(german.get()));
        QCOMPARE(moneyText(Money{-123456, 2, u"EUR"_s}), u"-1234,56 €"_s);
        QCoreApplication::removeTranslator(german.get());
        // Powers of ten by table, where the table ends and past either end.
        for (const int exponent : {-1, 0, 9, 22, 23, 300})
            QCOMPARE((Money{123'456'789, exponent, {}}.value()), 123'456'789 / std::pow(10.0, exponent));
        for (const qint64 month : {2'592'000, 2'628'000, 2'629'746})
            QCOMPARE(limitDisplayName(UsageLimit{u"Monthly"_s, 1, {}, LimitKind::Other, month}), u"Monthly"_s);
    }

    void menuCommandsFollowTheFigures()
    {
        TrayMenuInput idle;
        addProvider(idle, claude, QList<UsageLimit>{limit(u"Weekly"_s, 50, std::nullopt)});
        idle.launchAtLogin = true;
        const QList<TrayMenuEntry> entries = buildTrayMenuModel(idle, Now).entries;
        QList<Role> roles;
        for (const TrayMenuEntry &entry : entries)
            roles.append(entry.role);
        QCOMPARE(roles,
                 (QList<Role>{Role::Figures, Role::Separator, Role::ShowUsage, Role::History, Role::Refresh, Role::ShowRemaining,
                              Role::LaunchAtLogin, Role::Separator, Role::Quit}));
        QVERIFY(entries.at(4).enabled);
        QVERIFY(!entries.at(5).checked);
        QVERIFY(entries.at(6).checked);

        // What is left, when chosen: the row's figure and the check item follow.
        idle.displayAs = DisplayAs::Remaining;
        const QList<TrayMenuEntry> remaining = buildTrayMenuModel(idle, Now).entries;
        QCOMPARE(remaining.at(0).label, u"Claude \u00B7 Weekly 50% left"_s);
        QVERIFY(remaining.at(5).checked);

        // While a run is in progress Refresh waits and says so, and only Refresh.
        QCOMPARE(entries.at(4).label, u"Refresh"_s);
        idle.isLoading = true;
        const QList<TrayMenuEntry> busy = buildTrayMenuModel(idle, Now).entries;
        QVERIFY(!busy.at(4).enabled);
        QCOMPARE(busy.at(4).label, u"Refreshing\u2026"_s);
        QVERIFY(busy.at(2).enabled && busy.at(8).enabled);
    }
};

QTEST_GUILESS_MAIN(TestTitleAndMenu)
#include "test_titleandmenu.moc"
