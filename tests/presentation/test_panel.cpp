// The panel without a widget: what it shows, which way each platform shows it
// and where it lands on screen.
#include "core/UtcZone.h"
#include "presentation/PanelGeometry.h"
#include "presentation/PanelModel.h"
#include "presentation/PanelPlacement.h"
#include "support/DataRows.h"
#include "support/TitleFixtures.h"

#include <QTest>

#include <QtNumeric>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Now = QDateTime(QDate(2025, 3, 1), QTime(12, 0), utcZone());

} // namespace

class TestPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sectionsFollowTheProviderList()
    {
        const auto usage = usageOf({{"Session (5h)", 42.0}, {"Weekly (7d)", 17.5}});
        const auto ghost = std::make_shared<ScriptedProvider>(u"ghost"_s, u"Ghost"_s);
        PanelInput input{{codex, ghost, claude},
                         {{u"claude"_s, stateWith(claude, usage, u"Not logged in"_s)},
                          {u"codex"_s, stateWith(codex, {})},
                          {u"gone"_s, stateWith(ghost, usage)}},
                         true}; // a refresh keeps the earlier figures up
        PanelModel model = buildPanelModel(input, Now);
        QCOMPARE(model.sections.size(), 2);
        QCOMPARE(model.sections.at(0).body, SectionBody::Waiting); // never fetched: "Loading..."
        QCOMPARE(model.sections.at(1).title, u"CLAUDE"_s);
        QCOMPARE(model.sections.at(1).body, SectionBody::Error); // the error hides earlier usage
        QVERIFY(model.sections.at(1).rows.isEmpty());
        QVERIFY(!model.showsEmptyState && !model.footer); // no update yet
        QCOMPARE(sectionModel(stateWith(claude, usage), Now).rows.size(), 2);

        // No provider available, even during a refresh after usage: the empty state.
        input.availableProviders.clear();
        input.lastUpdated = Now.addSecs(-5);
        model = buildPanelModel(input, Now);
        QVERIFY(model.sections.isEmpty() && model.showsEmptyState);
        QCOMPARE(model.footer->text, u"Updated 5 sec ago"_s);
    }

    void rowsDrawOutOfRangeValuesSafely()
    {
        for (const auto &[utilization, percent, color, fill] : {
                 std::tuple{150.0, "150%", NamedColor::Red, 1.0}, // the bar is full
                 {0.6, "0%", NamedColor::Green, 0.006},           // a sliver
                 {-12.5, "-12%", NamedColor::Green, 0.0},
                 {qQNaN(), "--%", NamedColor::Green, 0.0},
                 {qInf(), "--%", NamedColor::Red, 1.0},
             }) {
            const RowModel row = rowModel(UsageLimit{u"Weekly (7d)"_s, utilization, std::nullopt}, Now);
            QVERIFY2(row.percentText == QLatin1StringView(percent) && row.color == color
                         && std::abs(row.filledFraction - fill) < 1e-9,
                     qPrintable(u"%1: %2 %3"_s.arg(utilization).arg(row.percentText).arg(row.filledFraction)));
        }
    }

    void resetAndFooterTimes()
    {
        // The far end of what a date can hold still gives a line, not a failure.
        const QDateTime farEnd = QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::max() / 2, utcZone());
        const QString far = rowModel(UsageLimit{u"5 Hour"_s, 10.0, farEnd}, Now).resetText.value_or(u"<none>"_s);
        QVERIFY2(far.startsWith(u"Resets in "_s) && far.endsWith(u"h"_s), qPrintable(far));

        // The footer's elapsed time; a clock set back puts the last update ahead, which reads as just now.
        const QList<std::pair<qint64, QString>> elapsed{
            {-30, u"0 sec"_s}, {59, u"59 sec"_s},        {179, u"2 min"_s},          {3599, u"59 min"_s},
            {3600, u"1 hr"_s}, {3900, u"1 hr, 5 min"_s}, {86400 + 7200, u"1 day"_s}, {3 * 86400, u"3 days"_s}};
        for (const auto &[secondsAgo, text] : elapsed)
            QCOMPARE(footerText(Now.addSecs(-secondsAgo), Now), u"Updated "_s + text + u" ago"_s);
    }

    // Wayland lets no client place a top-level and a popup's grab under
    // XWayland misses Wayland surfaces: only plain X11 gets the popup, and
    // XWayland anchors only at a point it can trust.
    void modePerPlatform()
    {
        using enum PanelMode;
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        const QRect item(1800, 4, 22, 22); // an embedding tray's real geometry
        for (const auto &[platform, waylandSession, click, mode] : {
                 std::tuple{"xcb", false, std::optional<Activation>{{item, {1810, 10}}}, AnchoredPopup},
                 {"xcb", false, std::nullopt, PlacedWindow}, // the menu before any click, no screen known
                 {"wayland", true, Activation{{}, {1700, 10}}, PlacedWindow},
                 {"wayland-egl", true, Activation{{}, {1700, 10}}, PlacedWindow},
                 {"xcb", true, Activation{{}, {1700, 12}}, AnchoredTool},   // XWayland, on the top bar
                 {"xcb", true, Activation{{}, {2500, 1010}}, AnchoredTool}, // the second screen's bottom panel
                 {"xcb", true, Activation{{}, {10, 17}}, PlacedWindow},     // waybar's item-relative point
                 {"xcb", true, Activation{{}, {900, 500}}, PlacedWindow},   // mid-screen
                 {"xcb", true, Activation{{}, {5000, 10}}, PlacedWindow},   // off every screen
                 {"xcb", true, Activation{item, {10, 17}}, AnchoredTool},
                 {"xcb", true, std::nullopt, PlacedWindow},
                 {"offscreen", false, Activation{{}, {0, 0}}, AnchoredPopup},
             }) {
            const PanelPlacement placement
                = decidePanelPlacement(PlacementInput{QString::fromLatin1(platform), waylandSession, click, screens});
            QCOMPARE(placement.mode, mode);
            if (mode != PlacedWindow) { // anchored where the click was
                QCOMPARE(placement.trayGeometry, click->trayGeometry);
                QCOMPARE(placement.point, click->point);
            }
        }

        // A compositor with layer-shell anchors the panel on Wayland, even from the menu; X11 stays as it was.
        for (const auto &[platform, click, mode, point] : {
                 std::tuple{"wayland", std::optional<Activation>{{{}, {1700, 10}}}, AnchoredLayer, QPoint(1700, 10)},
                 {"wayland", std::nullopt, AnchoredLayer, QPoint()},
                 {"xcb", Activation{item, {1810, 10}}, AnchoredTool, QPoint(1810, 10)},
             }) {
            PlacementInput input{QString::fromLatin1(platform), true, click, screens};
            input.layerShell = true;
            const PanelPlacement placement = decidePanelPlacement(input);
            QCOMPARE(placement.mode, mode);
            QCOMPARE(placement.point, point);
        }
    }

    // The edge nearest to a click in screen coordinates; the top right corner
    // when the host gives none or one relative to its item.
    void layerPanelEdge()
    {
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        const QSize panel(300, 400);
        for (const auto &[point, expected] : {
                 std::tuple{QPoint(1700, 10), LayerAnchor{0, Qt::TopEdge, 1550}},
                 {QPoint(1000, 1070), LayerAnchor{0, Qt::BottomEdge, 850}}, // Plasma's bottom panel
                 {QPoint(1910, 1070), LayerAnchor{0, Qt::BottomEdge, 1620}}, // pushed onto the screen
                 {QPoint(5, 500), LayerAnchor{0, Qt::LeftEdge, 300}},
                 {QPoint(3190, 300), LayerAnchor{1, Qt::RightEdge, 100}},      // the second screen
                 {QPoint(2000, 1020), LayerAnchor{1, Qt::BottomEdge, 0}},
                 {QPoint(10, 17), LayerAnchor{0, Qt::TopEdge, 1620}},          // waybar's item-relative point
                 {QPoint(900, 500), LayerAnchor{0, Qt::TopEdge, 1620}},        // mid-screen
             })
            QCOMPARE(layerAnchor(panel, point, screens), expected);
        QCOMPARE(layerAnchor(panel, QPoint(1700, 10), {}), LayerAnchor{});
    }

    // "Show Usage…" before any click on plain X11: the popup it is after a
    // click, in the panel strip's tray end; elsewhere the compositor places it.
    void theMenuBeforeAnyClick()
    {
        const QRect screen(0, 0, 1920, 1080);
        for (const auto &[available, point] : {
                 std::pair{QRect(0, 28, 1920, 1052), QPoint(1918, 14)}, // a top panel (XFCE, GNOME)
                 {QRect(0, 0, 1920, 1036), QPoint(1918, 1057)},          // a bottom panel (Plasma)
                 {QRect(48, 0, 1872, 1080), QPoint(24, 1078)},           // a dock on the left
                 {QRect(0, 0, 1872, 1080), QPoint(1895, 1078)},          // on the right
                 {screen, QPoint(1918, 0)},                              // no panel keeps space
                 {QRect(), QPoint(1918, 0)},
             }) {
            QCOMPARE(likelyTrayPoint(screen, available), point);
            PlacementInput input{u"xcb"_s, false, std::nullopt, {screen}, screen, available};
            PanelPlacement placement = decidePanelPlacement(input);
            QCOMPARE(placement.mode, PanelMode::AnchoredPopup);
            QCOMPARE(placement.point, point);
            QVERIFY(placement.trayGeometry.isEmpty());
            input.waylandSession = true;
            QCOMPARE(decidePanelPlacement(input).mode, PanelMode::PlacedWindow);
        }
        // A layer-shell panel hangs from the right end of the desktop's usual
        // panel edge (Plasma's is the bottom): Qt on Wayland reports no panel strip.
        const PlacementInput layer{u"wayland"_s, true, std::nullopt, {screen}, screen, screen, true, Qt::BottomEdge};
        QCOMPARE(layerAnchor(QSize(300, 700), decidePanelPlacement(layer).point, {screen}),
                 (LayerAnchor{0, Qt::BottomEdge, 1620}));
    }

    void edgeReach()
    {
        const QList<QRect> screen{QRect(0, 0, 1920, 1080)};
        QVERIFY(isAnchorablePoint(QPoint(1919 - 63, 500), screen));
        QVERIFY(!isAnchorablePoint(QPoint(1919 - 64, 500), screen));
        QVERIFY(isAnchorablePoint(QPoint(64, 1079), screen));
        QVERIFY(!isAnchorablePoint(QPoint(63, 63), screen)); // could be item-relative
        QVERIFY(isAnchorablePoint(QPoint(64, 10), screen));
        QVERIFY(!isAnchorablePoint(QPoint(100, 10), {}));
    }

    // A 768 px laptop screen: the tallest panel
    // that fits, which placed there stays on screen and off the item.
    void heightLimit_data()
    {
        addColumns<PanelMode, QRect, QPoint, QRect, int>("mode", "tray", "point", "available", "limit");
        const QRect belowTopPanel(0, 28, 1366, 740), aboveBottomPanel(0, 0, 1366, 728);
        const QRect topItem(1000, 2, 24, 24);
        QTest::newRow("below a top panel") << PanelMode::AnchoredPopup << topItem << QPoint() << belowTopPanel << 730;
        QTest::newRow("above a bottom panel")
            << PanelMode::AnchoredTool << QRect(1000, 740, 24, 24) << QPoint() << aboveBottomPanel << 720;
        // No strut: the item is in the available area, the panel goes under it.
        QTest::newRow("item on the desktop")
            << PanelMode::AnchoredPopup << QRect(1000, 200, 24, 24) << QPoint() << QRect(0, 0, 1366, 768) << 532;
        QTest::newRow("beside a side panel")
            << PanelMode::AnchoredPopup << QRect(1340, 400, 24, 24) << QPoint() << QRect(0, 0, 1310, 768) << 760;
        QTest::newRow("under the pointer") << PanelMode::AnchoredPopup << QRect() << QPoint(1300, 10) << belowTopPanel
                                           << 732;
        // Where the compositor places it, Qt may not know the desktop's panel: room is kept for one.
        QTest::newRow("titled window") << PanelMode::PlacedWindow << QRect() << QPoint() << belowTopPanel << 644;
        QTest::newRow("layer surface") << PanelMode::AnchoredLayer << QRect() << QPoint() << QRect(0, 0, 1280, 800)
                                       << 744;
        QTest::newRow("no screen") << PanelMode::AnchoredPopup << topItem << QPoint() << QRect() << 0;
    }

    void heightLimit()
    {
        const auto [mode, tray, point, available, limit]
            = fetchRow<PanelMode, QRect, QPoint, QRect, int>("mode", "tray", "point", "available", "limit");
        QCOMPARE(panelHeightLimit(mode, tray, point, available), limit);
        if ((mode == PanelMode::AnchoredPopup || mode == PanelMode::AnchoredTool) && limit > 0) {
            const QRect placed = panelGeometry(QSize(300, limit), tray, point, available);
            QVERIFY(available.contains(placed));
            QVERIFY(!placed.intersects(tray));
        }
    }

    // Plasma 6 reserves 40 px at the bottom of an 800 px screen but draws its
    // panel at 752..791: the panel ends above it, where it is drawn, and the
    // item's click keeps it there; no reserved room, no gap.
    void clearOfAFloatingPanel()
    {
        const QRect screen(0, 0, 1280, 800);
        QCOMPARE(clearOfFloatingPanels(screen, QRect(0, 0, 1280, 760), 8), QRect(0, 0, 1280, 752));
        QCOMPARE(clearOfFloatingPanels(screen, QRect(48, 28, 1232, 772), 8), QRect(56, 36, 1224, 764));
        QCOMPARE(clearOfFloatingPanels(screen, screen, 8), screen);
        QCOMPARE(clearOfFloatingPanels(screen, QRect(0, 0, 1280, 760), 0), QRect(0, 0, 1280, 760));
        const QRect available = clearOfFloatingPanels(screen, QRect(0, 0, 1280, 760), 8);
        const QPoint click(1112, 772);
        const int limit = panelHeightLimit(PanelMode::AnchoredPopup, {}, click, available);
        QCOMPARE(panelGeometry(QSize(300, limit), {}, click, available).bottom(), 751);
    }

    // sway under XWayland reports no room for waybar (0..25): the panel
    // opened by a click in it goes below it, at the item; a bar that X
    // clients are told of, or an item-relative point, keeps the area.
    void clearOfAnUnreportedBar_data()
    {
        addColumns<QRect, QPoint, QRect>("available", "click", "expected");
        const QRect screen(0, 0, 1280, 800);
        QTest::newRow("waybar, click mid-bar") << screen << QPoint(1261, 13) << QRect(0, 27, 1280, 773);
        QTest::newRow("near its top: the least bar") << screen << QPoint(1261, 3) << QRect(0, 24, 1280, 776);
        QTest::newRow("bottom bar") << screen << QPoint(1261, 785) << QRect(0, 0, 1280, 771);
        QTest::newRow("left bar") << screen << QPoint(15, 700) << QRect(31, 0, 1249, 800);
        QTest::newRow("reported room stays") << QRect(0, 26, 1280, 774) << QPoint(1261, 13) << QRect(0, 26, 1280, 774);
        QTest::newRow("item-relative point") << screen << QPoint(9, 13) << screen;
    }
    void clearOfAnUnreportedBar()
    {
        const auto [available, click] = fetchRow<QRect, QPoint>("available", "click");
        const QRect area = clearOfUnreportedBar(QRect(0, 0, 1280, 800), available, click);
        QTEST(area, "expected");
        const int limit = panelHeightLimit(PanelMode::AnchoredTool, {}, click, area);
        QVERIFY(area.contains(panelGeometry(QSize(300, limit), {}, click, area)));
    }

    // The item sits in a panel, outside the available area; the result is
    // always on screen, whatever the anchor says.
    void geometryStaysOnScreen()
    {
        const QRect screen(0, 0, 1920, 1080), belowTopPanel(0, 28, 1920, 1052), item(1000, 2, 24, 24);
        // The expected geometry's size is the panel's.
        for (const auto &[tray, point, available, expected] : {
                 std::tuple{item, QPoint(), belowTopPanel, QRect(862, 30, 300, 400)},  // centred on the item
                 {{1000, 1054, 24, 24}, {}, {0, 0, 1920, 1052}, {862, 650, 300, 400}}, // above a bottom panel
                 {item, {}, screen, {862, 30, 300, 400}},               // no strut: the item in the available area
                 {{}, {1500, 10}, belowTopPanel, {1350, 28, 300, 400}}, // no geometry: under the pointer
                 {{1890, 2, 24, 24}, {}, belowTopPanel, {1620, 30, 300, 400}}, // a corner pushes it left
                 {{-500, -500, 24, 24}, {}, screen, {0, 0, 300, 400}},
                 {item, {}, screen, {862, 0, 300, 2000}}, // taller than the screen: the header stays visible
             })
            QCOMPARE(panelGeometry(expected.size(), tray, point, available), expected);
    }
};

QTEST_GUILESS_MAIN(TestPanel)
#include "test_panel.moc"
