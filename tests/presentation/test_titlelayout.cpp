// The tray title as pieces: which limit each mode picks, how a percentage is
// written and coloured, what stands between providers and what stands in for
// them when none can be shown.
#include "presentation/TitleLayout.h"
#include "support/TitleFixtures.h"

#include <QTest>

#include <QtNumeric>

using namespace Qt::StringLiterals;
using Kind = TitlePiece::Kind;

static TitleLayout title(const ProviderList &available, const QHash<QString, ProviderState> &states,
                         bool loading = false)
{
    return layoutTitle(available, states, loading, DisplayMode::Weekly);
}

static QList<Kind> kinds(const TitleLayout &title)
{
    QList<Kind> result;
    for (const TitlePiece &piece : title.pieces)
        result.append(piece.kind);
    return result;
}

struct Case
{
    DisplayMode mode;
    ProviderUsageResponse usage;
    const char *shown;
    Band band = Band::Low;
};

class TestTitleLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void limitAndBand()
    {
        using enum DisplayMode;
        const auto both = usageOf({{"Weekly (7d)", 42}, {"Session (5h)", 10}});
        // Labels that say the opposite of the kinds: the kinds decide.
        ProviderUsageResponse renamed;
        renamed.limits = {{u"Weekly"_s, 64, {}, LimitKind::Session, 18000},
                          {u"5 Hour"_s, 7, {}, LimitKind::Weekly, 604800},
                          {u"Session"_s, 99, {}, LimitKind::Other, {}}};
        const auto one = [](double value) { return usageOf({{"Weekly", value}}); };
        const Case cases[] = {
            {Weekly, both, "42%"},
            {Session, both, "10%"},
            {Session, usageOf({{"Weekly", 30}, {"5 Hour", 12}}), "12%"},
            // By kind: a 5 or a "7d" in another window's name does not count.
            {Session, usageOf({{"Sonnet 4.5 (7d)", 61}, {"Session (5h)", 10}}), "10%"},
            {Weekly, usageOf({{"Sonnet (7d)", 33}, {"Weekly (7d)", 20}}), "20%"},
            {Weekly, renamed, "7%"},
            {Session, renamed, "64%"},
            {Weekly, usageOf({{"weekly", 30}, {"Other", 80}}), "80%", Band::Elevated}, // case-sensitive: the highest
            {Session, usageOf({{"Weekly (7d)", 42}}), "42%"},
            {Weekly, {}, "0%"}, // no match: the highest
            {Weekly, one(69.99), "69%"},
            {Weekly, one(70), "70%", Band::Elevated},
            {Weekly, one(89.9), "89%", Band::Elevated},
            {Weekly, one(90), "90%", Band::Critical},
            {Weekly, one(120.5), "120%", Band::Critical},
            {Weekly, one(qInf()), "--%"},
        };
        for (const Case &c : cases) {
            const auto layout = layoutTitle({claude}, {{claude->id(), stateWith(claude, c.usage)}}, false, c.mode);
            QCOMPARE(layout.text(), u"Claude "_s + QString::fromUtf8(c.shown));
            QCOMPARE(layout.percentages().constFirst().band, c.band);
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
            QCOMPARE(layout.text(), loading ? u"Loading\u2026"_s : u"No usage"_s);
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
        const TitleLayout both = weeklyTitle(42, 17.2);
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
        QCOMPARE(both.pieces.at(1).fill, 0.42);
        QCOMPARE(weeklyTitle(120.5).pieces.at(1).fill, 1.0);

        QHash<QString, ProviderState> states{{u"claude"_s, stateWith(claude, usageOf({{"Weekly", 5}}))},
                                             {u"codex"_s, stateWith(codex, usageOf({{"Weekly", 17}}))}};
        // The available list's order, not the dictionary's; one no longer available vanishes.
        QCOMPARE(title({codex, claude}, states).text(), u"Codex 17% \u00B7 Claude 5%"_s);
        QCOMPARE(title({codex}, states).text(), u"Codex 17%"_s);
        states[u"claude"_s].usage.reset();
        QCOMPARE(title({claude, codex}, states, true).text(), u"Codex 17%"_s);

        // Without artwork the icon is text; the plain title names the provider either way.
        for (const std::optional<QString> &iconName : {std::optional<QString>(), std::optional<QString>(u""_s)}) {
            const auto plain = std::make_shared<TitleTestProvider>(u"p"_s, u"Plain"_s, u"P"_s, iconName);
            const TitleLayout layout = title({plain}, {{u"p"_s, stateWith(plain, usageOf({{"Weekly", 3}}))}});
            QCOMPARE(layout.text(), u"Plain 3%"_s);
            QCOMPARE(layout.pieces.constFirst().text, u"P"_s);
            QCOMPARE(layout.pieces.constFirst().mark, u"P"_s);
            QCOMPARE(kinds(layout), (QList<Kind>{Kind::IconText, Kind::Percentage}));
        }
    }
};

QTEST_GUILESS_MAIN(TestTitleLayout)
#include "test_titlelayout.moc"
