// Status-bar lines: the template's fields are found by the limit's kind, and
// whatever is unknown reads as "--" rather than breaking the bar.
#include "presentation/StatusBarFormat.h"
#include "support/TitleFixtures.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

ProviderStatus statusOf(const std::shared_ptr<UsageProvider> &provider, bool available, QList<UsageLimit> limits)
{
    ProviderStatus status{provider->id(), provider->name(), available,
                          stateWith(provider, ProviderUsageResponse{limits})};
    return status;
}

// Claude with its weekly window listed before the session; Codex unavailable.
StatusSnapshot snapshot()
{
    return {std::nullopt,
            NamedColor::Yellow,
            {statusOf(claude, true,
                      {UsageLimit{u"Opus"_s, 5, std::nullopt, LimitKind::Other, std::nullopt},
                       UsageLimit{u"Week"_s, 72.5, std::nullopt, LimitKind::Weekly, std::nullopt},
                       UsageLimit{u"Now"_s, 30, std::nullopt, LimitKind::Session, std::nullopt}}),
             statusOf(codex, false, {UsageLimit{u"Weekly"_s, 99, std::nullopt, LimitKind::Weekly, std::nullopt}})}};
}

QString render(const QString &text, DisplayAs as = DisplayAs::Used)
{
    QString error;
    const auto parsed = StatusTemplate::parse(text, &error);
    return parsed ? parsed->render(snapshot(), as) : u"error: "_s + error;
}

} // namespace

class TestStatusBarFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void templateFillsFieldsByKind()
    {
        QCOMPARE(render(u"C {claude.session}/{claude.weekly} X {codex.weekly} max {max} {status}"_s),
                 u"C 30%/72% X -- max 72% yellow\n"_s);
        QCOMPARE(render(u"{claude.weekly}"_s, DisplayAs::Remaining), u"27% left\n"_s);
        QCOMPARE(render(u"{{{max}}} }}{{"_s), u"{72%} }{\n"_s);
        QCOMPARE(render(QString()), u"\n"_s);
        QCOMPARE(render(u"a\nb"_s), u"a b\n"_s); // one line per refresh
    }

    void badTemplatesNameTheirFault()
    {
        QVERIFY(render(u"{claude.monthly}"_s).startsWith(u"error: unknown field \"{claude.monthly}\""_s));
        QVERIFY(render(u"{}"_s).startsWith(u"error: unknown field \"{}\""_s));
        QVERIFY(render(u"{MAX}"_s).startsWith(u"error: unknown field"_s)); // names are exact
        QVERIFY(render(u"{max"_s).startsWith(u"error: unclosed"_s));
        QVERIFY(render(u"max}"_s).startsWith(u"error: a \"}\" without"_s));
    }

    void waybarWithoutFiguresSaysSo()
    {
        StatusSnapshot nothing = snapshot();
        nothing.providers[0].state.usage.reset();
        nothing.providers[0].state.error = u"Offline"_s;
        const QJsonObject line
            = QJsonDocument::fromJson(waybarLine(nothing, DisplayMode::Weekly, DisplayAs::Used)).object();
        QVERIFY(!line[u"text"_s].toString().contains(u'%'));
        QCOMPARE(line[u"tooltip"_s].toString(), u"Claude: Offline"_s);
        QCOMPARE(line[u"class"_s].toString(), u"error"_s);
        QCOMPARE(line[u"percentage"_s].toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStatusBarFormat)
#include "test_statusbarformat.moc"
