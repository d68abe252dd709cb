// The credential watcher on a real temporary folder, changed the ways the
// command-line tools change their files.
#include "core/CredentialWatcher.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto Debounce = 50ms;

} // namespace

class TestCredentialWatcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The tools' ways, in a folder made only at login: each change is seen once.
    void aLoginItsRefreshesAndALogoutAreSeenOnceEach()
    {
        QTemporaryDir home;
        const QString file = home.filePath(u".claude/.credentials.json"_s);
        CredentialWatcher watcher({file}, Debounce);
        QSignalSpy changed(&watcher, &CredentialWatcher::changed);
        // The count once the expected signals had time to come, and any more to follow.
        const auto settled = [&](int expected) {
            if (QTest::qWaitFor([&] { return changed.size() >= expected; }, 2000))
                QTest::qWait(150);
            return changed.size();
        };

        QVERIFY(QDir(home.path()).mkdir(u".claude"_s));
        QCOMPARE(settled(0), 0); // a folder alone is no login
        QVERIFY(writeFile(file, "login"));
        QCOMPARE(settled(1), 1);
        // The tools keep histories and logs beside their credentials.
        QVERIFY(writeFile(home.filePath(u".claude/history.jsonl"_s), "{}"));
        QCOMPARE(settled(1), 1);
        for (int i = 0; i < 5; ++i) { // a burst, each write well inside the debounce
            QVERIFY(writeFile(file, QByteArray(i + 1, 'y')));
            QTest::qWait(5);
        }
        QCOMPARE(settled(2), 2);
        // Twice: each rename drops the file from the watch.
        for (int round = 3; round <= 4; ++round) {
            QSaveFile replacement(file); // as the tools save: a new file beside the old one, renamed over it
            QVERIFY(replacement.open(QIODevice::WriteOnly) && replacement.write(QByteArray(round, 'z')) == round
                    && replacement.commit());
            QCOMPARE(settled(round), round);
        }
        // Written in place, which only a watch on the new file sees.
        QVERIFY(writeFile(file, "in place"));
        QCOMPARE(settled(5), 5);
        QVERIFY(QFile::remove(file));
        QCOMPARE(settled(6), 6);
    }
};

QTEST_GUILESS_MAIN(TestCredentialWatcher)
#include "test_credentialwatcher.moc"
