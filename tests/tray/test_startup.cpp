// Started where no graphical session can be reached, the tray application says
// so and exits, instead of aborting inside the GUI toolkit.
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutADisplayItExplainsAndExits_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("message");
        QTest::newRow("no display at all") << QString() << u"no graphical session found"_s;
        QTest::newRow("nobody listening") << u":97"_s << u"cannot reach the display \":97\""_s;
    }
    void withoutADisplayItExplainsAndExits()
    {
        QFETCH(QString, display);
        QFETCH(QString, message);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const auto *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            environment.insert(u"DISPLAY"_s, display);
        QProcess quotix;
        quotix.setProcessEnvironment(environment);
        quotix.start(QStringLiteral(QUOTIX_EXECUTABLE), {});
        QVERIFY(quotix.waitForFinished(10000));
        QCOMPARE(quotix.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quotix.exitCode(), 1);
        QVERIFY(QString::fromUtf8(quotix.readAllStandardError()).contains(message));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
