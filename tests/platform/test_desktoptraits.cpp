#include "platform/linux/LinuxDesktopTraits.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestDesktopTraits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decidedFromTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QByteArray>("session");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("qtPlatform");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("gnome");
        QTest::addColumn<QByteArray>("preferred");
        QTest::addColumn<bool>("holdsKeyboard"); // a layer-shell panel

        QTest::newRow("GNOME on Wayland") << "ubuntu:GNOME"_ba
                                          << "wayland"_ba
                                          << "wayland-0"_ba
                                          << ""_ba << true << true << "wayland;xcb"_ba << true;
        QTest::newRow("the user's platform stands") << "GNOME"_ba
                                                    << "wayland"_ba
                                                    << "wayland-0"_ba
                                                    << "xcb"_ba << true << true << ""_ba << true;
        // Nested and hand-started compositors leave the session type as it was.
        QTest::newRow("a Wayland display in an X11 session") << "sway"_ba
                                                             << "x11"_ba
                                                             << "wayland-1"_ba
                                                             << ""_ba << true << false << "wayland;xcb"_ba << true;
        QTest::newRow("session type alone, any case") << "KDE"_ba
                                                      << "Wayland"_ba
                                                      << ""_ba
                                                      << ""_ba << true << false << "wayland;xcb"_ba << false;
        QTest::newRow("plain X11") << "XFCE"_ba
                                   << "x11"_ba
                                   << ""_ba
                                   << ""_ba << false << false << ""_ba << true;
        QTest::newRow("GNOME Classic on X11") << "GNOME-Classic:GNOME"_ba
                                              << "x11"_ba
                                              << ""_ba
                                              << ""_ba << false << true << ""_ba << true;
        // Only KWin hands an on-demand layer surface the keyboard, wherever KDE sits in the list.
        QTest::newRow("KDE later in the list") << "X-Test:kde"_ba
                                               << "wayland"_ba
                                               << "wayland-0"_ba
                                               << ""_ba << true << false << "wayland;xcb"_ba << false;
        QTest::newRow("nothing set") << ""_ba
                                     << ""_ba
                                     << ""_ba
                                     << ""_ba << false << false << ""_ba << true;
    }

    void decidedFromTheEnvironment()
    {
        QFETCH(QByteArray, desktop);
        QFETCH(QByteArray, session);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(QByteArray, qtPlatform);
        const DesktopTraits traits = linuxDesktopTraits({desktop, session, waylandDisplay, qtPlatform});
        QTEST(traits.waylandSession, "wayland");
        QTEST(traits.gnome, "gnome");
        QTEST(traits.preferredQtPlatform, "preferred");
        QTEST(traits.layerPanelHoldsKeyboard, "holdsKeyboard");
        // Only Plasma keeps its panel, and tray, at the bottom out of the box.
        QCOMPARE(traits.trayEdge, traits.layerPanelHoldsKeyboard ? Qt::TopEdge : Qt::BottomEdge);
    }
};

QTEST_GUILESS_MAIN(TestDesktopTraits)
#include "test_desktoptraits.moc"
