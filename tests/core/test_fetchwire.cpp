// The one-line form of a fetch result that crosses from the checking child
// to the tray: every field survives the trip, and anything else is refused
// with a reason.
#include "core/FetchResultWire.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FetchResult)

namespace {

// Every field spelled out, written apart from the encoder, so that a field
// the wire drops shows as a difference.
QString text(const std::optional<QString> &value)
{
    return value ? u'"' + *value + u'"' : u"-"_s;
}

QString when(const std::optional<QDateTime> &value)
{
    if (!value)
        return u"-"_s;
    return u"%1@%2"_s.arg(value->toMSecsSinceEpoch()).arg(value->offsetFromUtc());
}

QString money(const std::optional<Money> &value)
{
    return value ? u"%1e-%2 %3"_s.arg(value->amountMinor).arg(value->exponent).arg(value->currency) : u"-"_s;
}

QString describe(const FetchResult &result)
{
    if (const auto *usage = std::get_if<ProviderUsageResponse>(&result)) {
        QString out = u"usage"_s;
        for (const UsageLimit &l : usage->limits)
            out += u" [%1 %2 %3 %4 %5 %6]"_s.arg(
                text(l.name), QString::number(l.utilization, 'g', 17), when(l.resetTime), limitKindName(l.kind),
                l.windowSeconds ? QString::number(*l.windowSeconds) : u"-"_s, text(l.scope));
        if (const auto &c = usage->credits)
            out += u" credits(%1 %2 %3 %4 %5)"_s.arg(
                money(c->used), money(c->limit), c->utilization ? QString::number(*c->utilization, 'g', 17) : u"-"_s,
                text(c->balance), c->unlimited ? u"unlimited"_s : u"capped"_s);
        out += u" banked %1 budget %2 unlimited %3"_s.arg(usage->resetsBanked ? QString::number(*usage->resetsBanked)
                                                                              : u"-"_s,
                                                          text(usage->budgetReachedType), usage->unlimited.join(u'|'));
        return out;
    }
    if (const auto *error = std::get_if<ProviderError>(&result))
        return u"provider %1 %2 %3 %4 %5"_s.arg(int(error->kind()))
            .arg(text(error->text()), QString::number(error->statusCode()), text(error->detail()),
                 when(error->retryAfter()));
    if (const auto *error = std::get_if<TransportError>(&result))
        return u"transport %1 %2"_s.arg(int(error->code())).arg(text(error->description()));
    return u"other "_s + text(std::get<OtherError>(result).description);
}

QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QLatin1StringView(iso), Qt::ISODateWithMs);
}

} // namespace

