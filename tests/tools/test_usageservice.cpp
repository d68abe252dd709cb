#include "ServiceScenario.h"
#include "UsageService.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

struct Reply
{
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
};

ServiceAnswer answer(int status, const QByteArray &body)
{
    ServiceAnswer a;
    a.status = status;
    a.body = body;
    return a;
}

// Sends bytes on a raw connection and collects everything until the service
// closes it; the event loop keeps running so an in-process service can answer.
QByteArray exchangeRaw(quint16 port, const QByteArray &bytes)
{
    QTcpSocket socket;
    QByteArray received;
    QObject::connect(&socket, &QTcpSocket::connected, &socket, [&] { socket.write(bytes); });
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [&] { received += socket.readAll(); });
    QSignalSpy closed(&socket, &QTcpSocket::disconnected);
    socket.connectToHost(u"127.0.0.1"_s, port);
    if (!closed.wait(5000))
        return "still open"_ba;
    return received + socket.readAll();
}

} // namespace

class TestUsageService : public QObject
{
    Q_OBJECT

private:
    Reply get(const QString &path, const QList<QPair<QByteArray, QByteArray>> &headers = {})
    {
        QNetworkRequest request(m_service->url(path));
        for (const auto &[name, value] : headers)
            request.setRawHeader(name, value);
        std::unique_ptr<QNetworkReply> reply(m_network.get(request));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        if (!finished.wait(5000))
            return {};
        return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->error(), reply->readAll()};
    }

    QNetworkAccessManager m_network;
    std::unique_ptr<UsageService> m_service;

