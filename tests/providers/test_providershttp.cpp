#include "demo/UsageService.h"
#include "providers/ClaudeProvider.h"
#include "providers/CodexProvider.h"
#include "providers/CredentialFileStore.h"
#include "providers/CredentialItems.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using Headers = QList<QPair<QByteArray, QByteArray>>;

const QByteArray Token = "secret-token-value"_ba;
// Each provider is known by the path it asks for.
const QString Claude = UsageService::ClaudePath;
const QString Codex = UsageService::CodexPath;

ServiceAnswer answer(int status, const QByteArray &body = {}, std::chrono::milliseconds delay = {},
                     ServiceAnswer::Fault fault = ServiceAnswer::Fault::None)
{
    return ServiceAnswer{status, body, {}, delay, fault};
}

bool writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

QString kindName(LimitKind kind)
{
    return kind == LimitKind::Session ? u"session"_s : kind == LimitKind::Weekly ? u"weekly"_s : u"other"_s;
}

// A JWT whose payload claims this expiry; header and signature are never read.
QByteArray jwtExpiringAt(qint64 exp)
{
    const auto encoded = [](const QByteArray &json) {
        return json.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    };
    return encoded(R"({"alg":"RS256"})") + '.' + encoded(R"({"sub":"u","exp":)" + QByteArray::number(exp) + "}")
        + ".c2ln";
}

} // namespace

// Both providers against the substitute usage service on 127.0.0.1, with
// credentials in a temporary folder.
class TestProvidersHttp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void answersAndHeadersOverHttp();
    void servedAnswerShapes();
    void expiredLoginIsExplained();
    void nothingIsSentWithoutAToken();
    void redirectsAreNotFollowed();
    void oversizedBodiesAreRefused();
    void transportFailuresAreRetryable();
    void abortEmitsNothing();
    void hostileAnswersEndWithinTheLimits();

private:
    std::unique_ptr<UsageProvider> makeProvider(const QString &id, HttpOptions options = {},
                                                std::optional<QUrl> endpoint = {});
    FetchResult fetch(UsageProvider &provider);

    UsageService m_service;
    QTemporaryDir m_dir;
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
    QVERIFY(writeFile(m_dir.filePath(u".credentials.json"_s), R"({"claudeAiOauth":{"accessToken":")" + Token + "\"}}"));
    QVERIFY(writeFile(m_dir.filePath(u"auth.json"_s), R"({"tokens": {"access_token": ")" + Token + "\"}}"));
}

std::unique_ptr<UsageProvider> TestProvidersHttp::makeProvider(const QString &id, HttpOptions options,
                                                               std::optional<QUrl> endpoint)
{
    auto keychain = std::make_shared<CredentialFileStore>(
        QHash<QString, QString>{{ClaudeCredentialsItem, m_dir.filePath(u".credentials.json"_s)}});
    const QUrl url = endpoint.value_or(m_service.url(id));
    if (id == Claude)
        return std::make_unique<ClaudeProvider>(KeychainService(keychain), url, options);
    return std::make_unique<CodexProvider>(CodexCredentialService(keychain, m_dir.filePath(u"auth.json"_s)), url,
                                           options);
}

