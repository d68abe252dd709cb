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

        QTest::newRow("GNOME on Wayland") << "ubuntu:GNOME"_ba
                                          << "wayland"_ba
                                          << "wayland-0"_ba
                                          << ""_ba << true << true << "wayland;xcb"_ba;
        QTest::newRow("the user's platform stands") << "GNOME"_ba
                                                    << "wayland"_ba
                                                    << "wayland-0"_ba
                                                    << "xcb"_ba << true << true << ""_ba;
        // Nested and hand-started compositors leave the session type as it was.
        QTest::newRow("a Wayland display in an X11 session") << "sway"_ba
                                                             << "x11"_ba
                                                             << "wayland-1"_ba
                                                             << ""_ba << true << false << "wayland;xcb"_ba;
        QTest::newRow("session type alone, any case") << "KDE"_ba
                                                      << "Wayland"_ba
                                                      << ""_ba
                                                      << ""_ba << true << false << "wayland;xcb"_ba;
        QTest::newRow("plain X11") << "XFCE"_ba
                                   << "x11"_ba
                                   << ""_ba
                                   << ""_ba << false << false << ""_ba;
        QTest::newRow("GNOME Classic on X11") << "GNOME-Classic:GNOME"_ba
                                              << "x11"_ba
                                              << ""_ba
                                              << ""_ba << false << true << ""_ba;
        QTest::newRow("nothing set") << ""_ba
                                     << ""_ba
                                     << ""_ba
                                     << ""_ba << false << false << ""_ba;
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
    }
};

QTEST_GUILESS_MAIN(TestDesktopTraits)
#include "test_desktoptraits.moc"
