#include "ClaudeProvider.h"
#include "CodexProvider.h"
#include "CredentialFileKeychain.h"
#include "NetworkErrors.h"
#include "UsageService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr QByteArrayView Token = "secret-token-value";

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(QUOTIX_TEST_DATA "/providers/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

ServiceAnswer answer(int status, const QByteArray &body)
{
    ServiceAnswer a;
    a.status = status;
    a.body = body;
    return a;
}

// Collects what a job emits; the job must not have emitted inside fetchUsage().
class JobWatch
{
public:
    explicit JobWatch(FetchJob *job)
    {
        QObject::connect(job, &FetchJob::finished, job, [this](const FetchResult &result) {
            ++m_count;
            m_result = result;
        });
    }
    int count() const { return m_count; }
    const FetchResult &result() const { return *m_result; }

private:
    int m_count = 0;
    std::optional<FetchResult> m_result;
};

} // namespace

// Both providers against the substitute usage service on 127.0.0.1, with
// credentials in a temporary folder.
class TestProvidersHttp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void answersOverHttp_data();
    void answersOverHttp();
    void headersAreSentExactlyAndInOrder();
    void nothingIsSentWithoutAToken();
    void redirectsAreNotFollowed();
    void oversizedBodiesAreRefused();
    void brokenConnectionsAreRetryableTransportErrors_data();
    void brokenConnectionsAreRetryableTransportErrors();
    void silentServiceTimesOut_data();
    void silentServiceTimesOut();
    void abortEmitsNothing();
    void transportErrorMapping_data();
    void transportErrorMapping();

private:
    std::unique_ptr<UsageProvider> makeProvider(const QString &id, HttpOptions options = {},
                                                std::optional<QUrl> endpoint = {});
    FetchResult fetch(UsageProvider &provider);
    void writeCredentials(bool present);

    UsageService m_service;
    QTemporaryDir m_dir;
    QObject m_jobs;
};

void TestProvidersHttp::initTestCase()
{
    QVERIFY(m_service.listen());
    QVERIFY(m_dir.isValid());
}

void TestProvidersHttp::init()
{
    m_service.clearAnswers();
    m_service.clearRequests();
    writeCredentials(true);
}

void TestProvidersHttp::writeCredentials(bool present)
{
    const QString claude = m_dir.filePath(u".credentials.json"_s);
    const QString codex = m_dir.filePath(u"auth.json"_s);
    QFile::remove(claude);
    QFile::remove(codex);
    if (!present)
        return;
    QFile claudeFile(claude);
    QVERIFY(claudeFile.open(QIODevice::WriteOnly));
    claudeFile.write(R"({"claudeAiOauth": {"accessToken": ")"_ba + Token.toByteArray() + "\"}}");
    QFile codexFile(codex);
    QVERIFY(codexFile.open(QIODevice::WriteOnly));
    codexFile.write(R"({"tokens": {"access_token": ")"_ba + Token.toByteArray() + "\"}}");
}

std::unique_ptr<UsageProvider> TestProvidersHttp::makeProvider(const QString &id, HttpOptions options,
                                                               std::optional<QUrl> endpoint)
{
    auto keychain = std::make_shared<CredentialFileKeychain>(m_dir.path());
    if (id == u"claude"_s) {
        return std::make_unique<ClaudeProvider>(KeychainService(keychain),
                                                endpoint.value_or(m_service.url(UsageService::ClaudePath)), options);
    }
    return std::make_unique<CodexProvider>(CodexCredentialService(keychain, m_dir.filePath(u"auth.json"_s)),
                                           endpoint.value_or(m_service.url(UsageService::CodexPath)), options);
}

