#include "presentation/Pace.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 Hour = 3600;
constexpr qint64 Week = 7 * 24 * Hour;

const QDateTime Now = QDateTime::fromString(u"2026-12-06T12:00:00.000Z"_s, Qt::ISODateWithMs);

// A limit whose window has run for `elapsed` seconds of `length`.
UsageLimit limitAt(double used, qint64 length, qint64 elapsed)
{
    UsageLimit limit;
    limit.name = u"Weekly"_s;
    limit.utilization = used;
    limit.kind = LimitKind::Weekly;
    limit.windowSeconds = length;
    limit.resetTime = Now.addSecs(length - elapsed);
    return limit;
}

} // namespace

class TestPace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void elapsedShareIsClampedToTheWindow()
    {
        QCOMPARE(elapsedFraction(limitAt(10, Week, 0), Now), 0.0); // just started
        QCOMPARE(elapsedFraction(limitAt(10, Week, Week / 4), Now), 0.25);
        QCOMPARE(elapsedFraction(limitAt(10, Week, Week), Now), 1.0);        // ends now
        QCOMPARE(elapsedFraction(limitAt(10, Week, Week + Hour), Now), 1.0); // reset in the past
        QCOMPARE(elapsedFraction(limitAt(10, Week, -Hour), Now), 0.0);       // reset beyond the length
    }

    void unknownWindowHasNoPace()
    {
        UsageLimit noLength = limitAt(90, Week, Week / 2);
        noLength.windowSeconds.reset();
        UsageLimit noReset = limitAt(90, Week, Week / 2);
        noReset.resetTime.reset();
        UsageLimit zeroLength = limitAt(90, Week, Week / 2);
        zeroLength.windowSeconds = 0;
        for (const UsageLimit &limit : {noLength, noReset, zeroLength}) {
            QVERIFY(!elapsedFraction(limit, Now));
            QVERIFY(!projectedExhaustion(limit, Now));
        }
    }

    void projectsAtTheAverageRateWhenAheadOfPace()
    {
        // 76 % used after 3d 19h 48m of a week: 100 % comes 28h 59m 2s later,
        // well before the reset 3d 4h 12m away.
        const qint64 elapsed = 3 * 24 * Hour + 19 * Hour + 48 * 60;
        const UsageLimit ahead = limitAt(76, Week, elapsed);
        const auto exhaustion = projectedExhaustion(ahead, Now);
        QVERIFY(exhaustion);
        QCOMPARE(Now.secsTo(*exhaustion), (100 - 76) * elapsed / 76);
        QCOMPARE(projectionText(*exhaustion, Now), u"At this pace: runs out in 1d 4h"_s);

        // Half used at half time is exactly on pace; behind it nothing is projected.
        QVERIFY(!projectedExhaustion(limitAt(50, Week, Week / 2), Now));
        QVERIFY(!projectedExhaustion(limitAt(30, Week, Week / 2), Now));
        QVERIFY(projectedExhaustion(limitAt(50.5, Week, Week / 2), Now));
    }

    void noProjectionWithoutEnoughHistory()
    {
        // A week: 5 % is 8.4 hours, longer than ten minutes.
        QVERIFY(!projectedExhaustion(limitAt(60, Week, Week / 20 - 1), Now));
        QVERIFY(projectedExhaustion(limitAt(60, Week, Week / 20), Now));
        // Five hours: 5 % is 15 minutes. One hour: 5 % is 3 minutes, so ten minutes hold.
        QVERIFY(!projectedExhaustion(limitAt(60, 5 * Hour, 15 * 60 - 1), Now));
        QVERIFY(projectedExhaustion(limitAt(60, 5 * Hour, 15 * 60), Now));
        QVERIFY(!projectedExhaustion(limitAt(60, Hour, 10 * 60 - 1), Now));
        QVERIFY(projectedExhaustion(limitAt(60, Hour, 10 * 60), Now));
    }

    void noProjectionAtTheEdgesOfUse()
    {
        const qint64 half = Week / 2;
        QVERIFY(!projectedExhaustion(limitAt(0, Week, half), Now));
        QVERIFY(!projectedExhaustion(limitAt(100, Week, half), Now)); // already used up
        QVERIFY(!projectedExhaustion(limitAt(140, Week, half), Now));
        QVERIFY(!projectedExhaustion(limitAt(-5, Week, half), Now));
        QVERIFY(!projectedExhaustion(limitAt(qQNaN(), Week, half), Now));
        QVERIFY(!projectedExhaustion(limitAt(qInf(), Week, half), Now));
        // The window is over: its rate says nothing about the next one.
        QVERIFY(!projectedExhaustion(limitAt(99, Week, Week), Now));
        QVERIFY(!projectedExhaustion(limitAt(99, Week, Week + Hour), Now));
        // Nearly used up just before the end still runs out before the reset.
        QVERIFY(projectedExhaustion(limitAt(99.9, Week, Week - Hour), Now));
    }
};

QTEST_GUILESS_MAIN(TestPace)
#include "test_pace.moc"
