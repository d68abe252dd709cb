// Extra accounts: their ids and settings, the providers that read only their
// own folder, and a coordinator whose list of providers changes under it.
#include "core/Accounts.h"
#include "core/UsageManager.h"
#include "providers/AccountProvider.h"
#include "providers/AccountSetup.h"
#include "providers/ProcessProvider.h"
#include "support/Files.h"
#include "support/ManagerFixture.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestAccounts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void idsReadAsKeysAndStayUnique()
    {
        const QList<ExtraAccount> accounts{{u"claude"_s, u"/a"_s, u"work"_s},
                                           {u"claude"_s, u"/b"_s, u"Work!"_s},
                                           {u"codex"_s, u"/c"_s, u"Team B · Ünï"_s},
                                           {u"codex"_s, u"/d"_s, u"··"_s}};
        QCOMPARE(accountIds(accounts),
                 (QStringList{u"claude-work"_s, u"claude-work_2"_s, u"codex-team_b_n"_s, u"codex-account"_s}));
    }

    // What the panel writes reads back; entries a hand left half-written are skipped.
    void settingsRoundTripAndSkipWhatIsIncomplete()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(u"q.conf"_s), QSettings::IniFormat);
        const QList<ExtraAccount> written{{u"claude"_s, dir.filePath(u"work"_s), u"work"_s},
                                          {u"codex"_s, dir.filePath(u"team"_s), u"team"_s}};
        writeAccounts(settings, written);
        QCOMPARE(accountsFromSettings(settings), written);

        // By hand: the first without a folder, the second without a label (the
        // folder's name then); "~" and a relative folder are the home folder's,
        // as in a shell, wherever Quotix started.
        QVERIFY(writeFile(dir.filePath(u"hand.conf"_s),
                          "[accounts]\n1\\provider=claude\n2\\provider=codex\n2\\folder="
                              + dir.filePath(u"x/../home-b/"_s).toUtf8()
                              + "\n3\\provider=claude\n3\\folder=~/claude-work\n"
                                "4\\provider=claude\n4\\folder=codex-team\nsize=4\n"));
        QSettings byHand(dir.filePath(u"hand.conf"_s), QSettings::IniFormat);
        QCOMPARE(accountsFromSettings(byHand),
                 (QList<ExtraAccount>{{u"codex"_s, dir.filePath(u"home-b"_s), u"home-b"_s},
                                      {u"claude"_s, QDir::home().filePath(u"claude-work"_s), u"claude-work"_s},
                                      {u"claude"_s, QDir::home().filePath(u"codex-team"_s), u"codex-team"_s}}));
    }

    // Each account reads its own folder, never the default login; it sits
    // after its provider, under its own name.
    void accountsReadTheirFolderAndFollowTheirProvider()
    {
        QTemporaryDir home;
        const QString work = home.filePath(u"claude-work"_s);
        const QString team = home.filePath(u"codex-team"_s);
        const QList<ExtraAccount> accounts{{u"claude"_s, work, u"work"_s},
                                           {u"codex"_s, team, u"team"_s},
                                           {u"gopher"_s, home.path(), u"x"_s}};
        QString error;
        const std::optional<ProviderSetup> setup = makeProcessProviderSetup(false, FetchProgram{}, &error);
        QVERIFY2(setup, qPrintable(error));
        const ProviderList made = setup->accounts(accounts);
        QCOMPARE(made.size(), 2); // a provider without accounts is left out
        QCOMPARE(made.at(0)->id(), u"claude-work"_s);
        QCOMPARE(made.at(0)->name(), u"Claude \u00B7 work"_s);
        QCOMPARE(made.at(1)->alertName(), u"Codex (team)"_s);
        QVERIFY(!made.at(0)->isAvailable() && !made.at(1)->isAvailable());

        QVERIFY(writeFile(work + u"/.credentials.json"_s, R"({"claudeAiOauth":{"accessToken":"w"}})"));
        QVERIFY(writeFile(team + u"/auth.json"_s, R"({"tokens": {"access_token": "t"}})"));
        QVERIFY(made.at(0)->isAvailable() && made.at(1)->isAvailable());
        QCOMPARE(accountCredentialFiles(accounts),
                 (QStringList{work + u"/.credentials.json"_s, team + u"/auth.json"_s}));

        const auto claude = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
        const auto codex = std::make_shared<ScriptedProvider>(u"codex"_s, u"Codex"_s);
        const auto stray = std::make_shared<ScriptedProvider>(u"other-x"_s, u"Other"_s);
        QStringList order;
        for (const auto &provider : withAccounts({claude, codex}, {made.at(1), stray, made.at(0)}))
            order.append(provider->id());
        QCOMPARE(order, (QStringList{u"claude"_s, u"claude-work"_s, u"codex"_s, u"codex-team"_s, u"other-x"_s}));
    }

    // A provider that stays keeps its figures; one that goes takes its
    // alerts' memory along; the account alerts under its own title.
    void theListChangesUnderTheCoordinator()
    {
        ManagerFixture f(false);
        f.first->fallback = {usageOf({{"Weekly (7d)", 85}})};
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.notifications.sent.size(), 1);

        const auto inner = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
        inner->fallback = {usageOf({{"Weekly (7d)", 91}})};
        const auto work = std::make_shared<AccountProvider>(inner, u"claude-work"_s, u"work"_s);
        f.manager.setProviders({f.first, work});
        QVERIFY(f.state(u"claude"_s).usage.has_value());
        QVERIFY(!f.state(u"claude-work"_s).usage.has_value());

        f.notifications.sent.clear();
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.state(u"claude-work"_s).usage->maxUtilization(), 91.0);
        QCOMPARE(f.notifications.sent.size(), 2); // the account's 80 and 90; Claude's were said before
        QCOMPARE(f.notifications.sent.first().first, u"Claude (work) Usage Alert"_s);

        // Gone and back (a new object under the same id): it starts afresh and alerts again.
        f.manager.setProviders({f.first});
        QCOMPARE(f.manager.providerStates().size(), 1);
        f.manager.setProviders({f.first, std::make_shared<AccountProvider>(inner, u"claude-work"_s, u"work"_s)});
        f.notifications.sent.clear();
        QVERIFY(f.refreshAndWait());
        QCOMPARE(f.notifications.sent.size(), 2);
    }
};

QTEST_MAIN(TestAccounts)
#include "test_accounts.moc"
