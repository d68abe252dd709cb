// Thousands of refresh runs of the real coordinator and providers against the
// substitute service, each answer drawn at random (fixed seed) from the faults
// a usage service can show. After every run each provider's state must agree
// with the last answer it was given.
#include "core/UsageManager.h"
#include "core/os/CredentialStore.h"
#include "core/os/NotificationManager.h"
#include "demo/UsageService.h"
#include "providers/ClaudeProvider.h"
#include "providers/CodexCredentialService.h"
#include "providers/CodexProvider.h"
#include "providers/KeychainService.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

#if defined(__SANITIZE_ADDRESS__)
#define QUOTIX_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUOTIX_UNDER_ASAN 1
#endif
#endif

namespace {

constexpr int Runs = 2000;
constexpr int WarmUpRuns = 200;
// The client's shortened limits; the slow answer comes well after them.
constexpr auto IdleTimeout = 300ms;
constexpr auto TotalTimeout = 600ms;
// A run during which this process stood still for longer than this (another
// build hogging the cores) may see a valid answer time out: its states are
// taken as they are instead of judged, and the next run is judged again.
constexpr auto StallLimit = IdleTimeout / 3;

enum class Fault {
    Valid,
    Drop,
    ServerError,
    Unauthorized,
    Forbidden,
    Garbage,
    Truncated,
    Slow,
    Oversized
};

// Transport failures: the coordinator retries these.
bool isRetried(Fault fault)
{
    return fault == Fault::Drop || fault == Fault::Truncated || fault == Fault::Slow;
}

struct Served
{
    Fault fault = Fault::Valid;
    int status = 200;
    double utilization = 0; // of a valid document
};

// Test tokens, or nothing while a provider is meant to be logged out.
class SoakKeychain : public CredentialStore
{
public:
    bool claudeStored = true;
    bool codexStored = true;

    std::optional<QByteArray> find(const QString &item) const override
    {
        if (item == "Claude Code-credentials"_L1 && claudeStored)
            return R"({"claudeAiOauth":{"accessToken":"soak-claude-token"}})"_ba;
        if (item == "Codex Auth"_L1 && codexStored)
            return "soak-codex-token\n"_ba;
        return std::nullopt;
    }
};

class SilentNotifications : public NotificationManager
{
public:
    void sendNotification(const QString &, const QString &) override {}
};

QByteArray usageDocument(bool claude, double utilization)
{
    const auto n = [](double value) { return QByteArray::number(value, 'g', 17); };
    if (claude)
        return R"({"five_hour":{"utilization":)"_ba + n(utilization)
            + R"(,"resets_at":"2030-01-01T05:00:00.5Z"},"seven_day":{"utilization":)"_ba + n(utilization / 2)
            + R"(,"resets_at":"2030-01-07T00:00:00+02:00"}})"_ba;
    const auto window = [&](double used, int seconds) {
        return R"({"used_percent":)"_ba + n(used) + R"(,"limit_window_seconds":)"_ba + QByteArray::number(seconds)
            + R"(,"reset_after_seconds":600,"reset_at":1893456000})"_ba;
    };
    return R"({"plan_type":"plus","rate_limit":{"allowed":true,"limit_reached":false,"primary_window":)"_ba
        + window(utilization, 18000) + R"(,"secondary_window":)"_ba + window(utilization / 2, 604800) + "}}"_ba;
}

QByteArray oversizedDocument()
{
    return R"({"pad":")"_ba + QByteArray(1024 * 1024 + 512, 'x') + R"("})"_ba;
}

qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    const QList<QByteArray> fields = statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ') : QList<QByteArray>();
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

// What the state of one provider is known to be.
struct Tracked
{
    std::optional<double> utilization;
    std::optional<QDateTime> lastUpdated;
    std::optional<QString> error;
    bool operator==(const Tracked &) const = default;
};

Tracked trackedOf(const ProviderState &state)
{
    std::optional<double> figure;
    if (state.usage)
        figure = state.usage->limits.size() == 2 ? state.usage->limits.first().utilization : -1.0;
    return {figure, state.lastUpdated, state.error};
}

} // namespace

class TestFaultSoak : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statesFollowTheLastAnswerThroughFaults();

