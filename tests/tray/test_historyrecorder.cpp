// The tray's recorder: every successful check lands in the history file, a
// failed one does not, and a damaged file is set aside with a notice while
// the checks go on being recorded.
#include "core/UsageManager.h"
#include "history/HistoryStore.h"
#include "support/Files.h"
#include "support/ManagerFixture.h"
#include "support/StreamCapture.h"
#include "tray/HistoryRecorder.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

using namespace Qt::StringLiterals;

// Whether SQLite is in this process now; asking does not load it.
static bool sqliteLoaded()
{
    void *handle = dlopen("libsqlite3.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

class TestHistoryRecorder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordsEverySuccessfulCheck_data()
    {
        QTest::addColumn<bool>("damagedAtStart");
        QTest::newRow("a new file") << false;
        QTest::newRow("a damaged file") << true;
    }
    void recordsEverySuccessfulCheck()
    {
        QFETCH(bool, damagedAtStart);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Quotix/history.sqlite"_s);
        if (damagedAtStart)
            QVERIFY(writeFile(path, QByteArray(5000, '\x01')));

        // Claude alone, on a clock that stands still: the three checks fall in one second.
        UsageManager::Timing timing{std::chrono::hours(1), std::chrono::milliseconds(20)};
        const QDateTime at = QDateTime::currentDateTimeUtc();
        timing.wallClock = [at] { return at; };
        ManagerFixture f(/*withCodex=*/false, timing);
        RecordingNotifications &notifications = f.notifications;
        std::unique_ptr<HistoryRecorder> made;
        const QByteArray err = captureStream(STDERR_FILENO, [&] {
            made = std::make_unique<HistoryRecorder>(&f.manager, &notifications, path);
        });
        QVERIFY(made->isRecording());
        QCOMPARE(notifications.sent.size(), damagedAtStart ? 1 : 0); // a good file is opened quietly
        if (damagedAtStart) {
            QCOMPARE(notifications.sent[0].first, u"Quotix"_s);
            QVERIFY(notifications.sent[0].second.startsWith(u"Quotix could not read its usage history"_s));
            QVERIFY(QString::fromUtf8(err).contains(notifications.sent[0].second));
        }

        f.first->script({{usageOf({{"Session (5h)", 10}, {"Weekly", 20}})},
                         {ProviderError::apiError(500)},
                         {usageOf({{"Session (5h)", 12}, {"Weekly", 20}})}});
        QSignalSpy recorded(made.get(), &HistoryRecorder::recorded);
        for (int run = 0; run < 3; ++run)
            QVERIFY(f.refreshAndWait());
        QCOMPARE(recorded.size(), 2);
        // Between checks the tray holds no SQLite, and loads it again to read.
        QTRY_VERIFY(!sqliteLoaded());
        QCOMPARE(made->samples({}).size(), 2);
        QTRY_VERIFY(!sqliteLoaded());

        QString error;
        const auto reader = HistoryStore::openForReading(path, &error);
        QVERIFY2(reader, qPrintable(error));
        const QList<HistorySample> samples = reader->samples();
        // Checks within one second: the later figures take the earlier one's place.
        QCOMPARE(samples.size(), 2);
        QCOMPARE(samples[0].limit, u"Session (5h)"_s);
        QCOMPARE(samples[0].utilization, 12.0);
        QCOMPARE(samples[1].utilization, 20.0);
        QCOMPARE(samples[0].until.toSecsSinceEpoch(),
                 f.state(u"claude"_s).lastUpdated->toSecsSinceEpoch());
    }
};

QTEST_GUILESS_MAIN(TestHistoryRecorder)
#include "test_historyrecorder.moc"
