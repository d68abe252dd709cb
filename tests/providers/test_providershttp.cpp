#include "fetch/ClaudeProvider.h"
#include "fetch/CodexProvider.h"
#include "fetch/DemoSetup.h"
#include "fetch/GeminiProvider.h"
#include "fetch/NetworkSession.h"
#include "fetch/UsageRequest.h"
#include "providers/CredentialFileStore.h"
#include "providers/CredentialItems.h"
#include "providers/ProviderRegistry.h"
#include "providers/SmallFile.h"
#include "providers/copilot/CopilotUsage.h"
#include "providers/gemini/GeminiUsage.h"
#include "support/DataRows.h"
#include "support/Files.h"
#include "usage-service/ScriptedService.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QByteArray Token = "secret-token-value"_ba;
// Each provider is known by the path it asks for.
const QString Claude = UsageService::ClaudePath;
const QString Codex = UsageService::CodexPath;
const QString Copilot = findProviderDescriptor(u"copilot"_s)->endpoint.path();
const QString Gemini = findProviderDescriptor(u"gemini"_s)->endpoint.path();
const QString GeminiProject = u"/v1internal:loadCodeAssist"_s;

ScriptedAnswer answer(int status, const QByteArray &body = {}, std::chrono::milliseconds delay = {},
                      ScriptedAnswer::Fault fault = ScriptedAnswer::Fault::None)
{
    return ScriptedAnswer(ServiceAnswer{status, body, {}, delay}, fault);
}

// The tools' login files, holding this token (and expiry).
QByteArray claudeLogin(const QByteArray &token, const QByteArray &expiresAt = "null")
{
    return R"({"mcpOAuth": {}, "claudeAiOauth": {"accessToken": ")" + token + R"(", "expiresAt": )" + expiresAt + "}}";
}

QByteArray geminiLogin(const QByteArray &token, const QByteArray &expiryDate = "null")
{
    return R"({"access_token": ")" + token + R"(", "refresh_token": "r", "expiry_date": )" + expiryDate + "}";
}

QByteArray codexLogin(const QByteArray &token)
{
    return R"({"auth_mode": "chatgpt", "tokens": {"access_token": ")" + token + R"("}})";
}

// A JWT whose payload claims this expiry; header and signature are never read.
QByteArray jwtExpiringAt(const QByteArray &exp)
{
    const QByteArray payload = R"({"sub":"u","exp":)" + exp + "}";
    return "eyJhbGciOiJSUzI1NiJ9." + payload.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals)
        + ".c2ln";
}

} // namespace

// Both providers against the substitute usage service on 127.0.0.1, with
// credentials in a temporary folder.
class TestProvidersHttp : public QObject
{
    Q_OBJECT

    ScriptedService m_service;
    ScriptedService m_elsewhere;   // where redirects point
    std::optional<QUrl> m_refused; // a port that was just free and is closed again
    QTemporaryDir m_dir;

    template <typename Parse> LoginReader fromFile(const QString &name, Parse parse)
    {
        return [path = m_dir.filePath(name), parse]() -> std::optional<StoredLogin> {
            const std::optional<QByteArray> contents = readSmallFile(path, MaxCredentialFileBytes);
            return contents ? parse(*contents) : std::nullopt;
        };
    }

    std::shared_ptr<UsageProvider> makeProvider(const QString &id, HttpOptions options = {},
                                                std::optional<QUrl> endpoint = {})
    {
        auto keychain = std::make_shared<CredentialFileStore>(
            QHash<QString, QString>{{ClaudeCredentialsItem, m_dir.filePath(u".credentials.json"_s)}});
        const QUrl url = endpoint.value_or(m_service.url(id));
        if (id == Copilot)
            return makeFetchingProvider(*findProviderDescriptor(u"copilot"_s), url, fromFile(u"apps.json"_s, &copilotLoginFromFile));
        if (id == Gemini)
            return makeFetchingProvider(*findProviderDescriptor(u"gemini"_s), url, fromFile(u"oauth_creds.json"_s, &geminiLoginFromFile));
        if (id == Claude)
            return std::make_shared<ClaudeProvider>(KeychainService(keychain), url, options);
        return std::make_shared<CodexProvider>(CodexCredentialService(keychain, m_dir.filePath(u"auth.json"_s)), url,
                                               options);
    }