FetchResult TestProvidersHttp::fetch(UsageProvider &provider)
{
    FetchJob *job = provider.fetchUsage(&m_jobs);
    JobWatch watch(job);
    if (watch.count() != 0)
        qFatal("finished() emitted inside fetchUsage()");
    if (!QTest::qWaitFor([&] { return watch.count() > 0; }, 10'000))
        qFatal("the fetch never finished");
    QCoreApplication::processEvents();
    if (watch.count() != 1)
        qFatal("finished() emitted more than once");
    const FetchResult result = watch.result();
    delete job;
    return result;
}

void TestProvidersHttp::answersOverHttp_data()
{
    QTest::addColumn<QString>("provider");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("description"); // empty: success
    QTest::addColumn<int>("limits");

    const QByteArray claudeUsage = R"({"five_hour": {"utilization": 42, "resets_at": "2025-01-01T10:00:00.5Z"},
        "seven_day": {"utilization": 17.5, "resets_at": "2025-01-07T10:00:00+01:00"},
        "sonnet_only": {"utilization": 3, "resets_at": null}})"_ba;
    const QByteArray scope = R"({"error": {"message": "token lacks the required scope"}})"_ba;
    // The status tables themselves are tested on the pure functions; these
    // show that status and body travel to them intact.
    QTest::newRow("claude 200") << u"claude"_s << 200 << claudeUsage << QString() << 3;
    QTest::newRow("claude 401 scope") << u"claude"_s << 401 << scope << u"Claude token missing required scope."_s << 0;
    QTest::newRow("claude 403") << u"claude"_s << 403 << "{}"_ba << u"API error (code: 403)"_s << 0;
    QTest::newRow("claude 200 HTML") << u"claude"_s << 200 << "<html></html>"_ba << u"illegal value"_s << 0;
    QTest::newRow("codex 200") << u"codex"_s << 200 << fixture(u"codex/full.json"_s) << QString() << 3;
    QTest::newRow("codex 403 scope") << u"codex"_s << 403 << scope << u"Not logged in to Codex."_s << 0;
    QTest::newRow("codex 503") << u"codex"_s << 503 << QByteArray() << u"API error (code: 503)"_s << 0;
}

void TestProvidersHttp::answersOverHttp()
{
    QFETCH(QString, provider);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, description);
    QFETCH(int, limits);
    const auto p = makeProvider(provider);
    m_service.enqueue(provider == u"claude"_s ? UsageService::ClaudePath : UsageService::CodexPath,
                      answer(status, body));
    QVERIFY(p->isAvailable());

    const FetchResult result = fetch(*p);
    QCOMPARE(failureDescription(result), description);
    if (description.isEmpty())
        QCOMPARE(std::get<ProviderUsageResponse>(result).limits.size(), limits);
    QVERIFY(!std::holds_alternative<TransportError>(result));
    QCOMPARE(m_service.requests().size(), 1);
}

void TestProvidersHttp::headersAreSentExactlyAndInOrder()
{
    const QList<QPair<QString, QList<QPair<QByteArray, QByteArray>>>> expectations = {
        {u"claude"_s,
         {{"Authorization", "Bearer " + Token.toByteArray()},
          {"Accept", "application/json"},
          {"Content-Type", "application/json"},
          {"User-Agent", "Quotix/1.0"},
          {"anthropic-beta", "oauth-2025-04-20"}}},
        {u"codex"_s,
         {{"Authorization", "Bearer " + Token.toByteArray()}, {"Accept", "application/json"}, {"User-Agent", "Quotix/1.0"}}},
    };
    for (const auto &[id, expected] : expectations) {
        m_service.clearRequests();
        m_service.enqueue(id == u"claude"_s ? UsageService::ClaudePath : UsageService::CodexPath, answer(500, {}));
        const auto p = makeProvider(id);
        fetch(*p);
        fetch(*p); // the second one over the same, kept network session
        const QList<RecordedRequest> requests = m_service.requests();
        QCOMPARE(requests.size(), 2);
        const RecordedRequest &request = requests[1];
        QCOMPARE(request.method, "GET"_ba);
        QCOMPARE(request.path, (id == u"claude"_s ? UsageService::ClaudePath : UsageService::CodexPath).latin1());

        // Ours in the given order; Qt may add its own (Host, Connection, ...) around them.
        QList<QPair<QByteArray, QByteArray>> ours;
        for (const auto &header : request.headers) {
            const bool isOurs = std::any_of(expected.cbegin(), expected.cend(), [&](const auto &e) {
                return e.first.compare(header.first, Qt::CaseInsensitive) == 0;
            });
            if (isOurs)
                ours.append(header);
        }
        QCOMPARE(ours, expected);
        for (const QByteArray &name : {"Cookie"_ba, "anthropic-beta"_ba, "Content-Type"_ba}) {
            if (id == u"codex"_s || name == "Cookie"_ba)
                QVERIFY2(request.header(name).isEmpty(), name.constData());
        }
    }
}

