#include "core/FetchJob.h"
#include "core/UsageProvider.h"
#include "fetch/DemoSetup.h"
#include "fetch/UsageService.h"
#include "support/DataRows.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestProviderSetup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        qunsetenv("QUOTIX_CLAUDE_USAGE_URL");
        qunsetenv("QUOTIX_CODEX_USAGE_URL");
    }

    void overrideIsHttpsOrLoopbackHttpOnly_data()
    {
        addColumns<QString, bool>("value", "accepted");
        QTest::newRow("https anywhere") << u"https://example.com:8443/u?x=1"_s << true;
        QTest::newRow("http 127.255.0.9") << u"http://127.255.0.9/x"_s << true;
        QTest::newRow("http LOCALHOST") << u"http://LOCALHOST:9/x"_s << true;
        QTest::newRow("http ::1") << u"http://[::1]:9/x"_s << true;
        QTest::newRow("http elsewhere") << u"http://192.168.1.2/x"_s << false;
        QTest::newRow("userinfo trick") << u"http://127.0.0.1:80@evil.com/x"_s << false;
        QTest::newRow("userinfo on https") << u"https://user:pw@example.com/x"_s << false;
        QTest::newRow("localhost lookalike") << u"http://localhost.evil.com/x"_s << false;
        QTest::newRow("no host") << u"https:///x"_s << false;
        QTest::newRow("not a URL") << u"yes please"_s << false;
        QTest::newRow("empty: the default") << QString() << false;
    }

    void overrideIsHttpsOrLoopbackHttpOnly()
    {
        const auto [value, accepted] = fetchRow<QString, bool>("value", "accepted");
        qputenv("QUOTIX_CODEX_USAGE_URL", value.toUtf8());
        QString error;
        const std::optional<QUrl> url = endpointOverride("QUOTIX_CODEX_USAGE_URL", &error);
        QCOMPARE(url ? url->toString() : QString(), accepted ? QUrl(value).toString() : QString());
        QCOMPARE(error.isEmpty(), accepted || value.isEmpty()); // the exact message: test_cli
        // A bad value is a configuration fault even for the demo, which does not use it.
        QCOMPARE(makeProviderSetup(true, &error).has_value(), accepted || value.isEmpty());
    }

    void demoLeavesTheUsersCredentialsAlone()
    {
        // The user's own credentials are at hand; the demo must not send them.
        qputenv("CLAUDE_CONFIG_DIR", QUOTIX_TEST_DATA "/status/home");
        qputenv("CODEX_HOME", QUOTIX_TEST_DATA "/status/home");
        qunsetenv("GEMINI_CLOUD_PROJECT");
        qunsetenv("GOOGLE_CLOUD_PROJECT");
        QString error;
        std::optional<ProviderSetup> setup = makeProviderSetup(true, &error);
        auto *service = setup ? qobject_cast<UsageService *>(setup->demoService.get()) : nullptr;
        QVERIFY2(service, qPrintable(error));
        QList<RecordedRequest> requests;
        connect(service, &UsageService::requestReceived, this,
                [&requests](const RecordedRequest &r) { requests.append(r); });
        for (const auto &provider : std::as_const(setup->providers)) {
            std::optional<FetchResult> result;
            connect(provider->fetchUsage(this), &FetchJob::finished, this, [&](const FetchResult &r) { result = r; });
            QTRY_VERIFY_WITH_TIMEOUT(result, 10000);
            const auto *usage = std::get_if<ProviderUsageResponse>(&*result);
            QVERIFY2(usage && !usage->limits.isEmpty(), qPrintable(provider->id()));
            for (const UsageLimit &limit : usage->limits) // made afresh, so never in the past
                QVERIFY(limit.resetTime && *limit.resetTime > QDateTime::currentDateTimeUtc());
        }

        QCOMPARE(setup->providers.size(), 4);
        QCOMPARE(requests.size(), 5); // Gemini asks for its project first
        for (const RecordedRequest &request : std::as_const(requests))
            QVERIFY2(request.header("Authorization"_ba).startsWith("Bearer quotix-demo-"_ba),
                     request.header("Authorization"_ba).constData());
    }
};

QTEST_GUILESS_MAIN(TestProviderSetup)
#include "test_providersetup.moc"