private:
    Fault drawFault()
    {
        if (m_storm) { // transport failures only
            static const Fault storm[] = {Fault::Drop, Fault::Drop, Fault::Truncated, Fault::Truncated, Fault::Valid};
            return storm[m_random.bounded(int(std::size(storm)))];
        }
        // Slow answers are rare because each costs a timeout of real time.
        static const int weights[] = {40, 8, 8, 6, 6, 8, 8, 3, 5};
        int pick = m_random.bounded(100);
        for (int i = 0; i < int(std::size(weights)); pick -= weights[i++]) {
            if (pick < weights[i])
                return Fault(i);
        }
        return Fault::Valid;
    }

    ServiceAnswer serve(const QString &id)
    {
        Served served{drawFault(), 200, m_random.bounded(10000) / 100.0}; // a fresh figure every time
        ServiceAnswer answer;
        answer.body = usageDocument(id == "claude"_L1, served.utilization);
        switch (served.fault) {
        case Fault::Valid: break;
        case Fault::Drop: answer.fault = ServiceAnswer::Fault::DropConnection; break;
        case Fault::ServerError:
            served.status = 500 + m_random.bounded(4);
            answer.body = R"({"error":{"message":"overloaded"}})"_ba;
            break;
        case Fault::Unauthorized:
        case Fault::Forbidden:
            served.status = served.fault == Fault::Unauthorized ? 401 : 403;
            answer.body = R"({"error":{"message":"token expired"}})"_ba;
            break;
        case Fault::Garbage: // never JSON: '<' and random bytes
            answer.body = "<"_ba;
            for (int i = m_random.bounded(1, 200); i > 0; --i)
                answer.body += char(m_random.bounded(256));
            break;
        case Fault::Truncated: answer.fault = ServiceAnswer::Fault::TruncateBody; break;
        case Fault::Slow: answer.delay = 900ms; break;
        case Fault::Oversized: // just past the providers' 1 MiB cap
            answer.body = oversizedDocument();
            break;
        }
        answer.status = served.status;
        m_served[id].append(served);
        return answer;
    }

    // Checks a provider's state against what it was given in the run just ended.
    void checkProvider(const ProviderState &state, const QString &id, bool wasAvailable)
    {
        Tracked &tracked = m_tracked[id];
        const QList<Served> served = m_served.value(id);
        const Tracked now = trackedOf(state);
        QVERIFY(!state.isLoading);
        if (!wasAvailable) { // a provider without a token is not touched at all
            QVERIFY(served.isEmpty());
            QVERIFY(now == tracked);
            return;
        }
        QVERIFY2(!served.isEmpty(), qPrintable(id));
        const Served &last = served.last();
        // Only transport failures are retried; one that is the outcome used up every attempt.
        for (qsizetype i = 0; i + 1 < served.size(); ++i)
            QVERIFY2(isRetried(served.at(i).fault),
                     qPrintable(id + u": retried after fault %1"_s.arg(int(served.at(i).fault))));
        if (isRetried(last.fault))
            QVERIFY2(served.size() >= 1 + UsageManager::RetryAllowance, qPrintable(id));

        if (last.fault == Fault::Valid) {
            QCOMPARE(now.utilization, std::optional<double>(last.utilization));
            QVERIFY(!now.error && now.lastUpdated);
            QVERIFY(!tracked.lastUpdated || *now.lastUpdated >= *tracked.lastUpdated);
            tracked = now;
            return;
        }
        // A failure keeps the last usage and its time beside the new error.
        QCOMPARE(now.utilization, tracked.utilization);
        QCOMPARE(now.lastUpdated, tracked.lastUpdated);
        QVERIFY(now.error && !now.error->isEmpty());
        const QString &error = *now.error;
        const bool claude = id == "claude"_L1;
        const auto startsWithAny = [&](QList<QLatin1StringView> prefixes) {
            return std::any_of(prefixes.begin(), prefixes.end(), [&](auto p) { return error.startsWith(p); });
        };
        switch (last.fault) {
        case Fault::ServerError: QCOMPARE(error, u"API error (code: %1)"_s.arg(last.status)); break;
        case Fault::Unauthorized:
            QCOMPARE(error, claude ? u"Not logged in to Claude."_s : u"Not logged in to Codex."_s);
            break;
        case Fault::Forbidden:
            QCOMPARE(error, claude ? u"API error (code: 403)"_s : u"Not logged in to Codex."_s);
            break;
        case Fault::Garbage:
            QVERIFY2(claude ? !startsWithAny({"Failed to parse"_L1, "API error"_L1})
                            : error.startsWith("Failed to parse response: "_L1),
                     qPrintable(error));
            break;
        case Fault::Oversized: QCOMPARE(error, u"Invalid response from API"_s); break;
        case Fault::Slow: QCOMPARE(error, u"The request timed out."_s); break;
        case Fault::Drop:
        case Fault::Truncated:
            QVERIFY2(!startsWithAny({"API error"_L1, "Not logged in"_L1, "Invalid response"_L1}), qPrintable(error));
            break;
        case Fault::Valid: break;
        }
        tracked = now;
    }

    QTemporaryDir m_home;
    QRandomGenerator m_random{20250615};
    bool m_storm = false;
    QHash<QString, QList<Served>> m_served; // per provider, this run
    QHash<QString, Tracked> m_tracked;
};