void TestProvidersHttp::nothingIsSentWithoutAToken()
{
    writeCredentials(false);
    for (const QString &id : {u"claude"_s, u"codex"_s}) {
        const auto p = makeProvider(id);
        QVERIFY(!p->isAvailable());
        QCOMPARE(failureDescription(fetch(*p)), u"Not logged in to "_s + p->name() + u"."_s);
    }
    // A line break in the token would smuggle a header of its own into the request.
    QFile codexFile(m_dir.filePath(u"auth.json"_s));
    QVERIFY(codexFile.open(QIODevice::WriteOnly));
    codexFile.write(R"({"token": "abc\r\nX-Injected: 1"})");
    codexFile.close();
    QCOMPARE(failureDescription(fetch(*makeProvider(u"codex"_s))), u"Not logged in to Codex."_s);
    QVERIFY(m_service.requests().isEmpty());
}

void TestProvidersHttp::redirectsAreNotFollowed()
{
    UsageService elsewhere;
    QVERIFY(elsewhere.listen());
    elsewhere.setDefaultAnswer(UsageService::ClaudePath, answer(200, "{}"));
    elsewhere.setDefaultAnswer(UsageService::CodexPath, answer(200, fixture(u"codex/minimal.json"_s)));
    for (const auto &[id, path, status] : {std::tuple{u"claude"_s, UsageService::ClaudePath, 302},
                                           std::tuple{u"codex"_s, UsageService::CodexPath, 307}}) {
        ServiceAnswer redirect = answer(status, {});
        redirect.headers = {{"Location"_ba, elsewhere.url(path).toEncoded()}};
        m_service.enqueue(path, redirect);
        const auto p = makeProvider(id);
        QCOMPARE(failureDescription(fetch(*p)), u"API error (code: %1)"_s.arg(status));
    }
    QCOMPARE(m_service.requests().size(), 2);
    QVERIFY(elsewhere.requests().isEmpty());
}

void TestProvidersHttp::oversizedBodiesAreRefused()
{
    for (const auto &[id, path] : {std::pair{u"claude"_s, UsageService::ClaudePath},
                                   std::pair{u"codex"_s, UsageService::CodexPath}}) {
        // Just past the default megabyte, padded inside a valid document.
        QByteArray big = R"({"rate_limit": {}, "pad": ")" + QByteArray(1024 * 1024, 'x') + "\"}";
        m_service.enqueue(path, answer(200, big));
        auto p = makeProvider(id);
        QCOMPARE(failureDescription(fetch(*p)), u"Invalid response from API"_s);

        // A smaller cap: the same applies to error answers.
        HttpOptions options;
        options.maxBodyBytes = 64;
        p = makeProvider(id, options);
        m_service.enqueue(path, answer(500, QByteArray(65, 'e')));
        QCOMPARE(failureDescription(fetch(*p)), u"Invalid response from API"_s);
        m_service.enqueue(path, answer(500, QByteArray(64, 'e')));
        QCOMPARE(failureDescription(fetch(*p)), u"API error (code: 500)"_s);
    }
}

void TestProvidersHttp::brokenConnectionsAreRetryableTransportErrors_data()
{
    QTest::addColumn<QString>("provider");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("code");

    for (const QString &id : {u"claude"_s, u"codex"_s}) {
        QTest::addRow("%s dropped", qPrintable(id))
            << id << int(ServiceAnswer::Fault::DropConnection) << int(TransportError::NetworkConnectionLost);
        QTest::addRow("%s truncated", qPrintable(id))
            << id << int(ServiceAnswer::Fault::TruncateBody) << int(TransportError::NetworkConnectionLost);
        QTest::addRow("%s refused", qPrintable(id)) << id << -1 << int(TransportError::CannotConnectToHost);
    }
}

void TestProvidersHttp::brokenConnectionsAreRetryableTransportErrors()
{
    QFETCH(QString, provider);
    QFETCH(int, fault);
    QFETCH(int, code);
    std::optional<QUrl> endpoint;
    if (fault < 0) {
        // A port that was just free and is closed again.
        UsageService closed;
        QVERIFY(closed.listen());
        endpoint = closed.url(UsageService::ClaudePath);
    } else {
        ServiceAnswer broken = answer(200, fixture(u"codex/full.json"_s));
        broken.fault = ServiceAnswer::Fault(fault);
        // Qt sends a GET once more by itself when the first connection closes
        // without an answer, so every answer of this path is broken.
        m_service.setDefaultAnswer(provider == u"claude"_s ? UsageService::ClaudePath : UsageService::CodexPath,
                                   broken);
    }
    const auto p = makeProvider(provider, {}, endpoint);
    const FetchResult result = fetch(*p);
    QVERIFY2(std::holds_alternative<TransportError>(result), qPrintable(failureDescription(result)));
    const TransportError &error = std::get<TransportError>(result);
    QCOMPARE(int(error.code()), code);
    QVERIFY(error.isRetryable());
    QVERIFY(!error.description().isEmpty());
    QVERIFY(!error.description().contains(QLatin1StringView(Token)));
}

