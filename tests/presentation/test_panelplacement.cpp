// Which way the panel is shown on each platform, and when a host's point is
// trusted as an anchor.
#include "presentation/PanelPlacement.h"

#include <QTest>

using namespace Qt::StringLiterals;
using enum PanelMode;

struct Case
{
    const char *platform;
    bool waylandSession;
    std::optional<Activation> click;
    PanelMode mode;
};

class TestPanelPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modePerPlatform()
    {
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        const QRect item(1800, 4, 22, 22); // an embedding tray's real geometry
        const Case cases[] = {
            {"xcb", false, Activation{item, {1810, 10}}, AnchoredPopup},
            {"xcb", false, Activation{{}, {1700, 1070}}, AnchoredPopup},
            {"xcb", false, std::nullopt, PlacedWindow}, // the menu before any click
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
        };
        for (const Case &c : cases) {
            const PanelPlacement placement = decidePanelPlacement(
                PlacementInput{QString::fromLatin1(c.platform), c.waylandSession, c.click, screens});
            QCOMPARE(placement.mode, c.mode);
            if (c.mode != PlacedWindow) { // anchored where the click was
                QCOMPARE(placement.trayGeometry, c.click->trayGeometry);
                QCOMPARE(placement.point, c.click->point);
            }
        }
    }

    void edgeReachAndSession()
    {
        const QList<QRect> screen{QRect(0, 0, 1920, 1080)};
        QVERIFY(isAnchorablePoint(QPoint(1919 - 63, 500), screen));
        QVERIFY(!isAnchorablePoint(QPoint(1919 - 64, 500), screen));
        QVERIFY(isAnchorablePoint(QPoint(64, 1079), screen));
        QVERIFY(!isAnchorablePoint(QPoint(63, 63), screen)); // could be item-relative
        QVERIFY(!isAnchorablePoint(QPoint(100, 10), {}));

        QVERIFY(isWaylandSession("Wayland", ""));
        QVERIFY(isWaylandSession("x11", "wayland-0")); // a Wayland display, whatever the session says
        QVERIFY(!isWaylandSession("x11", ""));
        // The user's own choice stands; a Wayland session prefers native Wayland, falling back to XWayland.
        QCOMPARE(preferredQtPlatform("", "wayland", "wayland-0"), QByteArray("wayland;xcb"));
        QCOMPARE(preferredQtPlatform("xcb", "wayland", "wayland-0"), QByteArray());
        QCOMPARE(preferredQtPlatform("", "x11", ""), QByteArray());
    }
};

QTEST_APPLESS_MAIN(TestPanelPlacement)
#include "test_panelplacement.moc"
