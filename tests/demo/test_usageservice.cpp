#include "demo/DemoData.h"
#include "fetch/DemoSetup.h"
#include "providers/ClaudeUsage.h"
#include "support/Files.h"
#include "usage-service/ScriptedService.h"
#include "usage-service/ServiceScenario.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Reply
{
    int status = 0;
    QByteArray body;
};

// Sends bytes on a raw connection and collects everything until the service
// closes it; the event loop keeps running so the service can answer.
QByteArray exchangeRaw(quint16 port, const QByteArray &bytes)
{
    QTcpSocket socket;
    QByteArray received;
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [&] { received += socket.readAll(); });
    QSignalSpy closed(&socket, &QTcpSocket::disconnected);
    socket.connectToHost(u"127.0.0.1"_s, port);
    socket.write(bytes); // sent once connected
    if (!closed.wait(5000))
        return "still open"_ba;
    return received + socket.readAll();
}

} // namespace

class TestUsageService : public QObject
{
    Q_OBJECT

private:
    QNetworkAccessManager m_network;
    std::unique_ptr<ScriptedService> m_service;

    Reply get(const QNetworkRequest &request)
    {
        std::unique_ptr<QNetworkReply> reply(m_network.get(request));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        finished.wait(5000); // if it never ends: status 0
        return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
    }

    Reply get(const QString &path) { return get(QNetworkRequest(m_service->url(path))); }

private Q_SLOTS:
    void init()
    {
        m_service = std::make_unique<ScriptedService>();
        QVERIFY(m_service->listen());
    }

    // The demo's Claude weekly figure crosses 80 once, on the second answer,
    // so the demo shows an alert: read as the app reads it, whichever form of
    // the answer the decoder prefers.
    void theDemoCrossesAThresholdOnce()
    {
        DemoData::serveDemoDocuments(*m_service);
        QList<double> weekly;
        for (int i = 0; i < 3; ++i) {
            const Reply reply = get(QString(UsageService::ClaudePath));
            QCOMPARE(reply.status, 200);
            weekly.append(parseClaudeUsage(QJsonDocument::fromJson(reply.body).object()).maxUtilization());
        }
        QCOMPARE(weekly, (QList<double>{DemoData::FirstWeeklyUsed, DemoData::LaterWeeklyUsed,
                                        DemoData::LaterWeeklyUsed}));
        QVERIFY(DemoData::FirstWeeklyUsed < 80 && DemoData::LaterWeeklyUsed >= 80);
    }

    void refusesMalformedRequestsAndKeepsServing()
    {
        const QList<std::pair<QByteArray, QByteArray>> cases{
            {"GARBAGE\r\n\r\n"_ba, "400"_ba},
            {QByteArray("\x00\xff\x01 \x02 \x03\r\n\r\n", 12), "400"_ba},
            {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n"_ba, "501"_ba},
            {"GET / HTTP/1.1\r\nX: "_ba + QByteArray(70 * 1024, 'a'), "431"_ba},
            {"POST / HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n"_ba, "413"_ba},
        };
        for (const auto &[bytes, status] : cases) {
            const QByteArray received = exchangeRaw(m_service->port(), bytes);
            QVERIFY2(received.startsWith("HTTP/1.1 "_ba + status + ' '), received.left(80).constData());
        }
        m_service->setDefaultAnswer(UsageService::ClaudePath, ServiceAnswer{200, "ok"_ba});
        QCOMPARE(get(UsageService::ClaudePath).body, "ok"_ba);
    }

    void badScenarioDocumentsChangeNothing()
    {
        m_service->setDefaultAnswer(u"/c"_s, ServiceAnswer{200, "kept"_ba});
        const QList<QByteArray> bad{"{"_ba,
                                    R"({"a": {}})"_ba,
                                    R"({"/c": {"default": {"stauts": 200}}})"_ba,
                                    R"({"/c": {"queue": [{"fault": "explode"}]}})"_ba,
                                    R"({"/c": {"default": {"status": "200"}}})"_ba,
                                    R"({"/c": {"queue": [{"fault": "trickle", "trickleMs": 0}]}})"_ba};
        for (const QByteArray &document : bad) {
            QString error;
            QVERIFY2(!ServiceScenario::apply(document, *m_service, &error) && !error.isEmpty(), document.constData());
            QCOMPARE(get(u"/c"_s).body, "kept"_ba);
        }
    }

    void connectionsBeyondTheCapAreClosedAtOnce()
    {
        // Connections that never send a request hold their places.
        std::vector<std::unique_ptr<QTcpSocket>> held;
        for (int i = 0; i < UsageService::MaxConnections; ++i) {
            held.push_back(std::make_unique<QTcpSocket>());
            held.back()->connectToHost(u"127.0.0.1"_s, m_service->port());
            QVERIFY(held.back()->waitForConnected(5000));
        }
        QTcpSocket extra;
        QSignalSpy closed(&extra, &QTcpSocket::disconnected);
        extra.connectToHost(u"127.0.0.1"_s, m_service->port());
        QVERIFY(closed.wait(2000));

        // A place that frees up serves again.
        held.front()->abort();
        held.erase(held.begin());
        QTRY_COMPARE(get(UsageService::ClaudePath).status, 404);

        // Idle ones lose their places soon: a full set of them blocks nobody for long.
        held.push_back(std::make_unique<QTcpSocket>());
        held.back()->connectToHost(u"127.0.0.1"_s, m_service->port());
        QVERIFY(held.back()->waitForConnected(5000));
        QElapsedTimer idle;
        idle.start();
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(held.cbegin(), held.cend(),
                        [](const auto &socket) { return socket->state() == QAbstractSocket::UnconnectedState; }),
            10000);
        QVERIFY2(idle.elapsed() < 4000, QByteArray::number(idle.elapsed()).constData());
        QCOMPARE(get(UsageService::ClaudePath).status, 404);
    }