void TestProvidersHttp::silentServiceTimesOut_data()
{
    QTest::addColumn<int>("idleMs");
    QTest::addColumn<int>("totalMs");

    QTest::newRow("no progress") << 150 << 30'000;
    QTest::newRow("whole exchange") << 10'000 << 150;
}

void TestProvidersHttp::silentServiceTimesOut()
{
    QFETCH(int, idleMs);
    QFETCH(int, totalMs);
    HttpOptions options;
    options.idleTimeout = std::chrono::milliseconds(idleMs);
    options.totalTimeout = std::chrono::milliseconds(totalMs);
    for (const auto &[id, path] : {std::pair{u"claude"_s, UsageService::ClaudePath},
                                   std::pair{u"codex"_s, UsageService::CodexPath}}) {
        ServiceAnswer late = answer(200, "{}");
        late.delay = 2s;
        m_service.enqueue(path, late);
        const auto p = makeProvider(id, options);
        const FetchResult result = fetch(*p);
        QVERIFY(std::holds_alternative<TransportError>(result));
        QCOMPARE(std::get<TransportError>(result).code(), TransportError::TimedOut);
        QCOMPARE(std::get<TransportError>(result).description(), u"The request timed out."_s);
        QVERIFY(std::get<TransportError>(result).isRetryable());
    }
}

void TestProvidersHttp::abortEmitsNothing()
{
    ServiceAnswer late = answer(200, "{}");
    late.delay = 200ms;
    m_service.enqueue(UsageService::ClaudePath, late);
    const auto claude = makeProvider(u"claude"_s);
    FetchJob *sent = claude->fetchUsage(&m_jobs);
    JobWatch sentWatch(sent);
    QTRY_COMPARE(m_service.requests().size(), 1);
    sent->abort();

    writeCredentials(false);
    FetchJob *unsent = claude->fetchUsage(&m_jobs); // its failure is already queued
    JobWatch unsentWatch(unsent);
    unsent->abort();

    QTest::qWait(400);
    QCOMPARE(sentWatch.count(), 0);
    QCOMPARE(unsentWatch.count(), 0);
    delete sent;
    delete unsent;
}

void TestProvidersHttp::transportErrorMapping_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("timedOutByUs");
    QTest::addColumn<bool>("cancelledByUs");
    QTest::addColumn<int>("code");

    QTest::newRow("closed") << int(QNetworkReply::RemoteHostClosedError) << false << false
                            << int(TransportError::NetworkConnectionLost);
    QTest::newRow("session failed") << int(QNetworkReply::NetworkSessionFailedError) << false << false
                                    << int(TransportError::NotConnectedToInternet);
    QTest::newRow("Qt's transfer timeout") << int(QNetworkReply::OperationCanceledError) << false << false
                                           << int(TransportError::TimedOut);
    QTest::newRow("our abort") << int(QNetworkReply::OperationCanceledError) << false << true
                               << int(TransportError::Cancelled);
    QTest::newRow("our timer") << int(QNetworkReply::ConnectionRefusedError) << true << false
                               << int(TransportError::TimedOut);
    QTest::newRow("no route") << int(QNetworkReply::UnknownNetworkError) << false << false
                              << int(TransportError::Unknown);
}

void TestProvidersHttp::transportErrorMapping()
{
    QFETCH(int, error);
    QFETCH(bool, timedOutByUs);
    QFETCH(bool, cancelledByUs);
    QFETCH(int, code);
    const TransportError mapped =
        transportErrorFor(QNetworkReply::NetworkError(error), u"Qt's words"_s, timedOutByUs, cancelledByUs);
    QCOMPARE(int(mapped.code()), code);
    QCOMPARE(mapped.description(), timedOutByUs ? u"The request timed out."_s : u"Qt's words"_s);
}

QTEST_GUILESS_MAIN(TestProvidersHttp)
#include "test_providershttp.moc"