    // Waits for the one result; a job that emits inside fetchUsage() never gets here.
    FetchResult fetch(UsageProvider &provider)
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

    // Each request the service got, as "METHOD path body".
    QStringList requestLines() const
    {
        QStringList lines;
        for (const RecordedRequest &request : m_service.requests())
            lines.append(QString::fromLatin1(request.method + ' ' + request.path + ' ' + request.body));
        return lines;
    }

    // One request of the shared client, outside any provider; no token goes anywhere.
    static FetchResult sendAlone(NetworkSession &session, const QUrl &url)
    {
        UsageRequest request;
        std::optional<FetchResult> result;
        QObject::connect(&request, &FetchJob::finished, [&](const FetchResult &r) { result = r; });
        request.start(session.manager(), url, {}, HttpOptions{},
                      [](int, const QByteArray &) { return FetchResult(ProviderError::invalidResponse()); });
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 5000))
            return OtherError{u"no answer"_s};
        return *result;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_service.listen());
        QVERIFY(m_elsewhere.listen());
        QVERIFY(m_dir.isValid());
        ScriptedService closed;
        QVERIFY(closed.listen());
        m_refused = closed.url(Claude);
    }

    void init()
    {
        m_service.clearAnswers();
        m_service.clearRequests();
        QVERIFY(writeFile(m_dir.filePath(u".credentials.json"_s), claudeLogin(Token)));
        QVERIFY(writeFile(m_dir.filePath(u"auth.json"_s), codexLogin(Token)));
        QVERIFY(writeFile(m_dir.filePath(u"apps.json"_s), R"({"github.com:Iv1.x": {"oauth_token": ")" + Token + R"("}})"));
        QVERIFY(writeFile(m_dir.filePath(u"oauth_creds.json"_s), geminiLogin(Token)));
        qputenv("GOOGLE_CLOUD_PROJECT", "fixture-project");
    }

    // Each fixture of answers.json as our service serves it: the rows with their
    // labels, values, reset instants, kinds and lengths, or the error.
    void servedAnswersDecodeAndRequestsAreExact_data()
    {
        addColumns<QString, QJsonObject>("fixture", "expected");
        const QJsonObject cases = QJsonDocument::fromJson(testData(u"providers/answers.json"_s)).object();
        QVERIFY(cases.size() >= 30);
        for (auto it = cases.begin(); it != cases.end(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key() << it.value().toObject();
    }
    void servedAnswersDecodeAndRequestsAreExact()
    {
        const auto [fixture, expected] = fetchRow<QString, QJsonObject>("fixture", "expected");
        // Each provider's headers, exact and in order; Qt's own connection
        // handling adds the ones named here around them. Names are compared in
        // lower case, as Qt 6.8 sends them.
        const QByteArray common = "authorization: Bearer " + Token + "\naccept: application/json\n";
        const QHash<QString, QByteArray> sent = {
            {Claude,
             common + "content-type: application/json\nuser-agent: Quotix/1.0\nanthropic-beta: oauth-2025-04-20\n"},
            {Codex, common + "user-agent: Quotix/1.0\n"},
            {Copilot, common + "user-agent: Quotix/1.0\n"},
            {Gemini, common + "content-type: application/json\nuser-agent: Quotix/1.0\n"},
        };
        const QList<QByteArray> qtHeaders = {"host", "connection", "accept-encoding", "accept-language",
                                             "content-length"};
        const QStringList kinds = {u"session"_s, u"weekly"_s, u"other"_s}; // in LimitKind's order

        const QHash<QString, QString> paths{
            {u"claude"_s, Claude}, {u"codex"_s, Codex}, {u"copilot"_s, Copilot}, {u"gemini"_s, Gemini}};
        const QString id = paths.value(fixture.section(u'/', 0, 0));
        m_service.enqueue(id, answer(expected.value("status"_L1).toInt(), testData(u"providers/"_s + fixture)));
        const FetchResult result = fetch(*makeProvider(id));

        QStringList rows;
        QStringList extras;
        if (const auto *usage = std::get_if<ProviderUsageResponse>(&result)) {
            for (const UsageLimit &limit : usage->limits) {
                QStringList row{limit.name, QString::number(limit.utilization),
                                limit.resetTime ? limit.resetTime->toString(Qt::ISODateWithMs) : u"-"_s,
                                kinds.value(int(limit.kind)),
                                limit.windowSeconds ? QString::number(*limit.windowSeconds) : u"-"_s};
                if (limit.scope)
                    row.append(*limit.scope);
                rows.append(row.join(" | "_L1));
            }
            const auto money
                = [](const Money &m) { return u"%1/%2 %3"_s.arg(m.amountMinor).arg(m.exponent).arg(m.currency); };
            if (const auto &credits = usage->credits; credits && credits->used && credits->limit)
                extras.append(u"credits %1 of %2 at %3%"_s.arg(money(*credits->used), money(*credits->limit))
                                  .arg(credits->usedPercent().value_or(-1)));
            else if (credits)
                extras.append(u"balance "_s + credits->balance.value_or(u"-"_s));
            if (usage->resetsBanked)
                extras.append(u"%1 resets banked"_s.arg(*usage->resetsBanked));
            if (usage->budgetReachedType)
                extras.append(u"budget "_s + *usage->budgetReachedType);
            for (const QString &name : usage->unlimited)
                extras.append(u"unlimited "_s + name);
        }
        const QStringList wanted = expected.value("rows"_L1).toVariant().toStringList();
        const QStringList wantedExtras = expected.value("extras"_L1).toVariant().toStringList();
        QCOMPARE(failureDescription(result) + u' ' + rows.join(u", "_s) + u" + "_s + extras.join(u", "_s),
                 expected.value("error"_L1).toString() + u' ' + wanted.join(u", "_s) + u" + "_s
                     + wantedExtras.join(u", "_s));

        QCOMPARE(m_service.requests().size(), 1);
        const RecordedRequest request = m_service.requests().first();
        QByteArray ours;
        for (const auto &[name, value] : request.headers) {
            if (!qtHeaders.contains(name.toLower()))
                ours += name.toLower() + ": " + value + '\n';
        }
        const QByteArray method = id == Gemini ? "POST " : "GET ";
        QCOMPARE(request.method + ' ' + request.path + '\n' + ours, method + id.toLatin1() + '\n' + sent.value(id));
        QCOMPARE(request.body, id == Gemini ? R"({"project":"fixture-project"})"_ba : QByteArray());
    }

    // What the saved login holds (none: no file), the service's answer (0: no
    // request may be sent), and the error with the line under it.
    void savedLoginDecidesWhatIsSentAndSaid()
    {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        const qint64 hour = 3600;
        // Claude's file counts milliseconds, the JWT seconds.
        const auto ago = [&](qint64 seconds, int unit) { return QByteArray::number((now - seconds) * unit); };
        const QString claudeOut = u"Not logged in to Claude."_s;
        const QString codexOut = u"Not logged in to Codex."_s;
        const QString claudeExpired = u"The saved login expired %1 ago. Open Claude Code once to renew it."_s;
        const QString codexExpired = u"The saved login expired %1 ago. Run codex once to renew it."_s;
        const QList<std::tuple<QString, std::optional<QByteArray>, int, QString, QString>> cases = {
            {Claude, std::nullopt, 0, claudeOut, {}},
            {Codex, std::nullopt, 0, codexOut, {}},
            // A line break in the token would smuggle a header of its own into the request.
            {Codex, codexLogin("abc\\r\\nX-Injected: 1"), 0, codexOut, {}},
            {Claude, claudeLogin("t", ago(3 * hour + 60, 1000)), 401, claudeOut, claudeExpired.arg("3 h"_L1)},
            {Codex, codexLogin(jwtExpiringAt(ago(48 * hour + 60, 1))), 401, codexOut, codexExpired.arg("2 days"_L1)},
            {Codex, codexLogin(jwtExpiringAt(ago(25 * 60, 1))), 403, codexOut, codexExpired.arg("25 min"_L1)},
            {Claude, claudeLogin("t", ago(-hour, 1000)), 401, claudeOut, {}}, // still valid: the service's word stands
            // Expired, but the service did not say "not logged in".
            {Claude, claudeLogin("t", ago(hour, 1000)), 500, u"API error (code: 500)"_s, {}},
            // No expiry to read, nor a wrong one.
            {Claude, claudeLogin("t", R"("soon")"), 401, claudeOut, {}},
            {Claude, claudeLogin("t", "1e300"), 401, claudeOut, {}},
            {Codex, codexLogin(jwtExpiringAt(R"("1")")), 401, codexOut, {}},
            {Codex, codexLogin("a.!!!.c"), 401, codexOut, {}},
            {Copilot, std::nullopt, 0, u"Not logged in to Copilot."_s, {}},
            // Another app's entry is no Copilot login.
            {Copilot, R"({"gitlab.com": {"oauth_token": "t"}})", 0, u"Not logged in to Copilot."_s, {}},
            // An expired Gemini token is never sent, nor renewed.
            {Gemini, geminiLogin("t", ago(3 * hour + 60, 1000)), 0, u"Not logged in to Gemini."_s,
             u"The saved login expired 3 h ago. Run gemini once to renew it."_s},
            {Gemini, geminiLogin("t", ago(-hour, 1000)), 401, u"Not logged in to Gemini."_s, {}},
        };
        const QHash<QString, QString> files{{Claude, u".credentials.json"_s},
                                            {Codex, u"auth.json"_s},
                                            {Copilot, u"apps.json"_s},
                                            {Gemini, u"oauth_creds.json"_s}};
        for (const auto &[id, saved, status, description, detail] : cases) {
            const QString file = m_dir.filePath(files.value(id));
            QFile::remove(file);
            if (saved)
                QVERIFY(writeFile(file, *saved));
            m_service.clearRequests();
            if (status)
                m_service.enqueue(id, answer(status, "{}"));
            const FetchResult result = fetch(*makeProvider(id));
            QCOMPARE(failureDescription(result) + u" / "_s + failureDetail(result).value_or(QString()),
                     description + u" / "_s + detail);
            QCOMPARE(m_service.requests().size(), status ? 1 : 0);
        }
    }

    // Without a project in the environment, Gemini asks loadCodeAssist once
    // per login and sends what it names; a failure there is the fetch's.
    void geminiFindsItsProjectOnce()
    {
        qunsetenv("GOOGLE_CLOUD_PROJECT");
        const QByteArray quota = R"({"buckets":[{"modelId":"m","remainingFraction":0.25}]})";
        m_service.setDefaultAnswer(Gemini, answer(200, quota));
        m_service.enqueue(GeminiProject, answer(200, R"({"cloudaicompanionProject":{"id":"named-1"},"x":1})"));
        const auto provider = makeProvider(Gemini);
        for (int i = 0; i < 2; ++i) {
            const FetchResult result = fetch(*provider);
            const auto *usage = std::get_if<ProviderUsageResponse>(&result);
            QVERIFY(usage && usage->limits.size() == 1 && usage->limits.first().utilization == 75.0);
        }
        QCOMPARE(requestLines(), (QStringList{u"POST /v1internal:loadCodeAssist {\"metadata\":{\"pluginType\":\"GEMINI\"}}"_s,
                                    u"POST /v1internal:retrieveUserQuota {\"project\":\"named-1\"}"_s,
                                    u"POST /v1internal:retrieveUserQuota {\"project\":\"named-1\"}"_s}));

        m_service.enqueue(GeminiProject, answer(200, R"({"currentTier":{}})"));
        QCOMPARE(failureDescription(fetch(*makeProvider(Gemini))),
                 u"Gemini names no Cloud project for this login: set GOOGLE_CLOUD_PROJECT to the project to ask about"_s);
        m_service.enqueue(GeminiProject, answer(401, "{}"));
        QCOMPARE(failureDescription(fetch(*makeProvider(Gemini))), u"Not logged in to Gemini."_s);
        m_service.clearAnswers();
    }

    // The project is kept between processes per login file: fresh providers
    // (as each check's child is) ask once, and again after the login changes or
    // the service refuses the project. A damaged cache is ignored and replaced.
    void geminiKeepsItsProjectBetweenProcesses()
    {
        qunsetenv("GOOGLE_CLOUD_PROJECT");
        const QString loginFile = m_dir.filePath(u"oauth_creds.json"_s);
        const QString cacheFile = m_dir.filePath(u"cache/Quotix/gemini-projects.json"_s);
        QVERIFY(writeFile(cacheFile, "{\"version\":1,\"logins\":[7,{\"file\":[]}"));
        m_service.setDefaultAnswer(Gemini, answer(200, R"({"buckets":[{"modelId":"m","remainingFraction":0.5}]})"));
        m_service.setDefaultAnswer(GeminiProject, answer(200, R"({"cloudaicompanionProject":"named-1"})"));
        const auto check = [&] {
            GeminiProvider provider(fromFile(u"oauth_creds.json"_s, &geminiLoginFromFile), m_service.url(Gemini), {},
                                    loginFile, GeminiProjectCache(cacheFile));
            return fetch(provider);
        };
        const QString ask = u"POST "_s + GeminiProject + u" {\"metadata\":{\"pluginType\":\"GEMINI\"}}"_s;
        const QString quota = u"POST "_s + Gemini + u" {\"project\":\"named-1\"}"_s;

        QVERIFY(std::holds_alternative<ProviderUsageResponse>(check()));
        QVERIFY(std::holds_alternative<ProviderUsageResponse>(check()));
        QCOMPARE(requestLines(), (QStringList{ask, quota, quota}));
        QCOMPARE(QFile::permissions(cacheFile), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

        m_service.clearRequests();
        QVERIFY(writeFile(loginFile, geminiLogin("another-login-token")));
        QVERIFY(std::holds_alternative<ProviderUsageResponse>(check()));
        QVERIFY(std::holds_alternative<ProviderUsageResponse>(check()));
        QCOMPARE(requestLines(), (QStringList{ask, quota, quota}));

        m_service.clearRequests();
        m_service.enqueue(Gemini, answer(403, "{}"));
        QVERIFY(!std::holds_alternative<ProviderUsageResponse>(check()));
        QVERIFY(std::holds_alternative<ProviderUsageResponse>(check()));
        QCOMPARE(requestLines(), (QStringList{quota, ask, quota}));
        m_service.clearAnswers();
    }

    // Broken, slow, oversized and redirecting answers each end in their error
    // within the limits, none read past the cap; transport failures are the
    // retryable ones. The answer, the limits, what the user reads (empty:
    // success, or Qt's own words for a transport error) and the transport error.
    void hostileAnswersEndInTheirErrorWithinTheLimits_data()
    {
        using Fault = ScriptedAnswer::Fault;
        // transport: -1 for none
        addColumns<QString, ScriptedAnswer, HttpOptions, QString, int>("id", "served", "options", "description",
                                                                       "transport");
        const auto redirect = [&](int status) {
            ScriptedAnswer moved = answer(status);
            moved.headers = {{"Location", m_elsewhere.url(Claude).toEncoded()}};
            return moved;
        };
        const QByteArray usage = R"({"five_hour": {"utilization": 42}})"_ba;
        const HttpOptions plain;
        const HttpOptions capped{plain.idleTimeout, plain.totalTimeout, 64};
        const HttpOptions shortIdle{300ms, 10'000ms, plain.maxBodyBytes};
        const HttpOptions shortTotal{600ms, 1'200ms, plain.maxBodyBytes};
        const QString invalid = u"Invalid response from API"_s;
        const QString late = u"The request timed out."_s;
        const int none = -1;
        const int timedOut = int(TransportError::Code::TimedOut);
        const int lost = int(TransportError::Code::NetworkConnectionLost);
        ScriptedAnswer trickle = answer(200, usage + QByteArray(100, ' '), {}, Fault::Trickle);
        trickle.trickleInterval = 200ms; // well inside the idle limit, so only the total one can end it
        // 2 MiB of spaces pack into a few kilobytes: the cap counts what they unpack to.
        const ScriptedAnswer packedPastTheCap = answer(200, usage + QByteArray(2 << 20, ' '), {}, Fault::GzipBody);
        const auto row = [](const char *name, const QString &id, const ScriptedAnswer &served,
                            const HttpOptions &options, const QString &description, int transport) {
            QTest::newRow(name) << id << served << options << description << transport;
        };
        row("gzip, small", Claude, answer(200, usage, {}, Fault::GzipBody), plain, {}, none);
        row("gzip past the cap", Claude, packedPastTheCap, plain, invalid, none);
        row("endless chunks", Codex, answer(200, {}, {}, Fault::EndlessChunks), capped, invalid, none);
        row("one byte past the cap", Claude, answer(200, "{}" + QByteArray(63, ' ')), capped, invalid, none);
        row("the cap itself", Codex, answer(500, QByteArray(64, 'e')), capped, u"API error (code: 500)"_s, none);
        row("redirect", Claude, redirect(302), plain, u"API error (code: 302)"_s, none);
        row("redirect keeping the method", Codex, redirect(307), plain, u"API error (code: 307)"_s, none);
        row("headers, then closed", Claude, answer(200, usage, {}, Fault::HeadersThenClose), plain, {}, lost);
        row("nobody listening", Claude, answer(200, usage), plain, {}, int(TransportError::Code::CannotConnectToHost));
        row("silent", Codex, answer(200, usage, 2s), shortIdle, late, timedOut);
        row("headers, then held", Claude, answer(200, usage, {}, Fault::HeadersThenHold), shortIdle, late, timedOut);
        row("trickle", Claude, trickle, shortTotal, late, timedOut);
    }
    void hostileAnswersEndInTheirErrorWithinTheLimits()
    {
        const auto [id, served, options, description, transport]
            = fetchRow<QString, ScriptedAnswer, HttpOptions, QString, int>("id", "served", "options", "description",
                                                                           "transport");
        // Qt sends a GET once more by itself when the first connection closes
        // without an answer, so every answer of the path is this one.
        m_service.setDefaultAnswer(id, served);
        const bool unreachable = transport == int(TransportError::Code::CannotConnectToHost);
        QElapsedTimer timer;
        timer.start();
        const FetchResult result = fetch(*makeProvider(id, options, unreachable ? m_refused : std::nullopt));
        QVERIFY(timer.elapsed() < 5000);
        if (transport < 0 || !description.isEmpty())
            QCOMPARE(failureDescription(result), description);
        if (transport >= 0) {
            const auto *error = std::get_if<TransportError>(&result);
            QVERIFY(error);
            QCOMPARE(int(error->code()), transport);
            QVERIFY(error->isRetryable());
            QVERIFY(!error->description().isEmpty() && !error->description().contains(QLatin1StringView(Token)));
        }
        if (transport == int(TransportError::Code::TimedOut))
            QVERIFY(timer.elapsed() >= 250);       // it did wait for the limit
        QVERIFY(m_elsewhere.requests().isEmpty()); // so the token never went to another host
    }

    // A 429 or a 5xx says when to ask again, as the service put it; other
    // answers never carry it. The status, the header (empty: none), and the
    // wait it names in seconds (-1: none).
    void rateLimitedAnswersSayWhenToAskAgain_data()
    {
        addColumns<QString, int, QByteArray, qint64>("id", "status", "header", "seconds");
        const QDateTime later = QDateTime::currentDateTimeUtc().addSecs(600);
        const QByteArray httpDate = QLocale::c().toString(later, u"ddd, dd MMM yyyy HH:mm:ss 'GMT'"_s).toLatin1();
        QTest::newRow("seconds") << Claude << 429 << "120"_ba << qint64(120);
        QTest::newRow("an HTTP date") << Codex << 429 << httpDate << qint64(600);
        QTest::newRow("zero") << Claude << 429 << "0"_ba << qint64(-1);
        QTest::newRow("none") << Claude << 429 << QByteArray() << qint64(-1);
        QTest::newRow("long past") << Claude << 429 << "Sun, 06 Nov 1994 08:49:37 GMT"_ba << qint64(-1);
        QTest::newRow("not a time") << Claude << 429 << "soon"_ba << qint64(-1);
        QTest::newRow("a 503") << Codex << 503 << "30"_ba << qint64(30);
        QTest::newRow("a 403 never") << Claude << 403 << "30"_ba << qint64(-1);
    }
    void rateLimitedAnswersSayWhenToAskAgain()
    {
        const auto [id, status, header, seconds]
            = fetchRow<QString, int, QByteArray, qint64>("id", "status", "header", "seconds");
        ScriptedAnswer served = answer(
            status, R"({"error":{"type":"rate_limit_error","message":"Rate limited. Please try again later."}})");
        if (!header.isEmpty())
            served.headers = {{"Retry-After", header}};
        m_service.enqueue(id, served);
        const QDateTime sent = QDateTime::currentDateTimeUtc();
        const FetchResult result = fetch(*makeProvider(id));
        const auto *error = std::get_if<ProviderError>(&result);
        QVERIFY(error && error->statusCode() == status);
        QCOMPARE(error->isRateLimited(), status == 429);
        QCOMPARE(error->retryAfter().has_value(), seconds >= 0);
        if (seconds >= 0)
            QVERIFY(qAbs(sent.secsTo(*error->retryAfter()) - seconds) <= 2);
        QCOMPARE(failureDescription(result), u"API error (code: %1)"_s.arg(status));
    }

    // Qt's own transfer timeout ends a reply as cancelled; nobody aborted it, so it timed out.
    void qtsOwnTransferTimeoutIsATimeout()
    {
        m_service.setDefaultAnswer(Claude, answer(200, "{}", 3s));
        NetworkSession session;
        session.manager()->setTransferTimeout(200);
        const FetchResult result = sendAlone(session, m_service.url(Claude));
        const auto *error = std::get_if<TransportError>(&result);
        QVERIFY2(error && error->code() == TransportError::Code::TimedOut && error->isRetryable(),
                 qPrintable(failureDescription(result)));
    }

    // No route to the service at all (just woken, the Wi-Fi not back yet) is
    // tried again like a lost connection. The kernel refuses TCP to a
    // multicast address just as it refuses one without a route.
    void anUnreachableNetworkIsTriedAgain()
    {
        NetworkSession session;
        const FetchResult result = sendAlone(session, QUrl(u"http://224.0.0.1:9/"_s));
        const auto *error = std::get_if<TransportError>(&result);
        QVERIFY2(error && error->isRetryable(), qPrintable(failureDescription(result)));
    }

    // The providers of one run share a session: one request's timeout or abort
    // ends only that request.
    void aSharedSessionKeepsRequestsApart()
    {
        using Fault = ScriptedAnswer::Fault;
        const auto session = std::make_shared<NetworkSession>();
        const auto claude = makeProvider(Claude, {300ms, 10'000ms, HttpOptions{}.maxBodyBytes, session});
        const auto codex = makeProvider(Codex, {10'000ms, 10'000ms, HttpOptions{}.maxBodyBytes, session});
        m_service.setDefaultAnswer(Claude, answer(200, "{}", {}, Fault::HeadersThenHold));
        m_service.enqueue(Codex, answer(503, "busy", 800ms));
        QList<FetchResult> held, slow;
        const std::unique_ptr<FetchJob> aborted(claude->fetchUsage(nullptr));
        const std::unique_ptr<FetchJob> timed(claude->fetchUsage(nullptr));
        const std::unique_ptr<FetchJob> answered(codex->fetchUsage(nullptr));
        QObject::connect(timed.get(), &FetchJob::finished, [&](const FetchResult &r) { held.append(r); });
        QObject::connect(answered.get(), &FetchJob::finished, [&](const FetchResult &r) { slow.append(r); });
        QTRY_COMPARE(m_service.requests().size(), 3);
        aborted->abort();
        QTRY_COMPARE_WITH_TIMEOUT(slow.size(), 1, 5000);
        QTRY_COMPARE(held.size(), 1);
        const auto *timeout = std::get_if<TransportError>(&held.first());
        QVERIFY(timeout && timeout->code() == TransportError::Code::TimedOut);
        const auto *error = std::get_if<ProviderError>(&slow.first());
        QVERIFY(error && error->statusCode() == 503);
    }

    void abortEmitsNothing()
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
};

QTEST_GUILESS_MAIN(TestProvidersHttp)
#include "test_providershttp.moc"
