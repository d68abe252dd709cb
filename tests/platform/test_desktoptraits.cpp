#include "core/os/PlatformServices.h"
#include "platform/linux/LinuxDesktopTraits.h"
#include "platform/linux/SwayIpc.h"
#include "support/DataRows.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
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

    // The rect of the workspace visible on the clicked output is the room sway's
    // bars leave; anything else, and the bar's room is guessed.
    void freeAreaFromSwaysWorkspaces_data()
    {
        addColumns<QByteArray, QRect, QRect>("workspaces", "screen", "expected");
        const auto workspace = [](const char *output, bool visible, QRect rect) {
            return QStringLiteral(R"({"name":"1","output":"%1","visible":%2,"focused":false,)"
                                  R"("rect":{"x":%3,"y":%4,"width":%5,"height":%6}})")
                .arg(QLatin1String(output), visible ? u"true"_s : u"false"_s)
                .arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()).toUtf8();
        };
        const QRect screen(0, 0, 1280, 800), right(1280, 0, 1920, 1080);
        const auto list = [](std::initializer_list<QByteArray> items) {
            return '[' + QList<QByteArray>(items).join(',') + ']';
        };
        QTest::newRow("top bar") << list({workspace("X11-1", true, {0, 26, 1280, 774})}) << screen
                                 << QRect(0, 26, 1280, 774);
        // The hidden workspace of the clicked output comes first, the other output's visible one too.
        const QByteArray twoOutputs = list({workspace("X11-2", false, {1280, 0, 1920, 1080}),
                                            workspace("X11-1", true, {0, 26, 1280, 774}),
                                            workspace("X11-2", true, {1280, 30, 1920, 1050})});
        QTest::newRow("two outputs, the right one") << twoOutputs << right << QRect(1280, 30, 1920, 1050);
        QTest::newRow("two outputs, the left one") << twoOutputs << screen << QRect(0, 26, 1280, 774);
        QTest::newRow("no visible workspace") << list({workspace("X11-1", false, {0, 26, 1280, 774})}) << screen
                                              << QRect();
        QTest::newRow("none on that output") << list({workspace("X11-1", true, {0, 26, 1280, 774})}) << right
                                             << QRect();
        QTest::newRow("empty rect") << list({workspace("X11-1", true, {0, 26, 0, 774})}) << screen << QRect();
        QTest::newRow("rect of texts") << QByteArray(R"([{"visible":true,"rect":{"x":"0","y":"26",)"
                                                     R"("width":"1280","height":"774"}}])")
                                       << screen << QRect();
        QTest::newRow("an object, not a list") << workspace("X11-1", true, {0, 26, 1280, 774}) << screen << QRect();
        QTest::newRow("cut short") << list({workspace("X11-1", true, {0, 26, 1280, 774})}).chopped(2) << screen
                                   << QRect();
    }
    void freeAreaFromSwaysWorkspaces()
    {
        const auto [workspaces, screen, expected] = fetchRow<QByteArray, QRect, QRect>("workspaces", "screen", "expected");
        const SwayFreeArea free = swayFreeArea(workspaces, screen);
        QCOMPARE(free.area, expected);
        QCOMPARE(free.problem.isEmpty(), expected.isValid());
    }

    // Over sway's socket, in its framing. sway started by hand names no
    // desktop but its socket, which moves the panel: asked again until sway
    // has mapped the window. The free area is asked with get_workspaces; a
    // sway that stays silent leaves it to the guess.
    void asksSwayOverItsSocket()
    {
        QTemporaryDir dir;
        QLocalServer sway;
        QVERIFY(sway.listen(dir.filePath(u"sway-ipc.sock"_s)));
        QList<QByteArray> asked;
        bool silent = false;
        connect(&sway, &QLocalServer::newConnection, this, [&] {
            QLocalSocket *client = sway.nextPendingConnection();
            connect(client, &QLocalSocket::readyRead, client, [&, client] {
                asked.append(client->readAll());
                if (silent)
                    return;
                const bool command = asked.last().at(10) == 0; // the message type, after magic and length
                client->write(command ? swayIpcMessage(0, asked.size() < 3 ? R"([{"success": false}])"
                                                                           : R"([{"success": true}])")
                                      : swayIpcMessage(1, R"([{"visible":true,"rect":{"x":0,"y":26,"width":1280,"height":774}}])"));
            });
        });
        const DesktopTraits traits = linuxDesktopTraits({"", "", "wayland-1", "xcb", sway.fullServerName().toUtf8()});
        QVERIFY(traits.xwaylandIgnoresPlacement);
        askWindowManagerToPlace(traits, 4194311, QPoint(980, 27));
        QTRY_COMPARE(asked.size(), 3);
        QTest::qWait(200);
        QCOMPARE(asked.size(), 3); // done once sway said so
        const QByteArray command = "[id=4194311] move absolute position 980 27";
        QCOMPARE(asked.last(), swayIpcMessage(0, command));
        QCOMPARE(asked.last().first(10), QByteArray("i3-ipc") + char(command.size()) + QByteArray(3, 0)); // little-endian host
        QCOMPARE(swayCommandSucceeded(swayIpcMessage(0, R"([{"success": true}])").chopped(1)), std::nullopt);
        QCOMPARE(swayCommandSucceeded("i3-ipX" + QByteArray(8, 0)), false);

        std::optional<std::optional<QRect>> answer;
        const auto ask = [&] {
            answer.reset();
            askWindowManagerForFreeArea(linuxDesktopTraits({"sway", "wayland", "wayland-1", "xcb", sway.fullServerName().toUtf8()}),
                                        QRect(0, 0, 1280, 800), [&](std::optional<QRect> area) { answer = area; });
        };
        ask();
        QTRY_VERIFY(answer.has_value());
        QCOMPARE(*answer, QRect(0, 26, 1280, 774));
        QCOMPARE(asked.mid(3), QList<QByteArray>{swayIpcMessage(1, {})});
        silent = true;
        ask();
        QTRY_VERIFY(answer.has_value());
        QCOMPARE(*answer, std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestDesktopTraits)
#include "test_desktoptraits.moc"
