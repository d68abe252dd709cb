// Thousands of refresh runs of the real coordinator and providers against the
// substitute service, each answer drawn at random (fixed seed) from the faults
// a usage service can show. After every run each provider's state must agree
// with the last answer it was given.
#include "core/UsageManager.h"
#include "core/os/CredentialStore.h"
#include "core/os/NotificationManager.h"
#include "fetch/ClaudeProvider.h"
#include "providers/CodexCredentialService.h"
#include "fetch/CodexProvider.h"
#include "providers/KeychainService.h"
#include "usage-service/ScriptedService.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int Runs = 2000;
constexpr int WarmUpRuns = 200;
// The client's shortened limits; the slow answer comes well after them.
const HttpOptions Shortened{300ms, 600ms};
// A run during which this process stood still for longer than this (another
// build hogging the cores) may see a valid answer time out: its states are
// taken as they are instead of judged, and the next run is judged again.
const auto StallLimit = Shortened.idleTimeout / 3;

enum class Fault {
    Valid,
    Drop, // Drop to Slow: transport failures, which the coordinator retries
    Truncated,
    Slow,
    ServerError,
    Unauthorized,
    Forbidden,
    Garbage,
    Oversized
};
// In percent, in the order above. Slow answers are rare because each costs a
// timeout of real time; a storm brings transport failures only.
constexpr int Weights[] = {48, 8, 8, 3, 8, 6, 6, 8, 5};
constexpr int StormWeights[] = {20, 40, 40, 0, 0, 0, 0, 0, 0};

struct Served
{
    Fault fault;
    double utilization; // of a valid document
    QString error;      // what the error must start with, should this answer be the last
};

// Test tokens, or nothing while a provider is meant to be logged out.
struct SoakKeychain : CredentialStore
{
    std::optional<QByteArray> find(const QString &item) const override
    {
        if (item == "Claude Code-credentials"_L1 && claudeStored)
            return R"({"claudeAiOauth":{"accessToken":"soak-claude-token"}})"_ba;
        if (item == "Codex Auth"_L1 && codexStored)
            return "soak-codex-token\n"_ba;
        return std::nullopt;
    }
    bool claudeStored = true;
    bool codexStored = true;
};

// Two windows, the first at the figure given.
QByteArray usageDocument(bool claude, double utilization)
{
    const QLatin1StringView document(
        claude
            ? R"({"five_hour":{"utilization":%1,"resets_at":"2030-01-01T05:00:00.5Z"},"seven_day":{"utilization":%2}})"
            : R"({"rate_limit":{"primary_window":{"used_percent":%1,"limit_window_seconds":18000,)"
              R"("reset_after_seconds":600,"reset_at":1893456000},"secondary_window":{"used_percent":%2,)"
              R"("limit_window_seconds":604800,"reset_after_seconds":600,"reset_at":1893456000}}})");
    return QString(document).arg(utilization, 0, 'g', 17).arg(utilization / 2, 0, 'g', 17).toUtf8();
}

// Per thread of this process, the time it has waited for a core so far. A
// thread kept waiting (the network thread, say) can miss its answer while the
// event loop here still turns on time.
QHash<QByteArray, qint64> waitedPerThread()
{
    QHash<QByteArray, qint64> waited;
    for (const QFileInfo &task : QDir(u"/proc/self/task"_s).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(task.filePath() + "/schedstat"_L1);
        if (schedstat.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> fields = schedstat.readAll().split(' ');
            if (fields.size() > 1)
                waited.insert(task.fileName().toLatin1(), fields.at(1).toLongLong());
        }
    }
    return waited;
}

std::chrono::nanoseconds longestWaitSince(const QHash<QByteArray, qint64> &before)
{
    qint64 longest = 0;
    const QHash<QByteArray, qint64> now = waitedPerThread();
    for (auto thread = now.cbegin(); thread != now.cend(); ++thread)
        longest = std::max(longest, thread.value() - before.value(thread.key()));
    return std::chrono::nanoseconds(longest);
}

qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    const QList<QByteArray> fields = statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ') : QList<QByteArray>();
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

} // namespace

