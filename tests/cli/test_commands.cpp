// Every face of the built program answers its command line the same way:
// help and version on stdout with status 0, a wrong use on stderr with 2,
// before any display or service is touched.
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Answer
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Without a display unless offscreen: the tray reads its own options only
// once the GUI toolkit took its share.
Answer runQuotix(const QStringList &arguments, bool offscreen = false)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    if (offscreen)
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess quotix;
    quotix.setProcessEnvironment(environment);
    quotix.start(QStringLiteral(QUOTIX_EXECUTABLE), arguments);
    if (!quotix.waitForFinished(30000) || quotix.exitStatus() != QProcess::NormalExit)
        return {};
    return {quotix.exitCode(), QString::fromUtf8(quotix.readAllStandardOutput()),
            QString::fromUtf8(quotix.readAllStandardError())};
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void helpAndVersionAnswerWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        const QString version = u"quotix " QUOTIX_VERSION "\n"_s;
        QTest::newRow("tray version") << QStringList{u"--version"_s} << version;
        QTest::newRow("status version") << QStringList{u"status"_s, u"-v"_s} << version;
        QTest::newRow("tray help") << QStringList{u"-h"_s} << u"Usage: quotix [options]\n"_s;
        QTest::newRow("status help") << QStringList{u"status"_s, u"--help"_s} << u"Usage: quotix [options] status\n"_s;
        QTest::newRow("screenshot help") << QStringList{u"screenshot"_s, u"--help"_s}
                                         << u"Usage: quotix [options] screenshot DIR\n"_s;
    }
    void helpAndVersionAnswerWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        const Answer answer = runQuotix(arguments);
        QCOMPARE(answer.exitCode, 0);
        QVERIFY2(answer.out.startsWith(expected), qPrintable(answer.out));
        QVERIFY(answer.err.isEmpty());
    }

    void wrongUseEndsWithStatusTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("hint");
        QTest::newRow("tray option") << QStringList{u"--bogus"_s} << u"Try \"quotix --help\".\n"_s;
        QTest::newRow("status argument") << QStringList{u"status"_s, u"extra"_s} << u"Try 'quotix status --help'.\n"_s;
        QTest::newRow("screenshot without a folder")
            << QStringList{u"screenshot"_s, u"--demo"_s} << u"usage: quotix screenshot [--demo] DIR\n"_s;
        QTest::newRow("screenshot option") << QStringList{u"screenshot"_s, u"--dmeo"_s, u"out"_s}
                                           << u"usage: quotix screenshot [--demo] DIR\n"_s;
    }
    void wrongUseEndsWithStatusTwo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, hint);
        const Answer answer = runQuotix(arguments, true);
        QCOMPARE(answer.exitCode, 2);
        QVERIFY(answer.out.isEmpty());
        QVERIFY2(answer.err.contains(u"quotix"_s) && answer.err.endsWith(hint), qPrintable(answer.err));
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
