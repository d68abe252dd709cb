// Thousands of refresh runs of the real coordinator and providers against the
// substitute service, each answer drawn at random (fixed seed) from the faults
// a usage service can show. After every run each provider's state must agree
// with the last answer it was given.
#include "providers/ClaudeProvider.h"
#include "providers/CodexCredentialService.h"
#include "providers/CodexProvider.h"
#include "providers/KeychainService.h"
#include "core/os/CredentialStore.h"
#include "core/os/NotificationManager.h"
#include "core/UsageManager.h"
#include "demo/UsageService.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
constexpr quint32 Seed = 20250615;
// The client's shortened limits; the slow answer comes well after them.
constexpr auto IdleTimeout = 300ms;
constexpr auto TotalTimeout = 600ms;
constexpr auto SlowDelay = 900ms;
// A run during which this process stood still for longer than this (another
// build hogging the cores) may see a valid answer time out: its states are
// taken as they are instead of judged, and the next run is judged again.
constexpr auto StallLimit = IdleTimeout / 3;
constexpr auto HeartbeatPeriod = 5ms;
constexpr qint64 MaxGrowthBytes = 8 * 1024 * 1024;

enum class Fault {
    Valid,
    Drop,
    ServerError,
    Unauthorized,
    Forbidden,
    Garbage,
    Truncated,
    Slow,
    Oversized,
};
constexpr int FaultCount = int(Fault::Oversized) + 1;
const char *const FaultNames[FaultCount] = {"valid",     "dropped", "5xx",       "401",      "403",
                                            "garbage",   "truncated", "too slow", "oversized"};

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

// Stands in for the credential store: test tokens, or nothing while a
// provider is meant to be logged out.
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

class CountingNotifications : public NotificationManager
{
public:
    void sendNotification(const QString &, const QString &) override { ++sent; }
    int sent = 0;
};

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 17);
}

QByteArray claudeDocument(double utilization)
{
    return R"({"five_hour":{"utilization":)"_ba + number(utilization)
        + R"(,"resets_at":"2030-01-01T05:00:00.5Z"},"seven_day":{"utilization":)"_ba + number(utilization / 2)
        + R"(,"resets_at":"2030-01-07T00:00:00+02:00"}})"_ba;
}

QByteArray codexDocument(double utilization)
{
    const auto window = [](double used, int seconds) {
        return R"({"used_percent":)"_ba + number(used) + R"(,"limit_window_seconds":)"_ba + QByteArray::number(seconds)
            + R"(,"reset_after_seconds":600,"reset_at":1893456000})"_ba;
    };
    return R"({"plan_type":"plus","rate_limit":{"allowed":true,"limit_reached":false,"primary_window":)"_ba
        + window(utilization, 18000) + R"(,"secondary_window":)"_ba + window(utilization / 2, 604800) + "}}"_ba;
}

qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

// What the state of one provider is known to be.
struct Tracked
{
    std::optional<double> utilization;
    std::optional<QDateTime> lastUpdated;
    std::optional<QString> error;
};

} // namespace

class TestFaultSoak : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void statesFollowTheLastAnswerThroughFaults();

private:
    // One answer for a provider: the fault is drawn from the run's mix.
    ServiceAnswer serve(const QString &providerId);
    Fault drawFault();
    // Checks a provider's state against what it was given in the run just ended.
    void checkProvider(const QString &id, bool wasAvailable);
    // Takes a provider's state as the known one, unjudged.
    void adoptProvider(const QString &id);

    QTemporaryDir m_home;
    QRandomGenerator m_random{Seed};
    bool m_storm = false; // this run: transport failures only
    QHash<QString, QList<Served>> m_served; // per provider, this run
    QHash<QString, Tracked> m_tracked;
    UsageManager *m_manager = nullptr;
    QByteArray m_oversized;
    int m_faultCounts[FaultCount] = {};
    int m_outcomeErrors = 0;
    int m_outcomeSuccesses = 0;
    int m_untouched = 0;
    int m_stalledRuns = 0;
    QSet<QString> m_transportTexts;
};

void TestFaultSoak::initTestCase()
{
    QVERIFY(m_home.isValid());
    // A JSON object just past the providers' 1 MiB cap.
    m_oversized = R"({"pad":")"_ba + QByteArray(1024 * 1024 + 512, 'x') + R"("})"_ba;
}

Fault TestFaultSoak::drawFault()
{
    if (m_storm) {
        static const Fault storm[] = {Fault::Drop, Fault::Drop, Fault::Truncated, Fault::Truncated, Fault::Valid};
        return storm[m_random.bounded(int(std::size(storm)))];
    }
    // Weights per fault; slow answers are rare because each costs a timeout of real time.
    static const int weights[FaultCount] = {40, 8, 8, 6, 6, 8, 8, 3, 5};
    int pick = m_random.bounded(100);
    for (int i = 0; i < FaultCount; ++i) {
        if (pick < weights[i])
            return Fault(i);
        pick -= weights[i];
    }
    return Fault::Valid;
}