class TestFaultSoak : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statesFollowTheLastAnswerThroughFaults()
    {
        const QTemporaryDir home;
        const auto keychain = std::make_shared<SoakKeychain>();
        ScriptedService service;
        QVERIFY2(service.listen(), qPrintable(service.errorString()));
        service.setKeepsRequests(false);
        service.setDefaultAnswerFactory(UsageService::ClaudePath, [this] { return serve(u"claude"_s); });
        service.setDefaultAnswerFactory(UsageService::CodexPath, [this] { return serve(u"codex"_s); });
        const ProviderList providers{
            std::make_shared<ClaudeProvider>(KeychainService(keychain), service.url(UsageService::ClaudePath),
                                             Shortened),
            std::make_shared<CodexProvider>(CodexCredentialService(keychain, home.filePath(u"no-auth.json"_s)),
                                            service.url(UsageService::CodexPath), Shortened),
        };
        NullNotificationManager notifications;
        UsageManager manager(providers, &notifications, UsageManager::Timing{24h, 1ms});
        QSignalSpy finished(&manager, &UsageManager::refreshFinished);

        // The longest time the event loop went without turning, per run.
        QElapsedTimer sinceBeat;
        qint64 longestStallMs = 0;
        QTimer heartbeat;
        heartbeat.setTimerType(Qt::PreciseTimer);
        connect(&heartbeat, &QTimer::timeout, this,
                [&] { longestStallMs = std::max(longestStallMs, sinceBeat.restart()); });
        heartbeat.start(5ms);

        qint64 warmResident = 0;
        int stalledRuns = 0;
        bool lastStalled = false;
        for (int run = 0; run < Runs; ++run) {
            m_served.clear();
            m_storm = m_random.bounded(10) == 0;
            keychain->claudeStored = m_random.bounded(100) >= 3;
            keychain->codexStored = m_random.bounded(100) >= 3;

            const QHash<QByteArray, qint64> waitedBefore = waitedPerThread();
            manager.refresh(); // ends from the event loop, inside the wait
            sinceBeat.start();
            longestStallMs = 0;
            QVERIFY2(finished.wait(20000), qPrintable(u"run %1 did not end"_s.arg(run)));
            QVERIFY(!manager.isLoading());
            const bool stalled = std::max(longestStallMs, sinceBeat.elapsed()) > StallLimit.count()
                || longestWaitSince(waitedBefore) > StallLimit;
            stalledRuns += stalled;
            // A request given up during a stall may reach the service only in
            // the next run, which is then not judged either.
            const bool judged = !stalled && !lastStalled;
            lastStalled = stalled;
            for (const auto &[id, stored] :
                 {std::pair{u"claude"_s, keychain->claudeStored}, std::pair{u"codex"_s, keychain->codexStored}}) {
                const ProviderState &state = *manager.providerStates().constFind(id);
                if (judged)
                    judge(state, id, stored);
                m_last[id] = state;
            }
            if (QTest::currentTestFailed()) {
                qWarning("run %d failed", run);
                return;
            }
            if (run + 1 == WarmUpRuns)
                warmResident = residentBytes();
        }

        const qint64 grown = residentBytes() - warmResident;
        qInfo("runs taken unjudged (stalled): %d; resident memory growth after warm-up %+.2f MiB", stalledRuns,
              grown / 1048576.0);
#ifndef QUOTIX_UNDER_ASAN
        QVERIFY2(grown < 8 * 1024 * 1024, "resident memory grew");
#endif
        // A machine this loaded says little about the states, for or against.
        if (stalledRuns > Runs / 4)
            QSKIP("the machine was too loaded to judge most runs");
    }

