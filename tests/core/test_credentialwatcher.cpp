// The credential watcher on a real temporary folder, changed the ways the
// command-line tools change their files.
#include "core/CredentialWatcher.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto Debounce = 50ms;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// How the tools save: a new file beside the old one, renamed over it.
bool replaceByRename(const QString &path, const QByteArray &bytes)
{
    const QString temporary = path + u".tmp"_s;
    return writeFile(temporary, bytes)
        && std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0;
}

} // namespace

class TestCredentialWatcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appearsChangesByRenameAndDisappears()
    {
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkdir(u".claude"_s));
        const QString file = home.filePath(u".claude/.credentials.json"_s);
        CredentialWatcher watcher({file}, Debounce);
        QSignalSpy changed(&watcher, &CredentialWatcher::changed);

        QVERIFY(writeFile(file, R"({"claudeAiOauth":{"accessToken":"one"}})"));
        QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 1, 2000);

        // Twice: the first rename drops the file from the watch.
        for (int round = 2; round <= 3; ++round) {
            QTest::qWait(20); // a later modification time than the last look
            QVERIFY(replaceByRename(
                file, "{\"claudeAiOauth\":{\"accessToken\":\"token" + QByteArray::number(round) + "\"}}"));
            QTRY_COMPARE_WITH_TIMEOUT(changed.size(), round, 2000);
        }

        QVERIFY(QFile::remove(file));
        QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 4, 2000);
        QTest::qWait(150);
        QCOMPARE(changed.size(), 4);
    }

    void aFolderCreatedLaterIsFollowed()
    {
        QTemporaryDir home;
        const QString file = home.filePath(u".codex/auth.json"_s);
        CredentialWatcher watcher({file}, Debounce);
        QSignalSpy changed(&watcher, &CredentialWatcher::changed);

        QVERIFY(QDir(home.path()).mkdir(u".codex"_s));
        QTest::qWait(150); // a folder alone is no login
        QCOMPARE(changed.size(), 0);
        QVERIFY(writeFile(file, R"({"tokens":{"access_token":"t"}})"));
        QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 1, 2000);
    }

    void otherFilesInTheFolderAndBurstsStayQuiet()
    {
        QTemporaryDir home;
        const QString file = home.filePath(u"auth.json"_s);
        QVERIFY(writeFile(file, "{}"));
        CredentialWatcher watcher({file}, Debounce);
        QSignalSpy changed(&watcher, &CredentialWatcher::changed);

        // The tools keep histories and logs beside their credentials.
        for (int i = 0; i < 5; ++i)
            QVERIFY(writeFile(home.filePath(u"history.jsonl"_s), QByteArray(i + 1, 'x')));
        QTest::qWait(200);
        QCOMPARE(changed.size(), 0);

        for (int i = 0; i < 5; ++i)
            QVERIFY(writeFile(file, QByteArray(i + 3, 'y')));
        QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 1, 2000);
        QTest::qWait(200);
        QCOMPARE(changed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCredentialWatcher)
#include "test_credentialwatcher.moc"
