// The projection from recorded histories whose answers are known.
#include "core/UtcZone.h"
#include "presentation/PanelModel.h"
#include "presentation/RecentPace.h"
#include "presentation/StatusFormat.h"
#include "support/DataRows.h"
#include "support/ScriptedProvider.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Now(QDate(2026, 3, 4), QTime(12, 0), utcZone());
const QDateTime Reset = Now.addDays(3);

// Readings every ten minutes over the last `minutes`, climbing `perHour`
// percent an hour to `used` now; each one a sample of its own.
QList<HistorySample> climb(int minutes, double perHour, double used, const QDateTime &reset = Reset)
{
    QList<HistorySample> history;
    for (int ago = minutes; ago >= 0; ago -= 10) {
        const QDateTime at = Now.addSecs(-ago * 60);
        history.append({u"claude"_s, u"Weekly"_s, LimitKind::Other, {}, used - perHour * ago / 60.0, reset, at, at});
    }
    return history;
}

} // namespace

class TestRecentPace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void projectionsFromRecordedHistories_data()
    {
        // expected: empty when it does not run out before the reset
        addColumns<double, QList<HistorySample>, QString>("used", "history", "expected");

        // Three hours at 5 %/h: the last two count, 45 % left takes 9 hours.
        QTest::newRow("steady climb") << 55.0 << climb(180, 5, 55) << u"At the last 2 hours' rate: runs out in 9h 0m"_s;
        // Forty minutes at 30 %/h: 40 % left takes 1h 20m.
        QTest::newRow("a short burst") << 60.0 << climb(40, 30, 60) << u"At the last hour's rate: runs out in 1h 20m"_s;
        // Up to an hour and a half still reads as the last hour.
        QTest::newRow("ninety minutes") << 60.0 << climb(90, 20, 60) << u"At the last hour's rate: runs out in 2h 0m"_s;
        // Ten minutes is too little: four days of the week gone with 60 %
        // used, the average since the start gives 40 % more in 2d 16h.
        QTest::newRow("thin history falls back") << 60.0 << climb(10, 30, 60)
                                                 << u"At this pace: runs out in 2d 16h"_s;
        QTest::newRow("no history falls back") << 60.0 << QList<HistorySample>{} << u"At this pace: runs out in 2d 16h"_s;
        // Ahead of the week's pace, but nothing used lately: no run-out.
        QTest::newRow("flat lately") << 60.0 << climb(120, 0, 60) << QString();
        // A previous window's readings say nothing about this one.
        QTest::newRow("another window") << 60.0 << climb(120, 30, 60, Reset.addDays(-7))
                                        << u"At this pace: runs out in 2d 16h"_s;
        // 0.5 %/h with 40 % left takes 80 hours: past the reset three days out.
        QTest::newRow("after the reset") << 60.0 << climb(120, 0.5, 60) << QString();
        // A rise of one rounding step is no climb: ages away, not "now".
        QTest::newRow("a rounding step") << std::nextafter(60.0, 100.0) << climb(120, 0, 60) << QString();
        QTest::newRow("used up") << 100.0 << climb(120, 10, 100) << QString();
        // One sample held for five hours reads as flat, not as a climb.
        QTest::newRow("one long sample") << 60.0 << [] {
            QList<HistorySample> held = climb(0, 0, 60);
            held.first().time = Now.addSecs(-5 * 3600);
            return held;
        }() << QString();
    }
    void projectionsFromRecordedHistories()
    {
        const auto [used, history, expected]
            = fetchRow<double, QList<HistorySample>, QString>("used", "history", "expected");
        const UsageLimit limit{u"Weekly"_s, used, Reset, LimitKind::Weekly, 7 * 86400};
        const std::optional<PaceProjection> projection = recentProjection(limit, history, Now);
        QCOMPARE(projection ? paceProjectionText(*projection, Now) : QString(), expected);
    }

    // The panel's row, `quotix status` and its JSON say the same, and say which
    // rate they used; another provider's or limit's record is not taken for this one's.
    void theFacesProjectFromTheSameRecord_data()
    {
        addColumns<QList<HistorySample>, QString, QString>("history", "expected", "basis");
        QTest::newRow("recent") << climb(40, 30, 60) << u"At the last hour's rate: runs out in 1h 20m"_s
                                << u"lastHour"_s;
        QTest::newRow("flat lately") << climb(120, 0, 60) << QString() << QString();
        QList<HistorySample> others = climb(40, 30, 60);
        for (HistorySample &sample : others)
            sample.provider = u"codex"_s;
        others += climb(40, 30, 60);
        for (qsizetype i = others.size() / 2; i < others.size(); ++i)
            others[i].limit = u"Weekly (Opus)"_s;
        QTest::newRow("others' records") << others << u"At this pace: runs out in 2d 16h"_s << u"window"_s;
    }
    void theFacesProjectFromTheSameRecord()
    {
        const auto [history, expected, basis]
            = fetchRow<QList<HistorySample>, QString, QString>("history", "expected", "basis");
        const UsageLimit limit{u"Weekly"_s, 60, Reset, LimitKind::Weekly, 7 * 86400};
        ProviderState state;
        state.provider = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
        state.isAvailable = true;
        state.usage = ProviderUsageResponse{{limit}};
        QCOMPARE(sectionModel(state, Now, DisplayAs::Used, history).rows.first().projectionText.value_or(QString()),
                 expected);

        const StatusSnapshot snapshot{Now, NamedColor::Green, {ProviderStatus{u"claude"_s, u"Claude"_s, true, state}},
                                      history};
        const QStringList lines = statusText(snapshot, Now).split(u'\n');
        QCOMPARE(lines.value(2).trimmed(), expected);
        const QJsonObject projection = QJsonDocument::fromJson(statusJson(snapshot, Now))
                                           .object()[u"providers"_s][0][u"usage"_s][u"limits"_s][0][u"projection"_s]
                                           .toObject();
        QCOMPARE(projection[u"basis"_s].toString(), basis);
        QCOMPARE(projection[u"text"_s].toString(), expected);
    }
};

QTEST_GUILESS_MAIN(TestRecentPace)
#include "test_recentpace.moc"
