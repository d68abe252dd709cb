// The real program as a child process: where no graphical session can be
// reached it says so and exits; it keeps its memory out of core dumps; and
// a single-instance lock left by a killed copy does not block the next start.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A child that may dump core into folder; its raw wait status is ours to read.
// QProcess hides whether a core was written, so this forks by hand.
class Child
{
public:
    Child(const QStringList &arguments, const QProcessEnvironment &environment, const QString &folder)
    {
        QList<QByteArray> argv{QByteArrayLiteral(QUOTIX_EXECUTABLE)};
        for (const QString &argument : arguments)
            argv.append(argument.toLocal8Bit());
        QList<QByteArray> envp;
        for (const QString &entry : environment.toStringList())
            envp.append(entry.toLocal8Bit());
        const QByteArray directory = QFile::encodeName(folder);
        std::vector<char *> args, env;
        for (QByteArray &a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        for (QByteArray &e : envp)
            env.push_back(e.data());
        env.push_back(nullptr);

        m_pid = ::fork();
        if (m_pid == 0) {
            const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
            ::setrlimit(RLIMIT_CORE, &unlimited);
            if (::chdir(directory.constData()) == 0)
                ::execve(args[0], args.data(), env.data());
            ::_exit(127);
        }
    }
    ~Child()
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    pid_t pid() const { return m_pid; }
    // Kills and reaps; the wait status.
    int kill(int signal)
    {
        ::kill(m_pid, signal);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_reaped = true;
        return status;
    }
    bool hasExited()
    {
        int status = 0;
        if (!m_reaped && ::waitpid(m_pid, &status, WNOHANG) == m_pid)
            m_reaped = true;
        return m_reaped;
    }

private:
    pid_t m_pid = -1;
    bool m_reaped = false;
};

// The tray in a home of its own: the demo figures, no credentials read, and
// a private bus without a tray host, so it waits for one.
QProcessEnvironment trayEnvironment(const QTemporaryDir &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, home.path());
    environment.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
    environment.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"run"_s));
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    return environment;
}

bool makeRuntimeFolder(const QTemporaryDir &home)
{
    return QDir(home.path()).mkdir(u"run"_s)
        && QFile::setPermissions(home.filePath(u"run"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class StartupTest : public QObject
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

    void aLockLeftByAKilledCopyIsTakenOver()
    {
        QTemporaryDir home;
        QVERIFY(makeRuntimeFolder(home));
        const QString lock = home.filePath(u"run/quotix.lock"_s);
        const auto holder = [&] {
            QFile file(lock);
            return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed().toLongLong() : 0;
        };

        Child first({u"--demo"_s}, trayEnvironment(home), home.path());
        QTRY_COMPARE_WITH_TIMEOUT(holder(), qint64(first.pid()), 10000);

        // While the first lives, a second start is turned away.
        QProcess second;
        second.setProcessEnvironment(trayEnvironment(home));
        second.start(QStringLiteral(QUOTIX_EXECUTABLE), {u"--demo"_s});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().contains("already running"));

        // Killed without a chance to clean up, the first leaves its lock behind.
        first.kill(SIGKILL);
        QCOMPARE(holder(), qint64(first.pid()));
        Child third({u"--demo"_s}, trayEnvironment(home), home.path());
        QTRY_COMPARE_WITH_TIMEOUT(holder(), qint64(third.pid()), 10000);
        QVERIFY(!third.hasExited());
    }

    // Both faces hold borrowed tokens in memory: killed by a signal that dumps
    // core, they must leave no dump behind.
    void neitherFaceLeavesACoreDump()
    {
        QTemporaryDir home;
        QVERIFY(makeRuntimeFolder(home));

        const auto dumped = [](int status) { return WIFSIGNALED(status) && WCOREDUMP(status); };
        { // Whether this machine writes core files at all: a plain process must leave one.
            pid_t pid = ::fork();
            if (pid == 0) {
                const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
                ::setrlimit(RLIMIT_CORE, &unlimited);
                if (::chdir(QFile::encodeName(home.path()).constData()) == 0)
                    ::pause();
                ::_exit(0);
            }
            QTest::qWait(50);
            ::kill(pid, SIGQUIT);
            int status = 0;
            ::waitpid(pid, &status, 0);
            if (!dumped(status))
                QSKIP("this machine writes no core files, so their absence proves nothing");
        }

        // The command, while it waits for a service that accepted the connection but never answers.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        {
            QFile credentials(home.filePath(u".credentials.json"_s));
            QVERIFY(credentials.open(QIODevice::WriteOnly));
            credentials.write(R"({"claudeAiOauth":{"accessToken":"test-token"}})");
        }
        QProcessEnvironment environment = trayEnvironment(home);
        environment.insert(u"CLAUDE_CONFIG_DIR"_s, home.path());
        environment.insert(u"CODEX_HOME"_s, home.filePath(u"no-codex"_s));
        environment.insert(u"QUOTIX_CLAUDE_USAGE_URL"_s,
                           u"http://127.0.0.1:%1/api/oauth/usage"_s.arg(silent.serverPort()));
        Child status({u"status"_s}, environment, home.path());
        QTRY_VERIFY_WITH_TIMEOUT(silent.hasPendingConnections(), 10000);
        QVERIFY(!dumped(status.kill(SIGQUIT)));

        // The tray, once it holds its lock and waits for a tray host.
        Child tray({u"--demo"_s}, trayEnvironment(home), home.path());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath(u"run/quotix.lock"_s)), 10000);
        QVERIFY(!dumped(tray.kill(SIGQUIT)));
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "test_startup.moc"
