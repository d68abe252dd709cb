// Where the single-instance lock may live: only in a folder no other user
// can enter or have created first.
#include "tray/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

mode_t modeOf(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_runtime;
    QString m_temp;
    QString m_fallback;

private Q_SLOTS:
    void init()
    {
        static int round = 0;
        const QString base = m_root.filePath(QString::number(++round));
        m_runtime = base + u"/run"_s;
        m_temp = base + u"/tmp"_s;
        m_fallback = m_temp + u"/quotix-%1"_s.arg(::geteuid());
        QVERIFY(QDir().mkpath(m_runtime) && QDir().mkpath(m_temp));
        QVERIFY(setMode(m_runtime, 0700));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime));
        qputenv("TMPDIR", QFile::encodeName(m_temp));
    }

    void aPrivateRuntimeFolderHoldsTheLock()
    {
        QString error;
        QCOMPARE(SingleInstance::defaultLockPath(&error), std::optional<QString>(m_runtime + u"/quotix.lock"_s));
        QVERIFY(!QFile::exists(m_fallback));
    }

    void otherwiseAFolderOfOurOwnIsMadeInTheTemporaryFolder_data()
    {
        QTest::addColumn<QString>("runtime");
        QTest::newRow("unset") << QString();
        QTest::newRow("relative") << u"run"_s;
        QTest::newRow("open to others") << u"open"_s;
        QTest::newRow("missing") << u"missing"_s;
    }
    void otherwiseAFolderOfOurOwnIsMadeInTheTemporaryFolder()
    {
        QFETCH(QString, runtime);
        if (runtime == "open"_L1) {
            QVERIFY(setMode(m_runtime, 0755));
            runtime = m_runtime;
        } else if (runtime == "missing"_L1) {
            runtime = m_runtime + u"/gone"_s;
        }
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        QString error;
        for (int start = 0; start < 2; ++start) { // the second start finds the folder made by the first
            QCOMPARE(SingleInstance::defaultLockPath(&error), std::optional<QString>(m_fallback + u"/quotix.lock"_s));
            QCOMPARE(modeOf(m_fallback), mode_t(0700));
        }
    }

    void aFolderPlantedInTheTemporaryFolderIsRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link to a folder of ours") << u"link"_s;
        QTest::newRow("open to others") << u"open"_s;
        QTest::newRow("a file") << u"file"_s;
    }
    void aFolderPlantedInTheTemporaryFolderIsRefused()
    {
        QFETCH(QString, kind);
        qunsetenv("XDG_RUNTIME_DIR");
        if (kind == "link"_L1) {
            QVERIFY(QFile::link(m_runtime, m_fallback)); // 0700 and ours, but reached through a link
        } else if (kind == "open"_L1) {
            QVERIFY(QDir().mkdir(m_fallback) && setMode(m_fallback, 0777));
        } else {
            QFile file(m_fallback);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QString error;
        QVERIFY(!SingleInstance::defaultLockPath(&error));
        QVERIFY2(error.contains(m_fallback), qPrintable(error));
        QVERIFY(!QFile::exists(m_runtime + u"/quotix.lock"_s));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