ServiceAnswer TestFaultSoak::serve(const QString &providerId)
{
    Served served;
    served.fault = drawFault();
    ++m_faultCounts[int(served.fault)];
    const bool claude = providerId == "claude"_L1;
    // A fresh figure every time, so the state shows which answer it holds.
    served.utilization = m_random.bounded(10000) / 100.0;
    const QByteArray document = claude ? claudeDocument(served.utilization) : codexDocument(served.utilization);

    ServiceAnswer answer;
    answer.body = document;
    switch (served.fault) {
    case Fault::Valid:
        break;
    case Fault::Drop:
        answer.fault = ServiceAnswer::Fault::DropConnection;
        break;
    case Fault::ServerError:
        served.status = 500 + m_random.bounded(4);
        answer.body = R"({"error":{"message":"overloaded"}})"_ba;
        break;
    case Fault::Unauthorized:
        served.status = 401;
        answer.body = R"({"error":{"message":"token expired"}})"_ba;
        break;
    case Fault::Forbidden:
        served.status = 403;
        answer.body = R"({"error":{"message":"forbidden"}})"_ba;
        break;
    case Fault::Garbage: {
        // Never JSON: it starts with '<'; the rest is random bytes.
        QByteArray noise(int(m_random.bounded(1, 200)), Qt::Uninitialized);
        for (char &c : noise)
            c = char(m_random.bounded(256));
        answer.body = "<"_ba + noise;
        break;
    }
    case Fault::Truncated:
        answer.fault = ServiceAnswer::Fault::TruncateBody;
        break;
    case Fault::Slow:
        answer.delay = SlowDelay;
        break;
    case Fault::Oversized:
        answer.body = m_oversized;
        break;
    }
    answer.status = served.status;
    m_served[providerId].append(served);
    return answer;
}

void TestFaultSoak::checkProvider(const QString &id, bool wasAvailable)
{
    const ProviderState &state = *m_manager->providerStates().constFind(id);
    Tracked &tracked = m_tracked[id];
    const QList<Served> served = m_served.value(id);
    QVERIFY(!state.isLoading);

    const auto usageFigure = [&]() -> std::optional<double> {
        if (!state.usage)
            return std::nullopt;
        if (state.usage->limits.size() != 2)
            return -1.0;
        return state.usage->limits.first().utilization;
    };

    if (!wasAvailable) {
        // A provider without a token is not touched at all.
        QVERIFY(served.isEmpty());
        QCOMPARE(usageFigure(), tracked.utilization);
        QCOMPARE(state.lastUpdated, tracked.lastUpdated);
        QCOMPARE(state.error, tracked.error);
        ++m_untouched;
        return;
    }

    QVERIFY2(!served.isEmpty(), qPrintable(id));
    const Served &last = served.last();
    // Only transport failures are retried, so every earlier answer was one;
    // a transport failure that is the outcome used up every attempt.
    for (qsizetype i = 0; i + 1 < served.size(); ++i)
        QVERIFY2(isRetried(served.at(i).fault), qPrintable(id + u": answer retried after "_s
                                                          + QLatin1StringView(FaultNames[int(served.at(i).fault)])));
    if (isRetried(last.fault))
        QVERIFY2(served.size() >= 1 + UsageManager::RetryAllowance, qPrintable(id));

    if (last.fault == Fault::Valid) {
        QCOMPARE(usageFigure(), std::optional<double>(last.utilization));
        QVERIFY(!state.error);
        QVERIFY(state.lastUpdated);
        QVERIFY(!tracked.lastUpdated || *state.lastUpdated >= *tracked.lastUpdated);
        tracked = {last.utilization, state.lastUpdated, std::nullopt};
        ++m_outcomeSuccesses;
        return;
    }

    // A failure keeps the last usage and its time beside the new error.
    QCOMPARE(usageFigure(), tracked.utilization);
    QCOMPARE(state.lastUpdated, tracked.lastUpdated);
    QVERIFY(state.error && !state.error->isEmpty());
    const QString &error = *state.error;
    const bool claude = id == "claude"_L1;
    const QString name = claude ? u"Claude"_s : u"Codex"_s;
    switch (last.fault) {
    case Fault::ServerError:
        QCOMPARE(error, u"API error (code: %1)"_s.arg(last.status));
        break;
    case Fault::Unauthorized:
        QCOMPARE(error, u"Not logged in to %1."_s.arg(name));
        break;
    case Fault::Forbidden:
        QCOMPARE(error, claude ? u"API error (code: 403)"_s : u"Not logged in to Codex."_s);
        break;
    case Fault::Garbage:
        if (claude)
            QVERIFY2(!error.startsWith("Failed to parse"_L1) && !error.startsWith("API error"_L1), qPrintable(error));
        else
            QVERIFY2(error.startsWith("Failed to parse response: "_L1), qPrintable(error));
        break;
    case Fault::Oversized:
        QCOMPARE(error, u"Invalid response from API"_s);
        break;
    case Fault::Slow:
        QCOMPARE(error, u"The request timed out."_s);
        break;
    case Fault::Drop:
    case Fault::Truncated:
        QVERIFY2(!error.startsWith("API error"_L1) && !error.startsWith("Not logged in"_L1)
                     && !error.startsWith("Invalid response"_L1),
                 qPrintable(error));
        m_transportTexts.insert(error);
        break;
    case Fault::Valid:
        break;
    }
    tracked.error = error;
    ++m_outcomeErrors;
}

