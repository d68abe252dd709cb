// The real program as a child process: where no graphical session can be
// reached it says so and exits; it keeps its memory out of core dumps; and
// a single-instance lock left by a killed copy does not block the next start.
#include "support/DataRows.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

const QString Quotix = QStringLiteral(QUOTIX_EXECUTABLE);

// A child whose core file, if it writes one, lands in folder.
std::unique_ptr<QProcess> start(const QString &program, const QStringList &arguments,
                                const QProcessEnvironment &environment, const QString &folder = QString())
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    if (!folder.isEmpty() && QDir().mkpath(folder))
        process->setWorkingDirectory(folder);
    process->setChildProcessModifier([] {
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        ::setrlimit(RLIMIT_CORE, &unlimited);
    });
    process->start(program, arguments);
    return process;
}

// The kernel's pattern for core files.
QString corePattern()
{
    QFile file(u"/proc/sys/kernel/core_pattern"_s);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll().trimmed()) : QString();
}

// The folder a child's core file lands in: its working folder for a bare
// name, the named folder for a path; none when dumps are piped to a program.
QString coreFolder(const QProcess &process)
{
    const QString pattern = corePattern();
    if (pattern.isEmpty() || pattern.startsWith(u'|'))
        return {};
    const qsizetype slash = pattern.lastIndexOf(u'/');
    if (slash < 0)
        return process.workingDirectory();
    const QString folder = pattern.left(slash);
    return folder.contains(u'%') ? QString() : QDir(process.workingDirectory()).absoluteFilePath(folder);
}

// Ends the child with a signal whose default is to dump core; true when a
// new file showed up where core files go.
bool leavesCore(QProcess &process)
{
    const QDir folder(coreFolder(process));
    const QStringList before = folder.entryList(QDir::Files);
    ::kill(pid_t(process.processId()), SIGQUIT);
    process.waitForFinished(10000);
    return folder.entryList(QDir::Files) != before;
}

// The tray in a home of its own with a private runtime folder: the demo
// figures, no credentials read, and a private bus without a tray host, so it
// waits for one, holding its lock.
QProcessEnvironment trayHome(const QTemporaryDir &home)
{
    QDir(home.path()).mkdir(u"run"_s);
    QFile::setPermissions(home.filePath(u"run"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, home.path());
    environment.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
    environment.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
    environment.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"run"_s));
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    return environment;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutADisplayItExplainsAndExits_data()
    {
        addColumns<QString, QStringList, int, QString>("display", "arguments", "exitCode", "message");
        QTest::newRow("no display at all") << QString() << QStringList() << 1 << u"no graphical session found"_s;
        QTest::newRow("nobody listening") << u":97"_s << QStringList() << 1 << u"cannot reach the display \":97\""_s;
        QTest::newRow("a mistyped command")
            << QString() << QStringList{u"stauts"_s} << 2 << u"unknown command \"stauts\""_s;
    }
    void withoutADisplayItExplainsAndExits()
    {
        const auto [display, arguments, exitCode, message]
            = fetchRow<QString, QStringList, int, QString>("display", "arguments", "exitCode", "message");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const auto *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            environment.insert(u"DISPLAY"_s, display);
        const auto quotix = start(Quotix, arguments, environment);
        QVERIFY(quotix->waitForFinished(10000));
        QCOMPARE(quotix->exitStatus(), QProcess::NormalExit);
        QCOMPARE(quotix->exitCode(), exitCode);
        QVERIFY(QString::fromUtf8(quotix->readAllStandardError()).contains(message));
    }

    void aLockLeftByAKilledCopyIsTakenOver()
    {
        QTemporaryDir home;
        const auto holder = [&] {
            QFile file(home.filePath(u"run/quotix.lock"_s));
            return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed().toLongLong() : 0;
        };
        const auto first = start(Quotix, {u"--demo"_s}, trayHome(home));
        QTRY_COMPARE_WITH_TIMEOUT(holder(), first->processId(), 10000);

        // While the first lives, a second start is turned away.
        const auto second = start(Quotix, {u"--demo"_s}, trayHome(home));
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 1);
        QVERIFY(second->readAllStandardError().contains("already running"));

        // Killed without a chance to clean up, the first leaves its lock behind.
        const qint64 killed = first->processId();
        first->kill(); // SIGKILL
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(holder(), killed);
        const auto third = start(Quotix, {u"--demo"_s}, trayHome(home));
        QTRY_COMPARE_WITH_TIMEOUT(holder(), third->processId(), 10000);
        QCOMPARE(third->state(), QProcess::Running);
        third->kill();
        third->waitForFinished(10000);
    }

    // Both faces hold borrowed tokens in memory: killed by a signal that dumps
    // core, they must leave no dump behind.
    void neitherFaceLeavesACoreDump()
    {
        QTemporaryDir home;
        // Whether this machine writes core files at all: a plain process must leave one.
        const auto control
            = start(u"sleep"_s, {u"30"_s}, QProcessEnvironment::systemEnvironment(), home.filePath(u"control"_s));
        QVERIFY(control->waitForStarted());
        const QString pattern = corePattern();
        QVERIFY2(!coreFolder(*control).isEmpty(),
                 qPrintable(
                     u"core files go where this test cannot look (kernel.core_pattern \"%1\"); "
                     u"run it where they are written as files, for example with core_pattern \"core\""_s.arg(pattern)));
        QVERIFY2(leavesCore(*control),
                 qPrintable(u"a plain process left no core file in %1 (kernel.core_pattern \"%2\")"_s.arg(
                     coreFolder(*control), pattern)));

        // The command, once it has printed, while it keeps following.
        const auto status
            = start(Quotix, {u"status"_s, u"--demo"_s, u"--follow"_s}, trayHome(home), home.filePath(u"status"_s));
        QVERIFY(status->waitForReadyRead(10000));
        QVERIFY(!leavesCore(*status));
        QCOMPARE(status->exitStatus(), QProcess::CrashExit); // ended by the signal, not by a handler of ours

        // The tray, once it holds its lock and waits for a tray host.
        const auto tray = start(Quotix, {u"--demo"_s}, trayHome(home), home.filePath(u"tray"_s));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath(u"run/quotix.lock"_s)), 10000);
        QVERIFY(!leavesCore(*tray));
        QCOMPARE(tray->exitStatus(), QProcess::CrashExit);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
