// The coordinator driven through a real event loop by scripted providers.
#include "core/UsageManager.h"
#include "support/ScriptedProvider.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto ShortPause = 20ms;

TransportError timedOut(const QString &text = u"The request timed out."_s)
{
    return TransportError(TransportError::TimedOut, text);
}

// Claude and Codex, or Claude alone.
struct Fixture
{
    explicit Fixture(bool withCodex = true, UsageManager::Timing timing = UsageManager::Timing{1h, ShortPause})
        : manager(withCodex ? ProviderList{first, second} : ProviderList{first}, &notifications, timing)
    {}
    std::shared_ptr<ScriptedProvider> first = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
    std::shared_ptr<ScriptedProvider> second = std::make_shared<ScriptedProvider>(u"codex"_s, u"Codex"_s);
    RecordingNotifications notifications;
    UsageManager manager;

    // Runs one refresh to its end.
    bool refreshAndWait(int timeoutMs = 5000)
    {
        QSignalSpy finished(&manager, &UsageManager::refreshFinished);
        manager.refresh();
        return finished.wait(timeoutMs);
    }
    const ProviderState &state(const QString &id) const { return manager.providerStates().find(id).value(); }
};

} // namespace

class TestUsageManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsWithAStatePerProviderAndNoRun()
    {
        Fixture f;
        QCOMPARE(f.manager.providerStates().size(), 2);
        QVERIFY(!f.state(u"claude"_s).usage && !f.state(u"claude"_s).error && !f.state(u"claude"_s).isLoading);
        QVERIFY(!f.manager.isLoading());
        QVERIFY(!f.manager.lastUpdated());
        QCOMPARE(f.notifications.permissionRequests, 1);
        QCOMPARE(int(f.manager.statusColor()), int(NamedColor::Green));
    }

    void runWithoutAvailableProvidersStillEnds()
    {
        Fixture f;
        f.first->available = false;
        f.second->available = false;
        QVERIFY(f.manager.availableProviders().isEmpty());
        QSignalSpy loading(&f.manager, &UsageManager::isLoadingChanged);
        QSignalSpy states(&f.manager, &UsageManager::providerStatesChanged);
        QVERIFY(f.refreshAndWait());
        QCOMPARE(loading.size(), 2);
        QCOMPARE(loading.at(0).at(0).toBool(), true);
        QCOMPARE(loading.at(1).at(0).toBool(), false);
        QVERIFY(f.manager.lastUpdated());
        // The run records that both are gone, and changes nothing else.
        QCOMPARE(states.size(), 1);
        for (const ProviderState &state : f.manager.providerStates())
            QVERIFY(!state.isAvailable && !state.usage && !state.error && !state.isLoading);
    }

    void availabilityIsRecordedAtStartAndAtEachRunOnly()
    {
        Fixture f;
        QCOMPARE(f.manager.knownAvailableProviders().size(), 2);
        f.first->available = false;
        QCOMPARE(f.manager.knownAvailableProviders().size(), 2); // faces never ask the providers
        QVERIFY(f.state(u"claude"_s).isAvailable);

        QSignalSpy states(&f.manager, &UsageManager::providerStatesChanged);
        f.manager.refresh();
        QTRY_VERIFY(states.size() >= 1);
        QVERIFY(!f.state(u"claude"_s).isAvailable); // published with the run's start
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.manager.knownAvailableProviders(), ProviderList{f.second});

        f.first->available = true;
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.manager.knownAvailableProviders(), (ProviderList{f.first, f.second}));
    }

    void outcomesArePublishedInCompletionOrder()
    {
        Fixture f;
        f.first->script({{usageOf({{"Weekly (7d)", 10}}), 150ms}});
        f.second->script({{usageOf({{"Weekly", 20}}), 10ms}});
        QStringList order;
        connect(&f.manager, &UsageManager::providerStatesChanged, this, [&] {
            for (const QString &id : {u"claude"_s, u"codex"_s}) {
                if (f.state(id).usage && !order.contains(id))
                    order.append(id);
            }
        });
        QVERIFY(f.refreshAndWait());
        QCOMPARE(order, (QStringList{u"codex"_s, u"claude"_s}));
        QVERIFY(!f.state(u"claude"_s).isLoading && !f.state(u"codex"_s).isLoading);
    }

    void fetchedProvidersAreMarkedWhileTheRunIsUnderWay()
    {
        Fixture f;
        f.second->available = false;
        f.first->script({{usageOf({{"a", 1}}), 100ms}});
        f.manager.refresh();
        QTRY_VERIFY(f.manager.isLoading());
        QVERIFY(f.state(u"claude"_s).isLoading);
        QVERIFY(!f.state(u"codex"_s).isLoading);
        QTRY_VERIFY(!f.manager.isLoading());
        QVERIFY(!f.state(u"claude"_s).isLoading);
        QVERIFY(f.second->attemptTimes.isEmpty()); // an unavailable provider is never asked
        QVERIFY(!f.state(u"codex"_s).usage && !f.state(u"codex"_s).error);
    }

    void transientTransportErrorsAreRetriedThreeTimes()
    {
        Fixture f(false);
        f.first->script({{timedOut(u"first"_s), 0ms},
                         {timedOut(u"second"_s), 0ms},
                         {timedOut(u"third"_s), 0ms},
                         {timedOut(u"fourth"_s), 0ms}});
        f.first->clock.start();
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.first->attemptTimes.size(), 4);
        for (int i = 1; i < 4; ++i)
            QVERIFY(f.first->attemptTimes[i] - f.first->attemptTimes[i - 1] >= ShortPause.count() - 1);
        QCOMPARE(f.state(u"claude"_s).error, u"fourth"_s);

        // A retry that succeeds stores the usage and clears the error.
        f.first->script(
            {{TransportError(TransportError::NetworkConnectionLost, u"lost"_s), 0ms}, {usageOf({{"a", 42}}), 0ms}});
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.first->attemptTimes.size(), 6);
        QVERIFY(!f.state(u"claude"_s).error);
        QCOMPARE(f.state(u"claude"_s).usage->maxUtilization(), 42.0);
    }

    void otherFailuresEndTheFetchAtOnce_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("api error") << 0 << u"API error (code: 500)"_s;
        QTest::newRow("not logged in") << 1 << u"Not logged in to Claude."_s;
        QTest::newRow("cancelled request") << 2 << u"Operation canceled"_s;
        QTest::newRow("unknown transport code") << 3 << u"Protocol error"_s;
        QTest::newRow("parser error") << 4 << u"illegal value"_s;
    }
    void otherFailuresEndTheFetchAtOnce()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        const QList<FetchResult> results{ProviderError::apiError(500), ProviderError::notLoggedIn(u"Claude"_s),
                                         TransportError(TransportError::Cancelled, u"Operation canceled"_s),
                                         TransportError(TransportError::Unknown, u"Protocol error"_s),
                                         OtherError{u"illegal value"_s}};
        Fixture f(false);
        f.first->script({{results[kind], 0ms}, {usageOf({{"never", 1}}), 0ms}});
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.first->attemptTimes.size(), 1);
        QCOMPARE(f.state(u"claude"_s).error, message);
        QVERIFY(!f.state(u"claude"_s).usage);
    }

    void lastGoodUsageStaysBesideALaterError()
    {
        Fixture f(false);
        f.first->script({{usageOf({{"a", 95}}), 0ms}});
        QVERIFY(f.refreshAndWait());
        const QDateTime firstSuccess = *f.state(u"claude"_s).lastUpdated;
        const QDateTime firstRun = *f.manager.lastUpdated();

        QTest::qWait(5);
        f.first->script({{ProviderError::apiError(503), 0ms}});
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.state(u"claude"_s).usage->maxUtilization(), 95.0);
        QCOMPARE(*f.state(u"claude"_s).lastUpdated, firstSuccess);
        QCOMPARE(f.state(u"claude"_s).error, u"API error (code: 503)"_s);
        QVERIFY(*f.manager.lastUpdated() > firstRun);
        QCOMPARE(int(f.manager.statusColor()), int(NamedColor::Red)); // the old figures still count

        f.first->script({{usageOf({{"a", 12}}), 0ms}});
        QVERIFY(f.refreshAndWait());
        QVERIFY(!f.state(u"claude"_s).error);
        QVERIFY(*f.state(u"claude"_s).lastUpdated > firstSuccess);
    }

    void aSupersededRunAppliesNothing()
    {
        Fixture f(false);
        f.first->script({{usageOf({{"old", 80}}), 200ms}, {usageOf({{"new", 10}}), 40ms}});
        QSignalSpy loading(&f.manager, &UsageManager::isLoadingChanged);
        QSignalSpy finished(&f.manager, &UsageManager::refreshFinished);
        QSignalSpy stamped(&f.manager, &UsageManager::lastUpdatedChanged);

        f.manager.refresh();
        QTRY_COMPARE(f.first->attemptTimes.size(), 1);
        f.manager.refresh();
        QVERIFY(finished.wait());
        QTest::qWait(300); // past the old run's answer

        QCOMPARE(f.first->aborts, 1);
        QCOMPARE(f.first->attemptTimes.size(), 2);
        QCOMPARE(f.state(u"claude"_s).usage->limits.first().name, u"new"_s);
        QVERIFY(!f.state(u"claude"_s).error); // the aborted request left no error behind
        QCOMPARE(finished.size(), 1);
        QCOMPARE(stamped.size(), 1);
        QCOMPARE(loading.size(), 2); // true once, false once: the old run never cleared it
        QVERIFY(f.notifications.sent.isEmpty());
    }

    void aSupersededRunStopsItsRetryPause()
    {
        Fixture f(false, UsageManager::Timing{1h, 150ms});
        f.first->script({{timedOut(), 0ms}, {usageOf({{"fresh", 5}}), 0ms}});
        QSignalSpy finished(&f.manager, &UsageManager::refreshFinished);
        f.manager.refresh();
        QTRY_COMPARE(f.first->attemptTimes.size(), 1);
        QTest::qWait(20); // now inside the old run's pause
        f.manager.refresh();
        QVERIFY(finished.wait());
        QTest::qWait(250); // the old pause would have ended by now
        QCOMPARE(f.first->attemptTimes.size(), 2);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(f.state(u"claude"_s).usage->limits.first().name, u"fresh"_s);
    }

    void receiversReadTheAnnouncedValue()
    {
        Fixture f(false);
        f.first->script({{usageOf({{"a", 33}}), 0ms}});
        QList<bool> directLoading;
        int queuedSawUsage = 0;
        connect(&f.manager, &UsageManager::isLoadingChanged, this,
                [&](bool value) { directLoading.append(value == f.manager.isLoading()); });
        connect(
            &f.manager, &UsageManager::providerStatesChanged, this,
            [&] {
                if (f.state(u"claude"_s).usage)
                    ++queuedSawUsage;
            },
            Qt::QueuedConnection);
        connect(&f.manager, &UsageManager::lastUpdatedChanged, this, [&] { QVERIFY(f.manager.lastUpdated()); });
        QVERIFY(f.refreshAndWait());
        QTRY_COMPARE(queuedSawUsage, 1);
        QCOMPARE(directLoading, (QList<bool>{true, true}));
    }

    void timerRefreshesEveryPeriodOnlyWithAPeriod()
    {
        Fixture f(false, UsageManager::Timing{40ms, ShortPause});
        Fixture untimed(false, UsageManager::Timing{std::nullopt, ShortPause});
        QSignalSpy finished(&f.manager, &UsageManager::refreshFinished);
        QTest::qWait(20);
        QCOMPARE(finished.size(), 0); // no tick at creation
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() >= 3, 2000);
        QVERIFY(untimed.first->attemptTimes.isEmpty());
        untimed.manager.refreshIfIdle();
        QTRY_COMPARE(untimed.first->attemptTimes.size(), 1);
    }

    void aTickDuringARunIsSkippedSoSlowRunsStillEnd()
    {
        // Every fetch takes three periods: were ticks to supersede, no run would end.
        Fixture f(false, UsageManager::Timing{40ms, ShortPause});
        f.first->fallback = {usageOf({{"a", 5}}), 120ms};
        QSignalSpy finished(&f.manager, &UsageManager::refreshFinished);
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() >= 2, 3000);
        QCOMPARE(f.first->aborts, 0);
        QVERIFY(f.state(u"claude"_s).usage);

        // The user's request still supersedes the run in progress.
        QTRY_VERIFY(f.manager.isLoading());
        f.manager.refresh();
        QCOMPARE(f.first->aborts, 1);
    }

    void alertsGoOutOncePerThresholdAndProvider()
    {
        Fixture f;
        f.first->script({{usageOf({{"a", 10}}), 0ms}, {usageOf({{"a", 10}}), 0ms}});
        f.second->script({{usageOf({{"5 Hour", 95}, {"Weekly", 40}}), 0ms},
                          {ProviderError::apiError(500), 0ms},
                          {usageOf({{"5 Hour", 96}}), 0ms}});
        QVERIFY(f.refreshAndWait());
        using Sent = QList<std::pair<QString, QString>>;
        const Sent expected{{u"Codex Usage Alert"_s, u"Usage is at 95%"_s},
                            {u"Codex Usage Alert"_s, u"Usage is at 95%"_s}};
        QCOMPARE(f.notifications.sent, expected);
        QCOMPARE(f.notifications.replacing, (QList<bool>{false, true})); // on screen, one alert

        // A failure neither alerts nor re-arms; the next success at 96 stays quiet.
        QVERIFY(f.refreshAndWait());
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.notifications.sent, expected);
    }

    void statusColorSummarisesEveryProvider()
    {
        Fixture f;
        f.first->script({{usageOf({{"a", 69.9}}), 0ms}, {usageOf({{"a", 70}}), 0ms}, {ProviderUsageResponse{}, 0ms}});
        f.second->script(
            {{ProviderError::apiError(500), 0ms}, {ProviderError::apiError(500), 0ms}, {usageOf({{"b", 90}}), 0ms}});
        QVERIFY(f.refreshAndWait());
        QCOMPARE(int(f.manager.statusColor()), int(NamedColor::Green));
        QVERIFY(f.refreshAndWait());
        QCOMPARE(int(f.manager.statusColor()), int(NamedColor::Yellow));
        QVERIFY(f.refreshAndWait());
        QCOMPARE(int(f.manager.statusColor()), int(NamedColor::Red));
        // A provider that is no longer available keeps counting with its last usage.
        f.second->available = false;
        QCOMPARE(int(f.manager.statusColor()), int(NamedColor::Red));
    }
};

QTEST_GUILESS_MAIN(TestUsageManager)
#include "test_usagemanager.moc"
