// Which way the panel is shown on each platform, and when a host's point is
// trusted as an anchor.
#include "presentation/PanelPlacement.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QList<QRect> TwoScreens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
const QRect XembedItem(1800, 4, 22, 22);

PlacementInput input(const QString &platform, bool waylandSession, std::optional<Activation> activation)
{
    return PlacementInput{platform, waylandSession, activation, TwoScreens};
}

} // namespace

Q_DECLARE_METATYPE(PanelMode)

class TestPanelPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modePerPlatform_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("waylandSession");
        QTest::addColumn<QRect>("item");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("clicked");
        QTest::addColumn<PanelMode>("mode");

        using enum PanelMode;
        QTest::newRow("X11, XEmbed click") << u"xcb"_s << false << XembedItem << QPoint(1810, 10) << true << AnchoredPopup;
        QTest::newRow("X11, host point") << u"xcb"_s << false << QRect() << QPoint(1700, 1070) << true << AnchoredPopup;
        QTest::newRow("X11, menu before any click") << u"xcb"_s << false << QRect() << QPoint() << false << PlacedWindow;
        QTest::newRow("native Wayland ignores any point")
            << u"wayland"_s << true << QRect() << QPoint(1700, 10) << true << PlacedWindow;
        QTest::newRow("wayland-egl counts as Wayland")
            << u"wayland-egl"_s << true << QRect() << QPoint(1700, 10) << true << PlacedWindow;
        QTest::newRow("XWayland, global point on the top bar")
            << u"xcb"_s << true << QRect() << QPoint(1700, 12) << true << AnchoredTool;
        QTest::newRow("XWayland, global point on the second screen's bottom panel")
            << u"xcb"_s << true << QRect() << QPoint(2500, 1010) << true << AnchoredTool;
        QTest::newRow("XWayland, waybar's item-relative point")
            << u"xcb"_s << true << QRect() << QPoint(10, 17) << true << PlacedWindow;
        QTest::newRow("XWayland, point mid-screen") << u"xcb"_s << true << QRect() << QPoint(900, 500) << true
                                                    << PlacedWindow;
        QTest::newRow("XWayland, point off every screen")
            << u"xcb"_s << true << QRect() << QPoint(5000, 10) << true << PlacedWindow;
        QTest::newRow("XWayland, XEmbed geometry is real")
            << u"xcb"_s << true << XembedItem << QPoint(10, 17) << true << AnchoredTool;
        QTest::newRow("XWayland, menu before any click") << u"xcb"_s << true << QRect() << QPoint() << false
                                                         << PlacedWindow;
        QTest::newRow("offscreen keeps the popup") << u"offscreen"_s << false << QRect() << QPoint(0, 0) << true
                                                   << AnchoredPopup;
    }

    void modePerPlatform()
    {
        QFETCH(QString, platform);
        QFETCH(bool, waylandSession);
        QFETCH(QRect, item);
        QFETCH(QPoint, point);
        QFETCH(bool, clicked);
        QFETCH(PanelMode, mode);

        const auto activation = clicked ? std::optional(Activation{item, point}) : std::nullopt;
        const PanelPlacement placement = decidePanelPlacement(input(platform, waylandSession, activation));
        QCOMPARE(placement.mode, mode);
        if (mode != PanelMode::PlacedWindow) {
            // Anchored where the click was.
            QCOMPARE(placement.trayGeometry, item);
            QCOMPARE(placement.point, point);
        }
    }

    void edgeReachAndSession()
    {
        const QList<QRect> screen{QRect(0, 0, 1920, 1080)};
        QVERIFY(isAnchorablePoint(QPoint(1919 - 63, 500), screen));
        QVERIFY(!isAnchorablePoint(QPoint(1919 - 64, 500), screen));
        QVERIFY(isAnchorablePoint(QPoint(64, 1079), screen));
        QVERIFY(!isAnchorablePoint(QPoint(63, 63), screen)); // could be item-relative
        QVERIFY(!isAnchorablePoint(QPoint(-5, 500), screen));
        QVERIFY(!isAnchorablePoint(QPoint(100, 10), {}));

        QVERIFY(isWaylandSession("wayland", ""));
        QVERIFY(isWaylandSession("Wayland", ""));
        QVERIFY(isWaylandSession("x11", "wayland-0")); // a Wayland display, whatever the session says
        QVERIFY(!isWaylandSession("x11", ""));
        QVERIFY(!isWaylandSession("", ""));
    }
};

QTEST_APPLESS_MAIN(TestPanelPlacement)
#include "test_panelplacement.moc"