private Q_SLOTS:
    void init()
    {
        m_service = std::make_unique<UsageService>();
        QVERIFY(m_service->listen());
        QVERIFY(m_service->port() != 0);
    }

    void cleanup() { m_service.reset(); }

    void answersFromQueueThenDefaultThen404()
    {
        const QString path = UsageService::ClaudePath;
        m_service->enqueue(path, answer(500, "first"_ba));
        m_service->enqueue(path, answer(429, "second"_ba));
        m_service->setDefaultAnswer(path, answer(200, R"({"five_hour":{}})"_ba));

        const QList<int> expected{500, 429, 200, 200};
        for (int status : expected)
            QCOMPARE(get(path).status, status);
        QCOMPARE(get(path).body, R"({"five_hour":{}})"_ba);

        // Another path has neither: a 404 with a JSON body; queries do not change the path.
        const Reply missing = get(UsageService::CodexPath);
        QCOMPARE(missing.status, 404);
        QVERIFY(QJsonDocument::fromJson(missing.body).isObject());
        m_service->setDefaultAnswer(UsageService::CodexPath, answer(200, "codex"_ba));
        QUrl withQuery = m_service->url(UsageService::CodexPath);
        withQuery.setQuery(u"x=1"_s);
        std::unique_ptr<QNetworkReply> reply(m_network.get(QNetworkRequest(withQuery)));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        QVERIFY(finished.wait(5000));
        QCOMPARE(reply->readAll(), "codex"_ba);

        m_service->clearAnswers();
        QCOMPARE(get(path).status, 404);
    }

    void recordsRequestsWithHeadersInOrder()
    {
        m_service->setDefaultAnswer(UsageService::CodexPath, answer(200, "{}"_ba));
        QSignalSpy received(m_service.get(), &UsageService::requestReceived);
        get(UsageService::CodexPath, {{"Authorization"_ba, "Bearer secret"_ba}, {"X-First"_ba, "1"_ba}, {"X-Second"_ba, "2"_ba}});

        QCOMPARE(received.size(), 1);
        const QList<RecordedRequest> requests = m_service->requests();
        QCOMPARE(requests.size(), 1);
        const RecordedRequest &request = requests.first();
        QCOMPARE(request.method, "GET"_ba);
        QCOMPARE(request.path, QByteArray(UsageService::CodexPath.latin1()));
        QCOMPARE(request.header("authorization"_ba), "Bearer secret"_ba);
        QCOMPARE(request.header("X-Missing"_ba), QByteArray());
        QStringList names;
        for (const auto &header : request.headers)
            names.append(QString::fromLatin1(header.first));
        QVERIFY(names.indexOf(u"X-First"_s) < names.indexOf(u"X-Second"_s));

        m_service->clearRequests();
        QVERIFY(m_service->requests().isEmpty());
    }

    void delayedAnswerDoesNotBlockOthers()
    {
        ServiceAnswer slow = answer(200, "slow"_ba);
        slow.delay = 300ms;
        m_service->setDefaultAnswer(UsageService::ClaudePath, slow);
        m_service->setDefaultAnswer(UsageService::CodexPath, answer(200, "fast"_ba));

        QElapsedTimer clock;
        clock.start();
        std::unique_ptr<QNetworkReply> slowReply(m_network.get(QNetworkRequest(m_service->url(UsageService::ClaudePath))));
        QCOMPARE(get(UsageService::CodexPath).body, "fast"_ba);
        QVERIFY(!slowReply->isFinished());
        QSignalSpy finished(slowReply.get(), &QNetworkReply::finished);
        QVERIFY(finished.wait(5000));
        QVERIFY(clock.elapsed() >= 300);
        QCOMPARE(slowReply->readAll(), "slow"_ba);
    }

    void faultsBreakTheExchange()
    {
        ServiceAnswer drop = answer(200, "never sent"_ba);
        drop.fault = ServiceAnswer::Fault::DropConnection;
        ServiceAnswer truncate = answer(200, "0123456789"_ba);
        truncate.fault = ServiceAnswer::Fault::TruncateBody;
        m_service->enqueue(UsageService::ClaudePath, drop);
        m_service->enqueue(UsageService::ClaudePath, truncate);

        const QByteArray request = "GET /api/oauth/usage HTTP/1.1\r\nHost: x\r\n\r\n"_ba;
        QCOMPARE(exchangeRaw(m_service->port(), request), QByteArray());
        const QByteArray truncated = exchangeRaw(m_service->port(), request);
        QVERIFY2(truncated.contains("Content-Length: 10\r\n"_ba), truncated.constData());
        QVERIFY(truncated.endsWith("\r\n\r\n01234"_ba));

        // As an HTTP client sees them: both are transport failures, not answers.
        // (Defaults, since the client may quietly resend a request that got no answer.)
        m_service->setDefaultAnswer(UsageService::CodexPath, drop);
        m_service->setDefaultAnswer(UsageService::ClaudePath, truncate);
        QCOMPARE(get(UsageService::CodexPath).error, QNetworkReply::RemoteHostClosedError);
        QVERIFY(get(UsageService::ClaudePath).error != QNetworkReply::NoError);
    }

    void refusesMalformedRequests_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("statusLine");
        QTest::newRow("not HTTP") << "GARBAGE\r\n\r\n"_ba << "HTTP/1.1 400 "_ba;
        QTest::newRow("binary") << QByteArray("\x00\xff\x01 \x02 \x03\r\n\r\n", 12) << "HTTP/1.1 400 "_ba;
        QTest::newRow("header without colon") << "GET / HTTP/1.1\r\nbroken\r\n\r\n"_ba << "HTTP/1.1 400 "_ba;
        QTest::newRow("bad length") << "GET / HTTP/1.1\r\nContent-Length: -3\r\n\r\n"_ba << "HTTP/1.1 400 "_ba;
        QTest::newRow("chunked") << "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n"_ba
                                 << "HTTP/1.1 501 "_ba;
        QTest::newRow("huge head") << "GET / HTTP/1.1\r\nX: "_ba + QByteArray(70 * 1024, 'a') << "HTTP/1.1 431 "_ba;
        QTest::newRow("huge body") << "POST / HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n"_ba << "HTTP/1.1 413 "_ba;
        QTest::newRow("bare LF lines") << "GET /nowhere HTTP/1.1\nHost: x\n\n"_ba << "HTTP/1.1 404 "_ba;
    }

    void refusesMalformedRequests()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, statusLine);
        const QByteArray received = exchangeRaw(m_service->port(), bytes);
        QVERIFY2(received.startsWith(statusLine), received.left(80).constData());
        // Still serving afterwards.
        m_service->setDefaultAnswer(UsageService::ClaudePath, answer(200, "ok"_ba));
        QCOMPARE(get(UsageService::ClaudePath).body, "ok"_ba);
    }

    void readsBodyAndServesManyConnectionsAtOnce()
    {
        m_service->setDefaultAnswer(UsageService::CodexPath, answer(200, "ok"_ba));
        QCOMPARE(exchangeRaw(m_service->port(), "POST /backend-api/wham/usage HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello"_ba)
                     .endsWith("\r\n\r\nok"_ba),
                 true);
        QCOMPARE(m_service->requests().last().body, "hello"_ba);

        std::vector<std::unique_ptr<QNetworkReply>> replies;
        for (int i = 0; i < 100; ++i)
            replies.emplace_back(m_network.get(QNetworkRequest(m_service->url(UsageService::CodexPath))));
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(replies.cbegin(), replies.cend(), [](const auto &r) { return r->isFinished(); }), 10000);
        for (const auto &reply : replies)
            QCOMPARE(reply->readAll(), "ok"_ba);
    }

    void scenarioDocuments_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<bool>("valid");
        QTest::newRow("default and queue")
            << R"({"/a": {"default": {"body": {"x": 1}}, "queue": [{"status": 503, "body": "down", "headers": {"Retry-After": "1"}}]}})"_ba
            << true;
        QTest::newRow("faults and pairs")
            << R"({"/a": {"queue": [{"fault": "drop"}, {"fault": "truncate", "delayMs": 5, "headers": [["A", "1"], ["A", "2"]]}]}})"_ba
            << true;
        QTest::newRow("not json") << "{"_ba << false;
        QTest::newRow("array") << "[]"_ba << false;
        QTest::newRow("path without slash") << R"({"a": {}})"_ba << false;
        QTest::newRow("unknown member") << R"({"/a": {"default": {"stauts": 200}}})"_ba << false;
        QTest::newRow("bad fault") << R"({"/a": {"default": {"fault": "explode"}}})"_ba << false;
        QTest::newRow("negative delay") << R"({"/a": {"default": {"delayMs": -1}}})"_ba << false;
        QTest::newRow("status as text") << R"({"/a": {"default": {"status": "200"}}})"_ba << false;
        QTest::newRow("queue not a list") << R"({"/a": {"queue": {}}})"_ba << false;
    }

    void scenarioDocuments()
    {
        QFETCH(QByteArray, document);
        QFETCH(bool, valid);
        QString error;
        QCOMPARE(ServiceScenario::apply(document, *m_service, &error), valid);
        QCOMPARE(error.isEmpty(), valid);
        if (!valid) {
            QCOMPARE(get(u"/a"_s).status, 404); // nothing half-applied
            return;
        }
        if (qstrcmp(QTest::currentDataTag(), "default and queue") == 0) {
            const Reply first = get(u"/a"_s);
            QCOMPARE(first.status, 503);
            QCOMPARE(first.body, "down"_ba);
            QCOMPARE(get(u"/a"_s).body, R"({"x":1})"_ba);
        }
    }

    void programServesScenarioRecordsAndStopsOnSignal()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile scenario(dir.filePath(u"scenario.json"_s));
        QVERIFY(scenario.open(QIODevice::WriteOnly));
        scenario.write(R"({"/api/oauth/usage": {"queue": [{"status": 401, "body": {"error": {"message": "expired"}}}]}})"_ba);
        scenario.close();
        const QString recordPath = dir.filePath(u"requests.jsonl"_s);

        QProcess program;
        program.start(QStringLiteral(QUOTIX_USAGE_SERVICE),
                      {u"--demo"_s, u"--scenario"_s, scenario.fileName(), u"--record"_s, recordPath});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), 10000);
        const QByteArray line = program.readLine().trimmed();
        QVERIFY2(line.startsWith("listening on "_ba), line.constData());
        const quint16 port = line.mid(13).toUShort();
        QVERIFY(port != 0);

        QNetworkRequest request(QUrl(u"http://127.0.0.1:%1/api/oauth/usage"_s.arg(port)));
        request.setRawHeader("Authorization"_ba, "Bearer t0k"_ba);
        for (int expected : {401, 200}) {
            std::unique_ptr<QNetworkReply> reply(m_network.get(request));
            QSignalSpy finished(reply.get(), &QNetworkReply::finished);
            QVERIFY(finished.wait(5000));
            QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), expected);
        }

        QFile record(recordPath);
        QVERIFY(record.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = record.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        const QJsonObject first = QJsonDocument::fromJson(lines.first()).object();
        QCOMPARE(first.value(u"path"_s).toString(), u"/api/oauth/usage"_s);
        QVERIFY(first.value(u"headers"_s).toArray().contains(QJsonArray{u"Authorization"_s, u"Bearer t0k"_s}));

        program.terminate();
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestUsageService)
#include "test_usageservice.moc"