class TestFetchWire : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyResultComesBackAsItWent_data()
    {
        QTest::addColumn<FetchResult>("result");
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        constexpr double inf = std::numeric_limits<double>::infinity();

        ProviderUsageResponse full;
        full.limits = {
            {u"Session (5h)"_s, 34.5, utc("2026-12-07T12:33:32.326Z"), LimitKind::Session, 18000, std::nullopt},
            {u"Fable \u00B7 \u65E5\u672C \"q\"\n"_s, 1e300, utc("2026-12-10T14:28:00.001+05:30"), LimitKind::Weekly,
             604800, u"Fable"_s},
            {u"Monthly"_s, 0.0, std::nullopt, LimitKind::Other, 2592000, u""_s},
            {u"odd"_s, nan, std::nullopt, LimitKind::Other, std::numeric_limits<qint64>::max(), std::nullopt},
            {u"odder"_s, -inf, std::nullopt, LimitKind::Other, std::nullopt, std::nullopt},
        };
        full.credits = UsageCredits{Money{std::numeric_limits<qint64>::max(), 0, u""_s}, Money{-4000, 2, u"EUR"_s}, inf,
                                    u"12.50"_s, true};
        full.resetsBanked = 0;
        full.budgetReachedType = u""_s;
        full.unlimited = {u"Premium requests"_s, u"Chat"_s};
        QTest::newRow("usage, every field") << FetchResult(full);
        QTest::newRow("usage, nothing") << FetchResult(ProviderUsageResponse{});
        ProviderUsageResponse creditsOnly;
        creditsOnly.credits = UsageCredits{};
        QTest::newRow("usage, empty credits") << FetchResult(creditsOnly);

        const QDateTime retry = utc("2026-12-07T10:02:00.000Z");
        QTest::newRow("not logged in, with hint")
            << FetchResult(ProviderError::notLoggedIn(u"Claude"_s).withDetail(u"Run claude once."_s));
        QTest::newRow("scope") << FetchResult(ProviderError::scopeError(u"Codex"_s));
        QTest::newRow("429 with Retry-After") << FetchResult(ProviderError::apiError(429).withRetryAfter(retry));
        QTest::newRow("429, local time") << FetchResult(ProviderError::apiError(429).withRetryAfter(
            QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999))));
        QTest::newRow("429, west of UTC")
            << FetchResult(ProviderError::apiError(429).withRetryAfter(utc("2026-01-01T00:00:00.000-03:30")));
        QTest::newRow("503") << FetchResult(ProviderError::apiError(503));
        QTest::newRow("decoding") << FetchResult(ProviderError::decodingError(u"limits[0] is not an object"_s));
        QTest::newRow("invalid response") << FetchResult(ProviderError::invalidResponse());
        for (int code = 0; code <= int(TransportError::Code::SecureConnectionFailed); ++code)
            QTest::addRow("transport %d", code)
                << FetchResult(TransportError(TransportError::Code(code), u"Operation timed out"_s));
        QTest::newRow("other, two lines") << FetchResult(OtherError{u"first\nsecond\r\u2028"_s});
    }

    void everyResultComesBackAsItWent()
    {
        QFETCH(FetchResult, result);
        const QByteArray line = FetchResultWire::encode(result);
        QVERIFY(line.endsWith('\n'));
        QCOMPARE(line.count('\n'), 1);
        QString error;
        const std::optional<FetchResult> back = FetchResultWire::decode(line, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(describe(*back), describe(result));
    }

    // A time no four-digit year can write still crosses, at the end of the years.
    void farTimesAreHeldAtTheEnds()
    {
        const QDateTime far = utc("9999-12-31T23:00:00.000-05:00").toUTC(); // as read from a service
        ProviderUsageResponse usage;
        for (const QDateTime &reset : {far, far.addYears(-10000)})
            usage.limits.append({u"a"_s, 1, reset, LimitKind::Session, std::nullopt, std::nullopt});
        QString error;
        const auto back = FetchResultWire::decode(FetchResultWire::encode(usage), &error);
        QVERIFY2(back, qPrintable(error));
        const auto &limits = std::get<ProviderUsageResponse>(*back).limits;
        QCOMPARE(limits.value(0).resetTime, utc("9999-12-31T23:59:59.999Z"));
        QCOMPARE(limits.value(1).resetTime, utc("0001-01-01T00:00:00.000Z"));
    }

    void whatIsNotAnAnswerIsRefused_data()
    {
        QTest::addColumn<QByteArray>("line");
        const QByteArray other = R"("result":"other","wire":1)";
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("cut short") << "{\"description\":\"x\",\"result\":\"oth"_ba;
        QTest::newRow("two lines") << "{" + other + R"(,"description":"a"})" + "\n{}\n";
        QTest::newRow("no version") << R"({"result":"other","description":"a"})"_ba;
        QTest::newRow("another version") << R"({"result":"other","description":"a","wire":2})"_ba;
        QTest::newRow("unknown result") << R"({"result":"maybe","wire":1})"_ba;
        QTest::newRow("a key missing") << "{" + other + "}";
        QTest::newRow("an error that says nothing") << "{" + other + R"(,"description":""})";
        QTest::newRow("a key too many") << "{" + other + R"(,"description":"a","token":"x"})";
        QTest::newRow("a status past int")
            << R"({"result":"provider","kind":"api","text":"","status":1e10,"detail":null,"retryAfter":null,"wire":1})"_ba;
        QTest::newRow("a field its kind lacks")
            << R"({"result":"provider","kind":"api","text":"Claude","status":500,"detail":null,"retryAfter":null,"wire":1})"_ba;
        const auto retryAfter = [](const char *time) {
            return QByteArray(R"({"result":"provider","kind":"api","text":"","status":429,"detail":null,"retryAfter":"%1","wire":1})")
                .replace("%1", time);
        };
        QTest::newRow("not a time") << retryAfter("soon");
        QTest::newRow("an empty time") << retryAfter("");
        QTest::newRow("a thirteenth month") << retryAfter("2026-13-07T10:02:00.000Z");
        QTest::newRow("an offset past 14 hours") << retryAfter("2026-12-07T10:02:00.000+15:00");
        QTest::newRow("more after the zone") << retryAfter("2026-12-07T10:02:00.000Z ");
        QTest::newRow("unknown transport code")
            << R"({"result":"transport","code":"lost","description":"","wire":1})"_ba;
        const QByteArray limit = R"({"name":"a","utilization":1,"reset":null,"kind":"%1","window":%2,"scope":null})"_ba;
        const auto usage = [&limit](const char *kind, const char *window) {
            return R"({"result":"usage","limits":[)" + QByteArray(limit).replace("%1", kind).replace("%2", window)
                + R"(],"credits":null,"resetsBanked":null,"budgetReached":null,"unlimited":[],"wire":1})";
        };
        QTest::newRow("unknown limit kind") << usage("daily", "null");
        QTest::newRow("a limit without a name")
            << QByteArray(usage("other", "null")).replace(R"("name":"a")", R"("name":"")");
        QTest::newRow("a fraction of a second") << usage("other", "1.5");
        QTest::newRow("oversized") << QByteArray(FetchResultWire::MaxLineBytes + 1, ' ');
    }

    void whatIsNotAnAnswerIsRefused()
    {
        QFETCH(QByteArray, line);
        QString error;
        QVERIFY(!FetchResultWire::decode(line, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFetchWire)
#include "test_fetchwire.moc"
