// Where the single-instance lock may live: only in a folder no other user
// can enter or have created first.
#include "support/DataRows.h"
#include "tray/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QHash>
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

    std::optional<QTemporaryDir> m_base;
    QString m_runtime;
    QString m_fallback;

private Q_SLOTS:
    void init()
    {
        const QString base = m_base.emplace().path();
        m_runtime = base + u"/run"_s;
        m_fallback = base + u"/tmp/quotix-%1"_s.arg(::geteuid());
        QVERIFY(QDir().mkpath(m_runtime) && QDir().mkpath(base + u"/tmp"_s));
        QVERIFY(setMode(m_runtime, 0700));
        qputenv("TMPDIR", QFile::encodeName(base + u"/tmp"_s));
    }

    // The runtime folder when it is private, else a folder of our own made in
    // the temporary folder; nothing when what stands there may be another user's.
    void theLockGoesOnlyInAFolderNoOtherUserControls_data()
    {
        // What XDG_RUNTIME_DIR names, what stands where the fallback folder goes, the lock's folder (empty: refused).
        addColumns<QString, QString, QString>("runtime", "planted", "lockFolder");
        QTest::newRow("private runtime folder") << u"private"_s << QString() << u"runtime"_s;
        QTest::newRow("runtime unset") << QString() << QString() << u"fallback"_s;
        QTest::newRow("runtime relative") << u"relative"_s << QString() << u"fallback"_s;
        QTest::newRow("runtime open to others") << u"open"_s << QString() << u"fallback"_s;
        QTest::newRow("runtime missing") << u"missing"_s << QString() << u"fallback"_s;
        QTest::newRow("planted link to a folder of ours") << QString() << u"link"_s << QString();
        QTest::newRow("planted folder open to others") << QString() << u"open"_s << QString();
        QTest::newRow("planted file") << QString() << u"file"_s << QString();
    }
    void theLockGoesOnlyInAFolderNoOtherUserControls()
    {
        const auto [runtime, planted, lockFolder]
            = fetchRow<QString, QString, QString>("runtime", "planted", "lockFolder");
        if (runtime == "open"_L1)
            QVERIFY(setMode(m_runtime, 0755));
        const QHash<QString, QString> runtimes{{u"private"_s, m_runtime},
                                               {u"open"_s, m_runtime},
                                               {u"missing"_s, m_runtime + u"/gone"_s},
                                               {u"relative"_s, QDir::current().relativeFilePath(m_runtime)}};
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimes.value(runtime)));
        if (planted == "link"_L1)
            QVERIFY(QFile::link(m_runtime, m_fallback)); // 0700 and ours, but reached through a link
        else if (planted == "open"_L1)
            QVERIFY(QDir().mkdir(m_fallback) && setMode(m_fallback, 0777));
        else if (planted == "file"_L1)
            QVERIFY(QFile(m_fallback).open(QIODevice::WriteOnly));

        QString error;
        for (int start = 0; start < 2; ++start) { // the second start finds what the first made
            const std::optional<QString> path = SingleInstance::defaultLockPath(&error);
            if (lockFolder.isEmpty())
                QVERIFY2(!path && error.contains(m_fallback), qPrintable(error));
            else
                QCOMPARE(path, (lockFolder == "runtime"_L1 ? m_runtime : m_fallback) + u"/quotix.lock"_s);
        }
        if (!lockFolder.isEmpty()) // made private, or not made at all
            QCOMPARE(modeOf(m_fallback), lockFolder == "fallback"_L1 ? mode_t(0700) : mode_t(0));
    }

    // Only a live holder means "already running"; a folder that takes no file says why.
    void aLockThatCannotBeMadeSaysWhy()
    {
        SingleInstance first(m_runtime + u"/quotix.lock"_s);
        QCOMPARE(first.acquire(), SingleInstance::Outcome::Acquired);
        QCOMPARE(SingleInstance(m_runtime + u"/quotix.lock"_s).acquire(), SingleInstance::Outcome::HeldElsewhere);

        const QString file = m_runtime + u"/file"_s; // where a folder should be
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        SingleInstance blocked(file + u"/quotix.lock"_s);
        QCOMPARE(blocked.acquire(), SingleInstance::Outcome::Failed);
        QCOMPARE(blocked.failure(),
                 u"quotix: cannot create the lock file \"%1/quotix.lock\": Not a directory"_s.arg(file));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
