// The one run of `quotix status` against scripted providers: it ends at the
// run's end or at the deadline, whichever comes first.
#include "cli/StatusCommand.h"
#include "support/ScriptedProvider.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestStatusRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aSlowProviderIsCutAtTheDeadline()
    {
        auto fast = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
        auto slow = std::make_shared<ScriptedProvider>(u"codex"_s, u"Codex"_s);
        fast->script({{usageOf({{"5 Hour", 40}}), 10ms}});
        slow->script({{usageOf({{"5 Hour", 99}}), 10s}});
        RecordingNotifications notifications;

        QElapsedTimer clock;
        clock.start();
        const StatusSnapshot snapshot = fetchStatusOnce({fast, slow}, &notifications, {300ms, 10ms});
        QVERIFY2(clock.elapsed() < 3000, "waited past the deadline");

        QCOMPARE(snapshot.providers.size(), 2);
        const ProviderState &done = snapshot.providers.at(0).state;
        const ProviderState &cut = snapshot.providers.at(1).state;
        QCOMPARE(done.usage->maxUtilization(), 40.0);
        QVERIFY(!done.error);
        QVERIFY(!cut.usage);
        QVERIFY(!cut.isLoading);
        QCOMPARE(cut.error, u"No answer within 1 second."_s);
        QVERIFY(!snapshot.lastUpdated); // the run never ended
        QCOMPARE(statusExitCode(snapshot), 1);
    }

    void retriesWithinTheDeadlineEndInTheRealError()
    {
        auto provider = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
        const TransportError timedOut(TransportError::TimedOut, u"The request timed out."_s);
        provider->script({{timedOut, 100ms}, {timedOut, 100ms}, {timedOut, 100ms}, {timedOut, 100ms}});
        RecordingNotifications notifications;
        const StatusSnapshot snapshot = fetchStatusOnce({provider}, &notifications, {5s, 50ms});
        QCOMPARE(provider->attemptTimes.size(), 4);
        QCOMPARE(provider->aborts, 0);
        QCOMPARE(snapshot.providers.at(0).state.error, u"The request timed out."_s);
        QVERIFY(snapshot.lastUpdated);
        QVERIFY(notifications.sent.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestStatusRun)
#include "test_statusrun.moc"