void TestFaultSoak::statesFollowTheLastAnswerThroughFaults()
{
    QVERIFY(m_home.isValid());
    const auto keychain = std::make_shared<SoakKeychain>();
    UsageService service;
    QVERIFY2(service.listen(), qPrintable(service.errorString()));
    service.setKeepsRequests(false);
    service.setDefaultAnswerFactory(UsageService::ClaudePath, [this] { return serve(u"claude"_s); });
    service.setDefaultAnswerFactory(UsageService::CodexPath, [this] { return serve(u"codex"_s); });

    HttpOptions shortened;
    shortened.idleTimeout = IdleTimeout;
    shortened.totalTimeout = TotalTimeout;
    const ProviderList providers{
        std::make_shared<ClaudeProvider>(KeychainService(keychain), service.url(UsageService::ClaudePath), shortened),
        std::make_shared<CodexProvider>(CodexCredentialService(keychain, m_home.filePath(u"no-auth.json"_s)),
                                        service.url(UsageService::CodexPath), shortened),
    };
    SilentNotifications notifications;
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
    for (int run = 0; run < Runs; ++run) {
        m_served.clear();
        m_storm = m_random.bounded(10) == 0;
        keychain->claudeStored = m_random.bounded(100) >= 3;
        keychain->codexStored = m_random.bounded(100) >= 3;

        finished.clear();
        manager.refresh();
        sinceBeat.start();
        longestStallMs = 0;
        QVERIFY2(!finished.isEmpty() || finished.wait(20000), qPrintable(u"run %1 did not end"_s.arg(run)));
        QVERIFY(!manager.isLoading());
        const bool stalled = std::max(longestStallMs, sinceBeat.elapsed()) > StallLimit.count();
        stalledRuns += stalled;
        for (const auto &[id, stored] :
             {std::pair{u"claude"_s, keychain->claudeStored}, std::pair{u"codex"_s, keychain->codexStored}}) {
            const ProviderState &state = *manager.providerStates().constFind(id);
            if (stalled)
                m_tracked[id] = trackedOf(state);
            else
                checkProvider(state, id, stored);
        }
        if (QTest::currentTestFailed()) {
            qWarning("run %d failed", run);
            return;
        }
        if (run + 1 == WarmUpRuns)
            warmResident = residentBytes();
    }

    const qint64 endResident = residentBytes();
    qInfo("runs taken unjudged (stalled): %d; resident memory growth after warm-up %+.2f MiB", stalledRuns,
          (endResident - warmResident) / 1048576.0);
#ifndef QUOTIX_UNDER_ASAN
    // Under AddressSanitizer freed memory sits in quarantine, so only print.
    QVERIFY2(endResident - warmResident < 8 * 1024 * 1024, "resident memory grew");
#endif
    // A machine this loaded says little about the states, for or against.
    if (stalledRuns > Runs / 4)
        QSKIP("the machine was too loaded to judge most runs");
}

QTEST_GUILESS_MAIN(TestFaultSoak)
#include "test_faultsoak.moc"
