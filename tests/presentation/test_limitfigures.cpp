// The figures every face writes for one limit: what is left of it, its band
// colour, its reset as a countdown and as a clock time, and where its pace leads.
#include "presentation/BandPalette.h"
#include "presentation/Pace.h"
#include "presentation/TimeFormat.h"
#include "presentation/UsageFigures.h"
#include "presentation/UsageText.h"
#include "support/Contrast.h"
#include "support/DataRows.h"

#include <QTest>

#include <QtNumeric>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 Hour = 3600;
constexpr qint64 Week = 7 * 24 * Hour;
// Sunday 6 December 2026, 14:00 UTC.
const QDateTime Now = QDateTime::fromString(u"2026-12-06T14:00:00Z"_s, Qt::ISODate);

// A limit whose window has run for `elapsed` seconds of `length`.
UsageLimit limitAt(double used, qint64 length, qint64 elapsed)
{
    return UsageLimit{u"Weekly"_s, used, Now.addSecs(length - elapsed), LimitKind::Weekly, length};
}

double contrast(Rgb a, Rgb b)
{
    const auto packed = [](Rgb rgb) { return unsigned(rgb.red) << 16 | unsigned(rgb.green) << 8 | unsigned(rgb.blue); };
    return ::contrast(packed(a), packed(b));
}

} // namespace