void TestFaultSoak::adoptProvider(const QString &id)
{
    const ProviderState &state = *m_manager->providerStates().constFind(id);
    Tracked &tracked = m_tracked[id];
    tracked.utilization = std::nullopt;
    if (state.usage)
        tracked.utilization = state.usage->limits.size() == 2 ? state.usage->limits.first().utilization : -1.0;
    tracked.lastUpdated = state.lastUpdated;
    tracked.error = state.error;
}

void TestFaultSoak::statesFollowTheLastAnswerThroughFaults()
{
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
    CountingNotifications notifications;
    UsageManager manager(providers, &notifications, UsageManager::Timing{24h, 1ms});
    m_manager = &manager;

    QEventLoop loop;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&manager, &UsageManager::refreshFinished, &loop, &QEventLoop::quit);
    connect(&watchdog, &QTimer::timeout, &loop, &QEventLoop::quit);

    // The longest time the event loop went without turning, per run.
    QElapsedTimer sinceBeat;
    qint64 longestStallMs = 0;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    connect(&heartbeat, &QTimer::timeout, this, [&] { longestStallMs = std::max(longestStallMs, sinceBeat.restart()); });
    heartbeat.start(HeartbeatPeriod);

    qint64 warmResident = 0;
    for (int run = 0; run < Runs; ++run) {
        m_served.clear();
        m_storm = m_random.bounded(10) == 0;
        keychain->claudeStored = m_random.bounded(100) >= 3;
        keychain->codexStored = m_random.bounded(100) >= 3;

        manager.refresh();
        sinceBeat.start();
        longestStallMs = 0;
        watchdog.start(20s);
        loop.exec();
        QVERIFY2(watchdog.isActive(), qPrintable(u"run %1 did not end"_s.arg(run)));
        watchdog.stop();

        QVERIFY(!manager.isLoading());
        longestStallMs = std::max(longestStallMs, sinceBeat.elapsed());
        if (longestStallMs > StallLimit.count()) {
            ++m_stalledRuns;
            adoptProvider(u"claude"_s);
            adoptProvider(u"codex"_s);
        } else {
            checkProvider(u"claude"_s, keychain->claudeStored);
            checkProvider(u"codex"_s, keychain->codexStored);
        }
        if (QTest::currentTestFailed()) {
            qWarning("run %d failed", run);
            return;
        }
        if (run + 1 == WarmUpRuns)
            warmResident = residentBytes();
    }

    const qint64 endResident = residentBytes();
    QString faults;
    for (int i = 0; i < FaultCount; ++i)
        faults += u"%1 %2, "_s.arg(QLatin1StringView(FaultNames[i])).arg(m_faultCounts[i]);
    qInfo("answers served: %s", qPrintable(faults.chopped(2)));
    qInfo("outcomes: %d usage, %d errors, %d left untouched (no token); %d notifications",
          m_outcomeSuccesses, m_outcomeErrors, m_untouched, notifications.sent);
    qInfo("runs taken unjudged because the process stood still over %lld ms: %d", qint64(StallLimit.count()),
          m_stalledRuns);
    qInfo("transport error texts: %s", qPrintable(QStringList(m_transportTexts.values()).join(u" | "_s)));
    qInfo("resident memory after %d runs: %.1f MiB; after %d: %.1f MiB; growth %+.2f MiB", WarmUpRuns,
          warmResident / 1048576.0, Runs, endResident / 1048576.0, (endResident - warmResident) / 1048576.0);
#ifndef QUOTIX_UNDER_ASAN
    // Under AddressSanitizer freed memory sits in quarantine, so only print.
    QVERIFY2(endResident - warmResident < MaxGrowthBytes, "resident memory grew");
#endif
    // A machine this loaded says little about the states, for or against.
    if (m_stalledRuns > Runs / 4)
        QSKIP("the machine was too loaded to judge most runs");
}

QTEST_GUILESS_MAIN(TestFaultSoak)
#include "test_faultsoak.moc"
