#include "providers/CodexCredentialService.h"
#include "providers/CredentialFileStore.h"
#include "providers/CredentialItems.h"
#include "providers/CredentialParsing.h"
#include "providers/KeychainService.h"
#include "providers/PlatformKeychain.h"
#include "providers/ProviderRegistry.h"
#include "providers/SecurityToolStore.h"
#include "providers/SmallFile.h"
#include "support/Files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <thread>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

enum Reader {
    Claude,
    CodexKeychain,
    CodexAuthFile
};

QByteArray claudeDocument(const QByteArray &token)
{
    return R"({"claudeAiOauth": {"accessToken": ")"_ba + token + R"(", "refreshToken": "r"}})"_ba;
}

// The token a reader finds in the input, or "-".
QString readWith(Reader reader, const QByteArray &input)
{
    return (reader == Claude              ? claudeTokenFromKeychainOutput(input)
                : reader == CodexKeychain ? codexTokenFromKeychainOutput(input)
                                          : codexTokenFromAuthFile(input))
        .value_or(u"-"_s);
}

} // namespace

// The stand-in for /usr/bin/security is a shell script (see security.sh).
class TestCredentials : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_script;

    void setItem(const QString &service, const QByteArray &data)
    {
        QVERIFY(writeFile(m_dir.filePath(u"items/"_s + service), data));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_script = m_dir.filePath(u"security"_s);
        QVERIFY(QFile::copy(QStringLiteral(QUOTIX_TEST_DATA "/providers/security.sh"), m_script));
        QVERIFY(QFile::setPermissions(m_script, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(QDir(m_dir.path()).mkdir(u"items"_s));
    }

    void keychainToolIsAskedInOrder()
    {
        const auto tool = std::make_shared<SecurityToolStore>(m_script);
        QCOMPARE(tool->find(u"No Such Item"_s), std::nullopt); // the tool complains on standard error and exits with 44
        const KeychainService claude(tool);
        setItem(u"Claude Code"_s, claudeDocument("second"));
        QCOMPARE(claude.getAccessToken(), u"second"_s);
        setItem(u"Claude Code-credentials"_s, "sk-ant-bare\n"); // a bare token is no document
        QCOMPARE(claude.getAccessToken(), u"second"_s);
        // Well past a pipe's buffer: the child must not stall while we wait.
        setItem(u"Claude Code-credentials"_s, QByteArray(300 * 1024, ' ') + claudeDocument("first"));
        QVERIFY(QFile::remove(m_dir.filePath(u"arguments.log"_s)));
        QCOMPARE(claude.getAccessToken(), u"first"_s);
        QCOMPARE(readFile(m_dir.filePath(u"arguments.log"_s)),
                 "find-generic-password|-s|Claude Code-credentials|-w|\n"_ba);

        const QString authFile = m_dir.filePath(u"auth.json"_s);
        const CodexCredentialService codex(tool, authFile);
        QVERIFY(writeFile(authFile, R"({"tokens": {"access_token": "from-file"}})"));
        QCOMPARE(codex.getAccessToken(), u"from-file"_s);
        setItem(u"Codex Auth"_s, "  \n");
        QCOMPARE(codex.getAccessToken(), u"from-file"_s);
        setItem(u"Codex Auth"_s, "from-keychain\n");
        QCOMPARE(codex.getAccessToken(), u"from-keychain"_s);

        // Missing, and not executable.
        for (const QString &program : {u"/nonexistent/security"_s, authFile})
            QCOMPARE(SecurityToolStore(program).find(ClaudeCredentialsItem), std::nullopt);
    }

    void readingRules()
    {
        // What each reader finds in the input (none: "-"); the expiries are read
        // end to end in test_providershttp.
        const QList<std::tuple<const char *, Reader, QByteArray, QString>> cases = {
            {"claude: Unicode blanks around", Claude, "\u3000\u00a0\t" + claudeDocument("tok") + "\u2028\r\n",
             u"tok"_s},
            {"claude: token kept as stored", Claude, claudeDocument("  a b  "), u"  a b  "_s},
            {"claude: accessToken a number", Claude, R"({"claudeAiOauth": {"accessToken": 12}})", u"-"_s},
            {"claude: trailing garbage", Claude, claudeDocument("tok") + "x", u"-"_s},
            {"claude: sequence cut off at the end", Claude, claudeDocument("") + "\xde", u"-"_s},
            {"codex keychain: invalid UTF-8", CodexKeychain, "tok\xfe", u"-"_s},
            {"codex keychain: the keyring's auth.json", CodexKeychain,
             R"( {"auth_mode": "chatgpt", "tokens": {"id_token": "i", "access_token": "doc"}} )", u"doc"_s},
            {"codex keychain: JSON without tokens", CodexKeychain, R"({"token": "t"})", uR"({"token": "t"})"_s},
            {"codex file: nested wins", CodexAuthFile, R"({"access_token": "top", "tokens": {"access_token": "n"}})",
             u"n"_s},
            {"codex file: tokens a string", CodexAuthFile, R"({"tokens": "nested", "access_token": "top"})", u"top"_s},
            {"codex file: tokens lack access_token", CodexAuthFile, R"({"tokens": {}, "token": "last"})", u"last"_s},
            {"codex file: token a number", CodexAuthFile, R"({"token": 5})", u"-"_s},
            {"codex file: empty access_token", CodexAuthFile, R"({"access_token": "", "token": "l"})", u""_s},
            {"codex file: not trimmed", CodexAuthFile, R"({"token": " t "})", u" t "_s},
            {"codex file: not JSON", CodexAuthFile, R"({"token": "t")", u"-"_s},
        };
        for (const auto &[name, reader, input, read] : cases)
            QCOMPARE(QLatin1StringView(name) + u": "_s + readWith(reader, input),
                     QLatin1StringView(name) + u": "_s + read);
    }

    // Unset or empty, CLAUDE_CONFIG_DIR and CODEX_HOME mean the folders in the
    // home folder; set, they are read end to end by test_statuscommand.
    void unsetOrEmptyFolderVariablesMeanTheDefaults()
    {
#ifndef Q_OS_LINUX
        QSKIP("Claude Code keeps its login in a file on Linux only");
#endif
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8()); // nothing after this reads it
        QVERIFY(writeFile(home.filePath(u".claude/.credentials.json"_s), claudeDocument("home-token")));
        for (bool unset : {true, false}) {
            unset ? qunsetenv("CLAUDE_CONFIG_DIR") : qputenv("CLAUDE_CONFIG_DIR", QByteArray());
            unset ? qunsetenv("CODEX_HOME") : qputenv("CODEX_HOME", QByteArray());
            QCOMPARE(KeychainService(createPlatformCredentialStore()).getAccessToken(), u"home-token"_s);
            const QStringList watched = credentialFilePaths();
            QVERIFY(watched.contains(home.filePath(u".claude/.credentials.json"_s)));
            QVERIFY(watched.contains(home.filePath(u".codex/auth.json"_s)));
        }
    }

    // Copilot's login: apps.json first, the older hosts.json second, under
    // XDG_CONFIG_HOME (~/.config when unset); Gemini's under ~/.gemini.
    void copilotAndGeminiReadTheirToolsFiles()
    {
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        const auto tokenOf = [](const QString &id) {
            const std::optional<StoredLogin> login = findProviderDescriptor(id)->credentials(nullptr)();
            return login ? login->accessToken : u"-"_s;
        };
        QCOMPARE(tokenOf(u"copilot"_s), u"-"_s);
        QVERIFY(writeFile(home.filePath(u".config/github-copilot/hosts.json"_s),
                          R"({"github.com": {"user": "u", "oauth_token": "old-token"}})"));
        QCOMPARE(tokenOf(u"copilot"_s), u"old-token"_s);
        QVERIFY(writeFile(
            home.filePath(u".config/github-copilot/apps.json"_s),
            R"({"github.com:Iv1.a": {"oauth_token": ""}, "github.com:Iv1.b": {"oauth_token": "app-token"}})"));
        QCOMPARE(tokenOf(u"copilot"_s), u"app-token"_s);
        qputenv("XDG_CONFIG_HOME", home.filePath(u"elsewhere"_s).toUtf8());
        QCOMPARE(tokenOf(u"copilot"_s), u"-"_s);
        qunsetenv("XDG_CONFIG_HOME");

        QVERIFY(writeFile(home.filePath(u".gemini/oauth_creds.json"_s),
                          R"({"access_token": "g-token", "expiry_date": 1765404000000, "refresh_token": "r"})"));
        const std::optional<StoredLogin> gemini = findProviderDescriptor(u"gemini"_s)->credentials(nullptr)();
        QVERIFY(gemini && gemini->expiresAt);
        QCOMPARE(gemini->accessToken, u"g-token"_s);
        QCOMPARE(gemini->expiresAt->toMSecsSinceEpoch(), 1765404000000);
        QVERIFY(credentialFilePaths().contains(home.filePath(u".gemini/oauth_creds.json"_s)));
    }

    // What sits where the login file should be, and the token read from it.
    void loginFilesAreReadWithinTheCapWithoutBlocking()
    {
        const QByteArray document = claudeDocument("file-token");
        const QString real = m_dir.filePath(u"real.json"_s);
        QVERIFY(writeFile(real, document));
        QVERIFY(QFile::link(real, m_dir.filePath(u"linked.json"_s)));
        const qint64 room = MaxCredentialFileBytes - document.size();
        QVERIFY(writeFile(m_dir.filePath(u"at-cap.json"_s), document + QByteArray(room, ' ')));
        QVERIFY(writeFile(m_dir.filePath(u"past-cap.json"_s), document + QByteArray(room + 1, ' ')));
        QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath(u"fifo.json"_s)).constData(), 0600), 0);
        const QList<std::pair<QString, QString>> cases = {
            {u"linked.json"_s, u"file-token"_s}, // as dotfiles kept in another folder are
            {u"at-cap.json"_s, u"file-token"_s},
            {u"past-cap.json"_s, {}},
            {u"missing.json"_s, {}},
            {u"fifo.json"_s, {}}, // refused at once, never waited on
            {u"items"_s, {}},     // a folder
        };
        for (const auto &[name, token] : cases) {
            const auto store = std::make_shared<CredentialFileStore>(
                QHash<QString, QString>{{ClaudeCredentialsItem, m_dir.filePath(name)}});
            QElapsedTimer timer;
            timer.start();
            QCOMPARE(name + u": "_s + KeychainService(store).getAccessToken().value_or(QString()),
                     name + u": "_s + token);
            QVERIFY2(timer.elapsed() < 1000, qPrintable(name));
            QCOMPARE(store->find(CodexAuthItem), std::nullopt); // only the items it was given
        }
    }

    // Caught half-written while the tool rewrites it, a login is read again
    // before it counts as absent; one that stays broken is given up soon.
    void aFileBeingRewrittenIsReadAgain()
    {
        const QString claudePath = m_dir.filePath(u"rewritten.json"_s);
        const QString codexPath = m_dir.filePath(u"auth.json"_s);
        const QByteArray claude = claudeDocument("whole");
        const QByteArray codex = R"({"tokens": {"access_token": "whole"}})"_ba;
        const auto store
            = std::make_shared<CredentialFileStore>(QHash<QString, QString>{{ClaudeCredentialsItem, claudePath}});
        const RereadPolicy policy{3, std::chrono::milliseconds(40)};
        for (bool finished : {true, false}) {
            QVERIFY(writeFile(claudePath, claude.left(claude.size() / 2)));
            QVERIFY(writeFile(codexPath, codex.left(codex.size() / 2)));
            std::thread tool([&] { // the tool, done with its rewrite meanwhile or never
                std::this_thread::sleep_for(std::chrono::milliseconds(60));
                if (finished)
                    writeFile(claudePath, claude) && writeFile(codexPath, codex);
            });
            QElapsedTimer timer;
            timer.start();
            const std::optional<QString> claudeToken = KeychainService(store, policy).getAccessToken();
            const std::optional<QString> codexToken
                = CodexCredentialService(nullptr, codexPath, policy).getAccessToken();
            tool.join();
            QCOMPARE(claudeToken, finished ? std::optional(u"whole"_s) : std::nullopt);
            QCOMPARE(codexToken, finished ? std::optional(u"whole"_s) : std::nullopt);
            QVERIFY(timer.elapsed() < 2 * 3 * 40 + 500); // three pauses each at most
        }

        // A whole document without the login (Claude Code's file holding only
        // other logins) is read once per item, never waited on.
        struct CountingStore : CredentialStore
        {
            mutable int finds = 0;
            std::optional<QByteArray> find(const QString &) const override
            {
                ++finds;
                return R"({"mcpOAuth": {"server": {"accessToken": "m"}}})"_ba;
            }
        };
        const auto counting = std::make_shared<CountingStore>();
        QCOMPARE(KeychainService(counting, policy).getAccessToken(), std::nullopt);
        QCOMPARE(counting->finds, 2);
    }
};

QTEST_GUILESS_MAIN(TestCredentials)
#include "test_credentials.moc"
