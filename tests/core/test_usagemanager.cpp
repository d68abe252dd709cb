// The coordinator driven through a real event loop by scripted providers.
#include "core/UsageManager.h"
#include "support/ManagerFixture.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto ShortPause = 20ms;

TransportError timedOut(const QString &text = u"The request timed out."_s)
{
    return TransportError(TransportError::Code::TimedOut, text);
}

} // namespace

class TestUsageManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void availabilityIsRecordedAtStartAndAtEachRunOnly()
    {
        ManagerFixture f;
        QCOMPARE(f.notifications.permissionRequests, 1);
        f.second->available = false;
        QCOMPARE(f.manager.knownAvailableProviders().size(), 2); // faces never ask the providers

        // The run marks exactly the providers it fetches, at its start.
        f.first->script({{usageOf({{"a", 1}}), 100ms}});
        f.manager.refresh();
        QTRY_VERIFY(f.manager.isLoading());
        QVERIFY(f.state(u"claude"_s).isLoading && !f.state(u"codex"_s).isLoading);
        QCOMPARE(f.manager.knownAvailableProviders(), ProviderList{f.first});
        QTRY_VERIFY(!f.manager.isLoading());
        QVERIFY(f.second->attemptTimes.isEmpty()); // an unavailable provider is never asked

        // With nobody to ask, the run still ends, and keeps what it knew.
        f.first->available = false;
        QVERIFY(f.refreshAndWait());
        QVERIFY(f.manager.knownAvailableProviders().isEmpty());
        QVERIFY(f.state(u"claude"_s).usage && !f.state(u"claude"_s).error);

        f.first->available = f.second->available = true;
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.manager.knownAvailableProviders(), (ProviderList{f.first, f.second}));
    }

    // One provider through a sequence of fetches; the outcome is the last attempt's.
    void onlyTransientTransportErrorsAreRetriedAfterAPause()
    {
        const TransportError lost(TransportError::Code::NetworkConnectionLost, u"lost"_s);
        // Each fetch's name, the answers its attempts get, and the error it leaves.
        const QList<std::tuple<const char *, QList<FetchResult>, std::optional<QString>>> fetches{
            {"four timeouts", {timedOut(u"1"_s), timedOut(u"2"_s), timedOut(u"3"_s), timedOut(u"4"_s)}, u"4"_s},
            {"a success after a retry clears the error", {lost, usageOf({{"a", 42}})}, std::nullopt},
            {"api error", {ProviderError::apiError(500)}, u"API error (code: 500)"_s},
            {"not logged in", {ProviderError::notLoggedIn(u"Claude"_s)}, u"Not logged in to Claude."_s},
            {"cancelled", {TransportError(TransportError::Code::Cancelled, u"canceled"_s)}, u"canceled"_s},
            {"unknown transport code", {TransportError(TransportError::Code::Unknown, u"Protocol"_s)}, u"Protocol"_s},
            {"parser error", {OtherError{u"illegal value"_s}}, u"illegal value"_s},
        };
        ManagerFixture f(false);
        for (const auto &[name, answers, error] : fetches) {
            QTest::qWait(5); // a later clock for every fetch
            const ProviderState before = f.state(u"claude"_s);
            f.first->attemptTimes.clear();
            for (const FetchResult &answer : answers)
                f.first->steps.append({answer});
            QVERIFY2(f.refreshAndWait(), name);
            const QList<qint64> &times = f.first->attemptTimes;
            QVERIFY2(times.size() == answers.size(), name);
            for (int i = 1; i < times.size(); ++i)
                QVERIFY2(times[i] - times[i - 1] >= ShortPause.count() - 1, name);
            const ProviderState &after = f.state(u"claude"_s);
            QVERIFY2(after.error == error, name);
            // A failure keeps the last good usage and its time beside the error.
            if (error && before.usage)
                QVERIFY2(after.usage && after.lastUpdated == before.lastUpdated, name);
        }
    }

    // After a good answer, passing failures keep the figures as stale; 429s
    // hold the provider back, longer for each one in a row and as long as
    // the service asks, within the cap. A 429 is never retried within a run.
    void rateLimitsAndPassingFailuresKeepTheLastFigures()
    {
        UsageManager::Timing timing{1h, ShortPause};
        timing.rateLimitBackoff = 400ms;
        timing.rateLimitBackoffCap = 1500ms;
        qint64 setBack = 0;
        timing.wallClock = [&setBack] { return QDateTime::currentDateTimeUtc().addSecs(-setBack); };
        ManagerFixture f(false, timing);
        const ProviderError limited = ProviderError::apiError(429);
        const auto in = [](std::chrono::milliseconds wait) {
            return ProviderError::apiError(429).withRetryAfter(QDateTime::currentDateTimeUtc().addMSecs(wait.count()));
        };
        // Each run's answers (none: the provider is held back), whether the
        // figures are then stale, and the hold that follows in ms (0: none).
        const QList<std::tuple<const char *, QList<FetchResult>, bool, qint64>> runs{
            {"first 429 with nothing known", {limited}, false, 0},
            {"a good answer", {usageOf({{"Weekly (7d)", 50}})}, false, 0},
            {"a 429 waits for the normal schedule", {limited}, true, 0},
            {"the second in a row: 2 periods less half of one", {limited}, true, 600},
            {"held back", {}, true, 600},
            {"a network failure after its retries", {timedOut(), timedOut(), timedOut(), timedOut()}, true, 0},
            {"a good answer clears it all", {usageOf({{"Weekly (7d)", 51}})}, false, 0},
            {"Retry-After counts from the first 429", {in(900ms)}, true, 900},
            {"held back again", {}, true, 900},
            {"a 5xx with its Retry-After", {ProviderError::apiError(503).withRetryAfter(
                                                QDateTime::currentDateTimeUtc().addSecs(3600))},
             true, 1500},
            {"an error the user must act on is not stale", {ProviderError::notLoggedIn(u"Claude"_s)}, false, 0},
        };
        const QDateTime written = QDateTime::currentDateTimeUtc();
        QDateTime heldUntil;
        for (const auto &[name, answers, stale, holdMs] : runs) {
            if (!answers.isEmpty() && heldUntil.isValid())
                QTest::qWait(int(QDateTime::currentDateTimeUtc().msecsTo(heldUntil)) + 10);
            f.first->attemptTimes.clear();
            const QDateTime before = QDateTime::currentDateTimeUtc();
            for (FetchResult answer : answers) {
                // A Retry-After counts from when the answer comes, not from when the table was written.
                if (auto *error = std::get_if<ProviderError>(&answer); error && error->retryAfter())
                    answer = error->withRetryAfter(error->retryAfter()->addMSecs(written.msecsTo(before)));
                f.first->steps.append({answer});
            }
            QVERIFY2(f.refreshAndWait(), name);
            const ProviderState &state = f.state(u"claude"_s);
            QVERIFY2(f.first->attemptTimes.size() == answers.size(), name);
            QVERIFY2(state.isAvailable, name);
            QVERIFY2(state.isStale() == stale, name);
            if (answers.isEmpty())
                continue; // the hold stands as it was
            QVERIFY2(state.heldUntil.has_value() == (holdMs > 0), name);
            heldUntil = state.heldUntil.value_or(QDateTime());
            if (holdMs)
                QVERIFY2(qAbs(before.msecsTo(*state.heldUntil) - holdMs) < 150, name);
        }
        // A held provider still counts as known: its figures stay on show.
        QVERIFY(f.state(u"claude"_s).usage && f.state(u"claude"_s).usage->limits.first().utilization == 51);

        // The clock set back an hour during a hold: the hold ends on time and
        // the time shown moves back with the clock.
        f.first->attemptTimes.clear();
        f.first->steps.append({limited});
        QVERIFY(f.refreshAndWait());
        heldUntil = f.state(u"claude"_s).heldUntil.value_or(QDateTime());
        setBack = 3600;
        QVERIFY(f.refreshAndWait());
        QVERIFY(qAbs(f.state(u"claude"_s).heldUntil.value_or(heldUntil).msecsTo(heldUntil) - 3'600'000) < 150);
        QTest::qWait(int(QDateTime::currentDateTimeUtc().msecsTo(heldUntil)) + 10);
        f.first->steps.append({usageOf({{"Weekly (7d)", 52}})});
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.first->attemptTimes.size(), 2);
    }

    void aSupersededRunLeavesNoTrace_data()
    {
        QTest::addColumn<bool>("inRetryPause");
        QTest::newRow("its answer comes late") << false;
        QTest::newRow("it waits to retry") << true;
    }
    void aSupersededRunLeavesNoTrace()
    {
        QFETCH(bool, inRetryPause);
        ManagerFixture f(false, UsageManager::Timing{1h, 150ms});
        const FetchResult old = inRetryPause ? FetchResult(timedOut()) : FetchResult(usageOf({{"old", 80}}));
        f.first->script({{old, inRetryPause ? 0ms : 200ms}, {usageOf({{"new", 10}}), 40ms}});
        QList<bool> loading; // as stored when announced
        connect(&f.manager, &UsageManager::isLoadingChanged, this, [&] { loading.append(f.manager.isLoading()); });
        QSignalSpy finished(&f.manager, &UsageManager::refreshFinished);

        f.manager.refresh();
        // Inside the old answer's wait, or in its retry pause once it failed.
        QTRY_COMPARE(f.first->attemptTimes.size(), 1);
        QTRY_COMPARE(f.first->answered, inRetryPause ? 1 : 0);
        f.manager.refresh();
        QVERIFY(finished.wait());
        QTest::qWait(300); // past the old answer and the old pause

        QCOMPARE(f.first->aborts, inRetryPause ? 0 : 1);
        QCOMPARE(f.first->attemptTimes.size(), 2);
        QVERIFY(f.state(u"claude"_s).usage && f.state(u"claude"_s).usage->limits.first().name == "new"_L1);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(loading, (QList<bool>{true, false})); // the old run never cleared it
    }

    void aTickDuringARunIsSkippedSoSlowRunsStillEnd()
    {
        // Every fetch takes three periods: were ticks to supersede, no run would end.
        ManagerFixture f(false, UsageManager::Timing{40ms, ShortPause});
        ManagerFixture untimed(false, UsageManager::Timing{std::nullopt, ShortPause});
        f.first->fallback = {usageOf({{"a", 5}}), 120ms};
        QSignalSpy finished(&f.manager, &UsageManager::refreshFinished);
        QTest::qWait(20);
        QVERIFY(f.first->attemptTimes.isEmpty()); // no tick at creation
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() >= 2, 3000);
        QCOMPARE(f.first->aborts, 0);
        QVERIFY(untimed.first->attemptTimes.isEmpty());
    }

    // Alerts once per threshold and provider; the status color from the highest last figures.
    void alertsAndTheStatusColorFollowTheFigures()
    {
        ManagerFixture f;
        const ProviderError failure = ProviderError::apiError(500);
        f.first->script({{usageOf({{"a", 70}})}}); // then empty usage
        f.second->script(
            {{failure}, {usageOf({{"5 Hour", 95}, {"Weekly", 40}})}, {failure}, {usageOf({{"5 Hour", 96}})}});
        using Sent = QList<std::pair<QString, QString>>;
        // The design's sentence, then the limit it comes from.
        const Sent alerts{{u"Codex Usage Alert"_s, u"Usage is at 95%\n5 Hour"_s},
                          {u"Codex Usage Alert"_s, u"Usage is at 95%\n5 Hour"_s}};
        // A failure neither alerts nor re-arms; the next success at 96 stays quiet.
        const QList<std::pair<Sent, NamedColor>> runs{
            {{}, NamedColor::Yellow}, {alerts, NamedColor::Red}, {alerts, NamedColor::Red}, {alerts, NamedColor::Red}};
        for (const auto &[sent, color] : runs) {
            QVERIFY(f.refreshAndWait());
            QCOMPARE(f.notifications.sent, sent);
            QCOMPARE(int(f.manager.statusColor()), int(color));
        }
        QCOMPARE(f.notifications.replacing, (QList<bool>{false, true})); // on screen, one alert
        // A provider that is no longer available keeps counting with its last usage.
        f.second->available = false;
        QVERIFY(f.refreshAndWait());
        QCOMPARE(int(f.manager.statusColor()), int(NamedColor::Red));
    }

    // A flood of clicks makes one run per spacing: one now, one queued, the rest joined.
    void theUsersRefreshesAreSpaced()
    {
        // Long enough that a loaded machine still clicks 99 times within it.
        constexpr auto spacing = 4000ms;
        ManagerFixture f(false, UsageManager::Timing{1h, ShortPause, spacing});
        f.first->fallback = {usageOf({{"a", 1}}), 20ms};
        QSignalSpy finished(&f.manager, &UsageManager::refreshFinished);
        for (int click = 0; click < 99; ++click) {
            f.manager.requestRefresh();
            QTest::qWait(1);
        }
        QCOMPARE(f.first->attemptTimes.size(), 1);
        // The queued one shows as under way, and starts once the spacing is over.
        QVERIFY(f.manager.isRefreshQueued() && f.manager.isLoading());
        QTRY_COMPARE_WITH_TIMEOUT(f.first->attemptTimes.size(), 2, 2 * int(spacing.count()));
        QVERIFY(f.first->attemptTimes.at(1) - f.first->attemptTimes.at(0) >= spacing.count() - 10);
        QTRY_COMPARE(finished.size(), 2);
        QVERIFY(!f.manager.isLoading());

        // Any run answers a queued click; a click after the spacing starts one at once.
        f.manager.requestRefresh();
        QVERIFY(f.manager.isRefreshQueued());
        QVERIFY(f.refreshAndWait()); // a wake, say
        QVERIFY(!f.manager.isRefreshQueued());
        QTest::qWait(int(spacing.count()) + 100);
        QCOMPARE(f.first->attemptTimes.size(), 3);
        f.manager.requestRefresh();
        QVERIFY(f.manager.isRefreshing());
    }

    // Whatever a service names or says reaches no face with a control character in it.
    void serviceTextsAreMadeSafeToShow()
    {
        ManagerFixture f(false);
        const QString hostile = u"Opus\x1b]0;owned\x07\x1b[2J\u0085\x7f\u202eevil\u2066\tweek\nly"_s;
        ProviderUsageResponse usage = usageOf({{"x", 10}});
        usage.limits[0].name = hostile;
        usage.limits[0].scope = hostile;
        usage.credits = UsageCredits{Money{1, 2, hostile}, std::nullopt, std::nullopt, hostile};
        usage.budgetReachedType = hostile;
        f.first->script({{usage, 0ms}, {ProviderError::decodingError(hostile), 0ms}});
        QSignalSpy recorded(&f.manager, &UsageManager::usageReceived);
        QVERIFY(f.refreshAndWait());
        const QString safe = u"Opus\uFFFD]0;owned\uFFFD\uFFFD[2J\uFFFD\uFFFD\uFFFDevil\uFFFD week ly"_s;
        const ProviderUsageResponse &stored = *f.state(u"claude"_s).usage;
        QCOMPARE(stored.limits.value(0).name, safe);
        QCOMPARE(QStringList({*stored.limits.value(0).scope, stored.credits->used->currency, *stored.credits->balance,
                              *stored.budgetReachedType}),
                 QStringList(4, safe));
        // The history is written from the same safe figures.
        QCOMPARE(recorded.value(0).value(1).value<ProviderUsageResponse>().limits.value(0).name, safe);
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.state(u"claude"_s).error, u"Failed to parse response: "_s + safe);
    }
};

QTEST_GUILESS_MAIN(TestUsageManager)
#include "test_usagemanager.moc"