// Waits for the one result; a job that emits inside fetchUsage() never gets here.
FetchResult TestProvidersHttp::fetch(UsageProvider &provider)
{
    const std::unique_ptr<FetchJob> job(provider.fetchUsage(nullptr));
    QList<FetchResult> results;
    QObject::connect(job.get(), &FetchJob::finished, [&](const FetchResult &result) { results.append(result); });
    if (!QTest::qWaitFor([&] { return !results.isEmpty(); }, 10'000))
        qFatal("the fetch never finished");
    QCoreApplication::processEvents();
    if (results.size() != 1)
        qFatal("finished() emitted more than once");
    return results.first();
}

void TestProvidersHttp::answersAndHeadersOverHttp()
{
    QFile codexUsage(QStringLiteral(QUOTIX_TEST_DATA "/providers/codex/full.json"));
    QVERIFY(codexUsage.open(QIODevice::ReadOnly));
    const QByteArray scope = R"({"error": {"message": "token lacks the required scope"}})"_ba;
    const Headers common = {{"Authorization", "Bearer " + Token}, {"Accept", "application/json"}};
    // Each provider's headers, exact and in order, and one answer of each status class.
    const QList<std::tuple<QString, Headers, QList<std::tuple<int, QByteArray, QString>>>> cases = {
        {Claude,
         common
             + Headers{{"Content-Type", "application/json"},
                       {"User-Agent", "Quotix/1.0"},
                       {"anthropic-beta", "oauth-2025-04-20"}},
         {{200, R"({"five_hour": {"utilization": 42}})", {}},
          {401, scope, u"Claude token missing required scope."_s},
          {503, {}, u"API error (code: 503)"_s}}},
        {Codex,
         common + Headers{{"User-Agent", "Quotix/1.0"}},
         {{200, codexUsage.readAll(), {}},
          {403, scope, u"Not logged in to Codex."_s},
          {503, {}, u"API error (code: 503)"_s}}},
    };
    // Qt's own connection handling adds these around ours.
    const QList<QByteArray> qtHeaders = {"host", "connection", "accept-encoding", "accept-language"};
    for (const auto &[id, headers, answers] : cases) {
        m_service.clearRequests();
        const auto p = makeProvider(id); // later requests go over its kept network session
        QVERIFY(p->isAvailable());
        for (const auto &[status, body, description] : answers) {
            m_service.enqueue(id, answer(status, body));
            QCOMPARE(failureDescription(fetch(*p)), description);
        }
        const QList<RecordedRequest> requests = m_service.requests();
        QCOMPARE(requests.size(), answers.size());
        for (const RecordedRequest &request : requests) {
            QCOMPARE(request.method, "GET"_ba);
            QCOMPARE(request.path, id.toLatin1());
            Headers ours = request.headers;
            ours.removeIf([&](const auto &header) { return qtHeaders.contains(header.first.toLower()); });
            QCOMPARE(ours, headers);
        }
    }
}

// Each answer shape the services send, as our service serves it: the rows
// with their labels, values, reset instants, kinds and lengths, or the error.
void TestProvidersHttp::servedAnswerShapes()
{
    QFile expectations(QStringLiteral(QUOTIX_TEST_DATA "/providers/answers.json"));
    QVERIFY(expectations.open(QIODevice::ReadOnly));
    const QJsonObject cases = QJsonDocument::fromJson(expectations.readAll()).object();
    QVERIFY(cases.size() >= 10);
    for (auto it = cases.begin(); it != cases.end(); ++it) {
        QFile fixture(QStringLiteral(QUOTIX_TEST_DATA "/providers/") + it.key());
        QVERIFY2(fixture.open(QIODevice::ReadOnly), qPrintable(it.key()));
        const QJsonObject expected = it.value().toObject();
        const QString id = it.key().startsWith("claude/"_L1) ? Claude : Codex;
        m_service.enqueue(id, answer(expected.value("status"_L1).toInt(), fixture.readAll()));
        const FetchResult result = fetch(*makeProvider(id));
        if (expected.contains("error"_L1)) {
            QCOMPARE(failureDescription(result), expected.value("error"_L1).toString());
            continue;
        }
        const auto *usage = std::get_if<ProviderUsageResponse>(&result);
        QVERIFY2(usage, qPrintable(it.key() + u": "_s + failureDescription(result)));
        QStringList rows;
        for (const UsageLimit &limit : usage->limits) {
            rows.append(QStringList{limit.name, QString::number(limit.utilization),
                                    limit.resetTime ? limit.resetTime->toString(Qt::ISODateWithMs) : u"-"_s,
                                    kindName(limit.kind),
                                    limit.windowSeconds ? QString::number(*limit.windowSeconds) : u"-"_s}
                            .join(" | "_L1));
        }
        QStringList wanted;
        for (const QJsonValue &row : expected.value("rows"_L1).toArray())
            wanted.append(row.toString());
        QCOMPARE(rows, wanted);
    }
}

void TestProvidersHttp::expiredLoginIsExplained()
{
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    const auto claudeLogin = [&](qint64 expiresAt) {
        return writeFile(m_dir.filePath(u".credentials.json"_s),
                         R"({"mcpOAuth": {}, "claudeAiOauth": {"accessToken": "t", "refreshToken": "r", "expiresAt": )"
                             + QByteArray::number(expiresAt) + R"(, "scopes": ["user:inference"]}})");
    };
    const auto codexLogin = [&](qint64 exp) {
        return writeFile(
            m_dir.filePath(u"auth.json"_s),
            R"({"auth_mode": "chatgpt", "OPENAI_API_KEY": null, "tokens": {"id_token": "x", "access_token": ")"
                + jwtExpiringAt(exp) + R"(", "refresh_token": "r", "account_id": "a"}})");
    };
    const qint64 hour = 3600;
    // What the store says, what the service answers, and the line under the error.
    const QList<std::tuple<QString, std::function<bool()>, int, QString>> cases = {
        {Claude, [&] { return claudeLogin(nowMs - (3 * hour + 60) * 1000); }, 401,
         u"The saved login expired 3 h ago. Open Claude Code once to renew it."_s},
        {Codex, [&] { return codexLogin(nowMs / 1000 - 2 * 24 * hour - 60); }, 401,
         u"The saved login expired 2 days ago. Run codex once to renew it."_s},
        {Codex, [&] { return codexLogin(nowMs / 1000 - 25 * 60); }, 403,
         u"The saved login expired 25 min ago. Run codex once to renew it."_s},
        // Still valid: the service's word stands alone.
        {Claude, [&] { return claudeLogin(nowMs + hour * 1000); }, 401, {}},
        // Expired, but the service did not say "not logged in".
        {Claude, [&] { return claudeLogin(nowMs - hour * 1000); }, 500, {}},
        // No expiry to read: a token that is no JWT.
        {Codex,
         [&] { return writeFile(m_dir.filePath(u"auth.json"_s), R"({"tokens": {"access_token": "opaque"}})"); },
         401,
         {}},
    };
    for (const auto &[id, write, status, detail] : cases) {
        QVERIFY(write());
        m_service.enqueue(id, answer(status, "{}"));
        const FetchResult result = fetch(*makeProvider(id));
        QCOMPARE(failureDetail(result).value_or(QString()), detail);
        QVERIFY(!failureDescription(result).isEmpty());
    }
}