    void programServesItsScenarioAndRecordsNoToken()
    {
        QTemporaryDir dir;
        const QString scenario = dir.filePath(u"scenario.json"_s);
        QVERIFY(writeFile(scenario, R"({"/api/oauth/usage": {"queue": [{"status": 401, "body": {"e": [1]}}]}})"));
        const QString recordPath = dir.filePath(u"requests.jsonl"_s);

        QProcess program;
        program.start(QStringLiteral(QUOTIX_USAGE_SERVICE),
                                     {u"--demo"_s, u"--scenario"_s, scenario, u"--record"_s, recordPath});
        QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), 10000);
        const QByteArray line = program.readLine().trimmed();
        QVERIFY2(line.startsWith("listening on "_ba), line.constData());
        QNetworkRequest withToken(QUrl(u"http://127.0.0.1:%1/api/oauth/usage"_s.arg(line.mid(13).toUShort())));
        const QByteArray token(40, 's');
        withToken.setRawHeader("Authorization", "Bearer " + token);
        QCOMPARE(get(withToken).status, 401); // the scenario first, then the demo documents
        QCOMPARE(get(QNetworkRequest(withToken.url())).status, 200);

        // The token never reaches the file, and the file is the user's alone.
        QCOMPARE(QFile::permissions(recordPath),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
        const QByteArray recorded = readFile(recordPath);
        QVERIFY(!recorded.contains(token.left(8)));
        // The name as the client sent it: Qt 6.8 sends it in lower case.
        QVERIFY(QString::fromUtf8(recorded).contains(u"[\"Authorization\",\"Bearer <redacted 40 chars>\"]"_s,
                                                     Qt::CaseInsensitive));
        QCOMPARE(recorded.count('\n'), 2);

        program.terminate();
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    }

    // A link where the record goes is refused, and its target left as it was.
    void programRefusesToRecordThroughALink()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(u"target"_s), link = dir.filePath(u"requests.jsonl"_s);
        QVERIFY(writeFile(target, "keep\n"));
        const auto readable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
            | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(target, readable));
        QVERIFY(QFile::link(target, link));

        QProcess program;
        program.start(QStringLiteral(QUOTIX_USAGE_SERVICE), {u"--demo"_s, u"--record"_s, link});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 2);
        QCOMPARE(program.readAllStandardError(),
                 "quotix-usage-service: cannot write "_ba + link.toUtf8() + ": it is a symbolic link\n"_ba);
        QCOMPARE(QFile(target).permissions(), readable);
        QCOMPARE(readFile(target), "keep\n"_ba);
    }
};

QTEST_GUILESS_MAIN(TestUsageService)
#include "test_usageservice.moc"