class TestLimitFigures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whatIsLeftNeverOverstates_data()
    {
        addColumns<double, QString>("used", "text");
        for (const auto &[used, text] : {std::pair{76.0, "24% left"},
                                         {75.5, "24% left"},
                                         {99.99, "0% left"},
                                         {150.0, "0% left"},
                                         {-5.0, "100% left"},
                                         {qQNaN(), "--% left"},
                                         {qInf(), "--% left"},
                                         {-qInf(), "--% left"}})
            QTest::addRow("%g", used) << used << QString::fromLatin1(text);
    }
    void whatIsLeftNeverOverstates()
    {
        const auto [used, text] = fetchRow<double, QString>("used", "text");
        QCOMPARE(remainingText(used), text);
    }

    void timeRemaining_data()
    {
        addColumns<qint64, QString>("msAhead", "text");
        // Past, now, and either side of a minute, an hour and a day.
        for (const auto &[msAhead, text] : {std::pair{qint64(-5000), "now"},
                                            {0, "now"},
                                            {59'000, "in 0m"},
                                            {3'599'900, "in 59m"},
                                            {3'600'000, "in 1h 0m"},
                                            {89'999'000, "in 24h 59m"},
                                            {90'000'000, "in 1d 1h"}})
            QTest::addRow("%lld ms", qlonglong(msAhead)) << msAhead << QString::fromLatin1(text);
    }
    void timeRemaining()
    {
        const auto [msAhead, text] = fetchRow<qint64, QString>("msAhead", "text");
        QCOMPARE(formatTimeRemaining(Now.addMSecs(msAhead), Now), text);
    }

    // At least 3:1 (WCAG, graphics and large text) against the windows the
    // panel opens in, light and dark, as the default themes draw them. The
    // tray icon carries a plate of its own; its test measures that.
    void bandColoursStayReadableOnDefaultWindows()
    {
        const Rgb white{0xFF, 0xFF, 0xFF}, adwaita{0xFA, 0xFA, 0xFA}, breeze{0xEF, 0xF0, 0xF1};
        const Rgb breezeDark{0x31, 0x36, 0x3B}, adwaitaDark{0x24, 0x24, 0x24}, black{0x00, 0x00, 0x00};
        for (const auto &[backdrop, windows] : {std::pair{Backdrop::Light, QList<Rgb>{white, adwaita, breeze}},
                                                std::pair{Backdrop::Dark, QList<Rgb>{breezeDark, adwaitaDark, black}}}) {
            for (NamedColor colour : {NamedColor::Green, NamedColor::Yellow, NamedColor::Orange, NamedColor::Red}) {
                for (Rgb window : windows) {
                    const double ratio = contrast(bandRgb(colour, backdrop), window);
                    QVERIFY2(ratio >= 3.0,
                             qPrintable(QString::asprintf("colour %d (backdrop %d) on #%02x%02x%02x: %.2f", int(colour),
                                                          int(backdrop), window.red, window.green, window.blue, ratio)));
                }
            }
        }
        // Three bands on one backdrop must not collapse into one colour.
        for (Backdrop backdrop : {Backdrop::Light, Backdrop::Dark}) {
            const auto rgb = [backdrop](Band band) { return bandRgb(bandColor(band), backdrop); };
            QVERIFY(rgb(Band::Low) != rgb(Band::Elevated) && rgb(Band::Elevated) != rgb(Band::Critical)
                    && rgb(Band::Low) != rgb(Band::Critical));
        }
        QCOMPARE(backdropBehindText(white), Backdrop::Dark);
        QCOMPARE(backdropBehindText(Rgb{0x23, 0x26, 0x29}), Backdrop::Light);
    }

    // An alert names the limit that crossed and when it resets.
    void alertNamesTheLimitAndItsReset()
    {
        const QTimeZone utc = QTimeZone::utc();
        const QLocale gb(u"en_GB"_s);
        UsageLimit weekly{u"Weekly (7d)"_s, 85, QDateTime::fromString(u"2026-12-10T06:57:00Z"_s, Qt::ISODate)};
        QCOMPARE(alertLimitLine(weekly, Now, utc, gb), u"Weekly (7d) \u00B7 resets Thu 06:57"_s);
        weekly.resetTime = Now.addSecs(Hour);
        QCOMPARE(alertLimitLine(weekly, Now, utc, gb), u"Weekly (7d) \u00B7 resets at 15:00"_s);
        weekly.resetTime.reset();
        QCOMPARE(alertLimitLine(weekly, Now, utc, gb), u"Weekly (7d)"_s);
    }

    // The calendar day is the zone's, the words and the order the locale's.
    void resetAsClockTime_data()
    {
        addColumns<QString, int, QString, QString>("reset", "offsetHours", "locale", "shown");
        const auto row
            = [](const char *name, const char *reset, int offsetHours, const char *locale, const char *shown) {
                  QTest::newRow(name) << QString::fromLatin1(reset) << offsetHours << QString::fromLatin1(locale)
                                      << QString::fromLatin1(shown);
              };
        row("today, already past", "2026-12-06T09:15:00Z", 0, "en_GB", "at 09:15");
        row("no seconds", "2026-12-06T18:59:59Z", 0, "C", "at 18:59");
        row("six days on", "2026-12-12T23:55:00Z", 0, "en_GB", "Sat 23:55");
        row("a week on: the date", "2026-12-13T09:00:00Z", 0, "en_GB", "13 Dec, 09:00");
        row("US order", "2027-07-15T09:00:00Z", 0, "en_US", "Jul 15, 9:00 AM");
        // 22:30 UTC is already Monday two hours east, while it is still Sunday there at 16:00.
        row("east of UTC", "2026-12-06T22:30:00Z", 2, "en_GB", "Mon 00:30");
        row("west of UTC", "2026-12-06T01:00:00Z", -2, "en_GB", "5 Dec, 23:00");
    }
    void resetAsClockTime()
    {
        const auto [reset, offsetHours, locale, shown]
            = fetchRow<QString, int, QString, QString>("reset", "offsetHours", "locale", "shown");
        // Newer locale data puts a narrow no-break space before "AM".
        QCOMPARE(resetClockText(QDateTime::fromString(reset, Qt::ISODate), Now, QTimeZone(offsetHours * 3600),
                                QLocale(locale))
                     .replace(QChar(0x202F), u' '),
                 shown);
    }

    // An unknown TZ gives no zone: the clock time is UTC's, and says so.
    void anUnknownZoneShowsUtc()
    {
        const QDateTime reset = QDateTime::fromString(u"2026-12-06T14:30:00Z"_s, Qt::ISODate);
        QCOMPARE(resetClockText(reset, Now, QTimeZone("Nowhere/Invalid"), QLocale(u"en_GB"_s)), u"at 14:30 UTC"_s);
    }

    void elapsedShareIsClampedToTheWindow()
    {
        // The last two: the reset is past, or further off than the window is long.
        const QList<std::pair<qint64, double>> cases{
            {0, 0.0}, {Week / 4, 0.25}, {Week, 1.0}, {Week + Hour, 1.0}, {-Hour, 0.0}};
        for (const auto &[elapsed, share] : cases)
            QCOMPARE(elapsedFraction(limitAt(10, Week, elapsed), Now), share);

        UsageLimit noLength = limitAt(90, Week, Week / 2), noReset = noLength, zeroLength = noLength;
        noLength.windowSeconds.reset();
        noReset.resetTime.reset();
        zeroLength.windowSeconds = 0;
        for (const UsageLimit &limit : {noLength, noReset, zeroLength}) {
            QVERIFY(!elapsedFraction(limit, Now));
            QVERIFY(!projectedExhaustion(limit, Now));
        }
    }

    // Only ahead of pace, and only once a window has enough history (its
    // first 5 % or ten minutes, whichever is longer) to give a rate.
    void projectsOnlyWhenAheadOfPace()
    {
        for (const auto &[used, length, elapsed, runsOut] : {
                 std::tuple{76.0, Week, 3 * 24 * Hour + 19 * Hour + 48 * 60, "in 1d 4h"},
                 {50.0, Week, Week / 2, ""}, // exactly on pace
                 {50.5, Week, Week / 2, "in 3d 10h"},
                 {60.0, 5 * Hour, 15 * 60 - 1, ""}, // 5 % of five hours is 15 minutes
                 {60.0, 5 * Hour, 15 * 60, "in 10m"},
                 {60.0, Hour, 10 * 60 - 1, ""}, // 5 % of an hour is less than ten minutes
                 {60.0, Hour, 10 * 60, "in 6m"},
                 {0.0, Week, Week / 2, ""},
                 {100.0, Week, Week / 2, ""}, // already used up
                 {qQNaN(), Week, Week / 2, ""},
                 {99.0, Week, Week, ""}, // an ended window's rate says nothing about the next one
                 {99.9, Week, Week - Hour, "in 10m"},
             }) {
            const auto exhaustion = projectedExhaustion(limitAt(used, length, elapsed), Now);
            const QString text = exhaustion ? projectionText(*exhaustion, Now) : QString();
            QVERIFY2(text == (*runsOut ? u"At this pace: runs out "_s + QLatin1StringView(runsOut) : QString()),
                     qPrintable(u"%1 % after %2 s of %3: \"%4\""_s.arg(used).arg(elapsed).arg(length).arg(text)));
        }
    }
};

QTEST_GUILESS_MAIN(TestLimitFigures)
#include "test_limitfigures.moc"
