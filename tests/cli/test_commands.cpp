// Every face of the built program answers its command line the same way:
// help and version on stdout with status 0, a wrong use on stderr with 2.
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersItsCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("answer"); // how stdout begins, or how stderr ends
        const QString version = u"quotix " QUOTIX_VERSION "\n"_s;
        QTest::newRow("tray version") << QStringList{u"--version"_s} << 0 << version;
        QTest::newRow("status version") << QStringList{u"status"_s, u"-v"_s} << 0 << version;
        QTest::newRow("tray help") << QStringList{u"-h"_s} << 0 << u"Usage: quotix [options]\n"_s;
        QTest::newRow("status help") << QStringList{u"status"_s, u"--help"_s} << 0
                                     << u"Usage: quotix [options] status\n"_s;
        QTest::newRow("screenshot help") << QStringList{u"screenshot"_s, u"--help"_s} << 0
                                         << u"Usage: quotix [options] screenshot DIR\n"_s;
        QTest::newRow("tray option") << QStringList{u"--bogus"_s} << 2 << u"Try \"quotix --help\".\n"_s;
        QTest::newRow("status argument") << QStringList{u"status"_s, u"extra"_s} << 2
                                         << u"Try 'quotix status --help'.\n"_s;
        QTest::newRow("screenshot without a folder")
            << QStringList{u"screenshot"_s, u"--demo"_s} << 2 << u"usage: quotix screenshot [--demo] DIR\n"_s;
        QTest::newRow("screenshot option")
            << QStringList{u"screenshot"_s, u"--dmeo"_s, u"out"_s} << 2 << u"usage: quotix screenshot [--demo] DIR\n"_s;
    }
    void answersItsCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, answer);
        // Help and version need no display at all; the tray reads its other
        // options once the GUI toolkit took its share, so it gets an offscreen one.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const auto *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (exitCode != 0)
            environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        QProcess quotix;
        quotix.setProcessEnvironment(environment);
        quotix.start(QStringLiteral(QUOTIX_EXECUTABLE), arguments);
        QVERIFY(quotix.waitForFinished(30000));
        QCOMPARE(quotix.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quotix.exitCode(), exitCode);
        const QString out = QString::fromUtf8(quotix.readAllStandardOutput());
        const QString err = QString::fromUtf8(quotix.readAllStandardError());
        if (exitCode == 0)
            QVERIFY2(out.startsWith(answer) && err.isEmpty(), qPrintable(out + err));
        else
            QVERIFY2(out.isEmpty() && err.contains(u"quotix"_s) && err.endsWith(answer), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