void TestProvidersHttp::nothingIsSentWithoutAToken()
{
    QVERIFY(QFile::remove(m_dir.filePath(u".credentials.json"_s)));
    QVERIFY(QFile::remove(m_dir.filePath(u"auth.json"_s)));
    for (const QString &id : {Claude, Codex}) {
        const auto p = makeProvider(id);
        QVERIFY(!p->isAvailable());
        QCOMPARE(failureDescription(fetch(*p)), u"Not logged in to "_s + p->name() + u"."_s);
    }
    // A line break in the token would smuggle a header of its own into the request.
    QVERIFY(writeFile(m_dir.filePath(u"auth.json"_s), R"({"token": "abc\r\nX-Injected: 1"})"));
    QCOMPARE(failureDescription(fetch(*makeProvider(Codex))), u"Not logged in to Codex."_s);
    QVERIFY(m_service.requests().isEmpty());
}

void TestProvidersHttp::redirectsAreNotFollowed()
{
    UsageService elsewhere;
    QVERIFY(elsewhere.listen());
    for (const auto &[id, status] : {std::pair{Claude, 302}, std::pair{Codex, 307}}) {
        ServiceAnswer redirect = answer(status);
        redirect.headers = {{"Location", elsewhere.url(id).toEncoded()}};
        m_service.enqueue(id, redirect);
        QCOMPARE(failureDescription(fetch(*makeProvider(id))), u"API error (code: %1)"_s.arg(status));
    }
    QCOMPARE(m_service.requests().size(), 2);
    QVERIFY(elsewhere.requests().isEmpty());
}

void TestProvidersHttp::oversizedBodiesAreRefused()
{
    HttpOptions options;
    options.maxBodyBytes = 64;
    for (const QString &id : {Claude, Codex}) {
        m_service.enqueue(id, answer(200, "{}" + QByteArray(63, ' ')));
        m_service.enqueue(id, answer(500, QByteArray(64, 'e'))); // the cap itself is allowed
        const auto p = makeProvider(id, options);
        QCOMPARE(failureDescription(fetch(*p)), u"Invalid response from API"_s);
        QCOMPARE(failureDescription(fetch(*p)), u"API error (code: 500)"_s);
    }
}