private:
    ScriptedAnswer serve(const QString &id)
    {
        const bool claude = id == "claude"_L1;
        const int *weights = m_storm ? StormWeights : Weights;
        int pick = m_random.bounded(100);
        int fault = 0;
        while (pick >= weights[fault])
            pick -= weights[fault++];
        Served served{Fault(fault), m_random.bounded(10000) / 100.0, {}}; // a fresh figure every time
        ScriptedAnswer answer(ServiceAnswer{200, usageDocument(claude, served.utilization)});
        switch (served.fault) {
        case Fault::Valid: break;
        // Dropped or cut short: the words are Qt's; that they were retried shows they were taken for what they are.
        case Fault::Drop: answer.fault = ScriptedAnswer::Fault::DropConnection; break;
        case Fault::Truncated: answer.fault = ScriptedAnswer::Fault::TruncateBody; break;
        case Fault::Slow:
            answer.delay = 900ms;
            served.error = u"The request timed out."_s;
            break;
        case Fault::ServerError:
            answer = ServiceAnswer{500 + m_random.bounded(4), R"({"error":{"message":"overloaded"}})"_ba};
            served.error = u"API error (code: %1)"_s.arg(answer.status);
            break;
        case Fault::Unauthorized:
        case Fault::Forbidden: // Codex takes a 403 for a lost login too, Claude for an error
            answer = ServiceAnswer{served.fault == Fault::Forbidden ? 403 : 401,
                                   R"({"error":{"message":"token expired"}})"_ba};
            served.error = claude && answer.status == 403
                ? u"API error (code: 403)"_s
                : u"Not logged in to %1."_s.arg(claude ? "Claude"_L1 : "Codex"_L1);
            break;
        case Fault::Garbage: // never JSON: '<' and random bytes
            answer.body = "<"_ba;
            for (int i = m_random.bounded(1, 200); i > 0; --i)
                answer.body += char(m_random.bounded(256));
            served.error = claude ? QString() : u"Failed to parse response: "_s; // Claude's are the parser's words
            break;
        case Fault::Oversized: // just past the providers' 1 MiB cap
            answer.body = "{\"pad\":\""_ba + QByteArray(1024 * 1024 + 512, 'x') + "\"}"_ba;
            served.error = u"Invalid response from API"_s;
            break;
        }
        m_served[id].append(served);
        return answer;
    }

    // Checks a provider's state against what it was given in the run just ended.
    void judge(const ProviderState &now, const QString &id, bool stored)
    {
        const ProviderState &was = m_last[id];
        const QList<Served> served = m_served.value(id);
        // The first of the two windows; -1 for none or another shape.
        const auto figureOf = [](const ProviderState &state) {
            return state.usage && state.usage->limits.size() == 2 ? state.usage->limits.first().utilization : -1.0;
        };
        const bool kept = figureOf(now) == figureOf(was) && now.lastUpdated == was.lastUpdated;
        // Asked exactly when it has a token, and otherwise not touched at all.
        QVERIFY2(!now.isLoading && served.isEmpty() == !stored, qPrintable(id));
        if (!stored) {
            QVERIFY2(kept && now.error == was.error, qPrintable(id));
            return;
        }
        const Served &last = served.last();
        const QString error = now.error.value_or(QString());
        QStringList faults;
        for (const Served &answer : served)
            faults.append(QString::number(int(answer.fault)));
        const QByteArray context =
            (id + u": faults %1 gave \"%2\""_s.arg(faults.join(u", "_s), error)).toUtf8();
        // Only transport failures are retried; one that is the outcome used up every attempt.
        const auto retried = [](const Served &s) { return s.fault >= Fault::Drop && s.fault <= Fault::Slow; };
        QVERIFY2(std::all_of(served.cbegin(), served.cend() - 1, retried)
                     && (!retried(last) || served.size() > UsageManager::RetryAllowance),
                 context.constData());
        if (last.fault == Fault::Valid)
            QVERIFY2(figureOf(now) == last.utilization && !now.error && now.lastUpdated, context.constData());
        else // a failure keeps the last usage and its time beside the new error
            QVERIFY2(kept && !error.isEmpty() && error.startsWith(last.error), context.constData());
    }

    QRandomGenerator m_random{20250615};
    bool m_storm = false;
    QHash<QString, QList<Served>> m_served; // per provider, this run
    QHash<QString, ProviderState> m_last;   // per provider, after the last run
};

QTEST_GUILESS_MAIN(TestFaultSoak)
#include "test_faultsoak.moc"
