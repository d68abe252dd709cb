#include "platform/linux/LinuxDesktopTraits.h"
#include "support/DataRows.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestDesktopTraits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decidedFromTheEnvironment_data()
    {
        // holdsKeyboard: whether a layer-shell panel gets the keyboard
        addColumns<QByteArray, QByteArray, QByteArray, QByteArray, bool, bool, QByteArray, bool>(
            "desktop", "session", "waylandDisplay", "qtPlatform", "wayland", "gnome", "preferred", "holdsKeyboard");

        const auto row = [](const char *name, const char *desktop, const char *session, const char *waylandDisplay,
                            const char *qtPlatform, bool wayland, bool gnome, const char *preferred, bool keyboard) {
            QTest::newRow(name) << QByteArray(desktop) << QByteArray(session) << QByteArray(waylandDisplay)
                                << QByteArray(qtPlatform) << wayland << gnome << QByteArray(preferred) << keyboard;
        };
        row("GNOME on Wayland", "ubuntu:GNOME", "wayland", "wayland-0", "", true, true, "wayland;xcb", true);
        row("the user's platform stands", "GNOME", "wayland", "wayland-0", "xcb", true, true, "", true);
        // Nested and hand-started compositors leave the session type as it was.
        row("sway, a Wayland display on X11", "sway", "x11", "wayland-1", "", true, false, "wayland;xcb", true);
        row("session type alone, any case", "KDE", "Wayland", "", "", true, false, "wayland;xcb", false);
        row("plain X11", "XFCE", "x11", "", "", false, false, "", true);
        row("GNOME Classic on X11", "GNOME-Classic:GNOME", "x11", "", "", false, true, "", true);
        // Only KWin hands an on-demand layer surface the keyboard, wherever KDE sits in the list.
        row("KDE later in the list", "X-Test:kde", "wayland", "wayland-0", "", true, false, "wayland;xcb", false);
        row("sway later in the list", "X-Test:SWAY", "wayland", "wayland-1", "", true, false, "wayland;xcb", true);
        row("nothing set", "", "", "", "", false, false, "", true);
    }

    void decidedFromTheEnvironment()
    {
        const auto [desktop, session, waylandDisplay, qtPlatform]
            = fetchRow<QByteArray, QByteArray, QByteArray, QByteArray>("desktop", "session", "waylandDisplay",
                                                                       "qtPlatform");
        const DesktopTraits traits = linuxDesktopTraits({desktop, session, waylandDisplay, qtPlatform});
        QTEST(traits.waylandSession, "wayland");
        QTEST(traits.gnome, "gnome");
        QTEST(traits.preferredQtPlatform, "preferred");
        QTEST(traits.layerPanelHoldsKeyboard, "holdsKeyboard");
        // Only Plasma keeps its panel, and tray, at the bottom out of the box.
        QCOMPARE(traits.trayEdge, traits.layerPanelHoldsKeyboard ? Qt::TopEdge : Qt::BottomEdge);
        // Plasma 6 floats that panel 8 px above the room it reserves.
        QCOMPARE(traits.panelFloat, traits.layerPanelHoldsKeyboard ? 0 : 8);
        // sway centres XWayland's frameless windows and tells X clients of no room for its bar.
        QCOMPARE(traits.xwaylandIgnoresPlacement, QByteArray(QTest::currentDataTag()).contains("sway"));
    }
};

QTEST_GUILESS_MAIN(TestDesktopTraits)
#include "test_desktoptraits.moc"