void TestProvidersHttp::transportFailuresAreRetryable()
{
    std::optional<QUrl> refused;
    {
        UsageService closed; // a port that was just free and is closed again
        QVERIFY(closed.listen());
        refused = closed.url(UsageService::ClaudePath);
    }
    using Fault = ServiceAnswer::Fault;
    const HttpOptions plain;
    const HttpOptions idle{150ms, 30'000ms, plain.maxBodyBytes};
    const HttpOptions total{10'000ms, 150ms, plain.maxBodyBytes};
    const auto lost = TransportError::NetworkConnectionLost;
    const auto timedOut = TransportError::TimedOut;
    for (const auto &[id, fault, options, code] :
         {std::tuple{Claude, Fault::DropConnection, plain, lost}, std::tuple{Codex, Fault::DropConnection, plain, lost},
          std::tuple{Codex, Fault::TruncateBody, plain, lost},
          std::tuple{Claude, Fault::None, plain, TransportError::CannotConnectToHost},
          std::tuple{Claude, Fault::None, idle, timedOut}, std::tuple{Codex, Fault::None, total, timedOut}}) {
        // Qt sends a GET once more by itself when the first connection closes
        // without an answer, so every answer of this path is broken (or late).
        m_service.setDefaultAnswer(id, answer(200, QByteArray(100, ' '), code == timedOut ? 2s : 0s, fault));
        const auto endpoint = code == TransportError::CannotConnectToHost ? refused : std::nullopt;
        const FetchResult result = fetch(*makeProvider(id, options, endpoint));
        const auto *error = std::get_if<TransportError>(&result);
        QVERIFY2(error, qPrintable(failureDescription(result)));
        QCOMPARE(error->code(), code);
        QVERIFY(error->isRetryable());
        QVERIFY(!error->description().isEmpty() && !error->description().contains(QLatin1StringView(Token)));
        if (code == timedOut)
            QCOMPARE(error->description(), u"The request timed out."_s);
    }
}

void TestProvidersHttp::abortEmitsNothing()
{
    m_service.enqueue(Claude, answer(200, "{}", 200ms));
    const auto claude = makeProvider(Claude);
    int emitted = 0;
    const std::unique_ptr<FetchJob> sent(claude->fetchUsage(nullptr));
    QObject::connect(sent.get(), &FetchJob::finished, [&] { ++emitted; });
    QTRY_COMPARE(m_service.requests().size(), 1);
    sent->abort();

    QVERIFY(QFile::remove(m_dir.filePath(u".credentials.json"_s)));
    const std::unique_ptr<FetchJob> unsent(claude->fetchUsage(nullptr)); // its failure is already queued
    QObject::connect(unsent.get(), &FetchJob::finished, [&] { ++emitted; });
    unsent->abort();

    QTest::qWait(400);
    QCOMPARE(emitted, 0);
}

// Each ends in its error within the limits; none is read past the cap.
void TestProvidersHttp::hostileAnswersEndWithinTheLimits()
{
    using Fault = ServiceAnswer::Fault;
    const QByteArray usage = R"({"five_hour": {"utilization": 42}})"_ba;
    const HttpOptions plain;
    const HttpOptions shortIdle{300ms, 10'000ms, plain.maxBodyBytes};
    const HttpOptions shortTotal{600ms, 1'200ms, plain.maxBodyBytes};
    const QString invalid = u"Invalid response from API"_s;
    const QString timedOut = u"The request timed out."_s;
    const QString lost = u"(connection lost)"_s;
    ServiceAnswer trickle = answer(200, usage + QByteArray(100, ' '), {}, Fault::Trickle);
    trickle.trickleInterval = 200ms; // well inside the idle limit, so only the total one can end it
    // The answer, the limits, the outcome, and the time it may take at most.
    const QList<std::tuple<const char *, ServiceAnswer, HttpOptions, QString, std::chrono::milliseconds>> cases = {
        {"gzip, small", answer(200, usage, {}, Fault::GzipBody), plain, {}, 5s},
        // 2 MiB of spaces pack into a few kilobytes: the cap counts what they unpack to.
        {"gzip past the cap", answer(200, usage + QByteArray(2 * 1024 * 1024, ' '), {}, Fault::GzipBody), plain,
         invalid, 5s},
        {"endless chunks", answer(200, {}, {}, Fault::EndlessChunks), plain, invalid, 5s},
        {"trickle", trickle, shortTotal, timedOut, 3s},
        {"headers, then held", answer(200, usage, {}, Fault::HeadersThenHold), shortIdle, timedOut, 3s},
        {"headers, then closed", answer(200, usage, {}, Fault::HeadersThenClose), plain, lost, 5s},
    };
    for (const auto &[name, served, options, outcome, within] : cases) {
        m_service.clearAnswers();
        m_service.setDefaultAnswer(Claude, served);
        QElapsedTimer timer;
        timer.start();
        const FetchResult result = fetch(*makeProvider(Claude, options));
        QVERIFY2(timer.elapsed() < within.count(), name);
        const auto *transport = std::get_if<TransportError>(&result);
        if (outcome == lost)
            QVERIFY2(transport && transport->code() == TransportError::NetworkConnectionLost, name);
        else
            QCOMPARE(failureDescription(result), outcome);
        if (outcome == timedOut)
            QVERIFY2(timer.elapsed() >= 250, name); // it did wait for the limit
    }
}

QTEST_GUILESS_MAIN(TestProvidersHttp)
#include "test_providershttp.moc"
