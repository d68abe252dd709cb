#include "providers/CodexCredentialService.h"
#include "providers/CredentialFileStore.h"
#include "providers/CredentialItems.h"
#include "providers/CredentialParsing.h"
#include "providers/KeychainService.h"
#include "providers/PlatformKeychain.h"
#include "providers/SecurityToolStore.h"
#include "providers/SmallFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

using OptionalToken = std::optional<QString>;
Q_DECLARE_METATYPE(OptionalToken)

namespace {

enum Reader {
    ClaudeKeychain,
    CodexKeychain,
    CodexAuthFile
};

QByteArray claudeDocument(const QByteArray &token)
{
    return R"({"claudeAiOauth": {"accessToken": ")"_ba + token + R"(", "refreshToken": "r"}})"_ba;
}

bool writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

} // namespace

// The stand-in for /usr/bin/security is a shell script (see security.sh).
class TestCredentials : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void toolRunsAsAChildProcess();
    void readingRules_data();
    void readingRules();
    void tokenExpiry_data();
    void tokenExpiry();
    void lookupOrder();
    void platformFiles();
    void filesAreOpenedWithoutWaiting();

private:
    void setItem(const QString &service, const QByteArray &data)
    {
        QVERIFY(writeFile(m_dir.filePath(u"items/"_s + service), data));
    }
    QByteArray log() const
    {
        QFile file(m_dir.filePath(u"arguments.log"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QString m_script;
};

void TestCredentials::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_script = m_dir.filePath(u"security"_s);
    QVERIFY(QFile::copy(QStringLiteral(QUOTIX_TEST_DATA "/providers/security.sh"), m_script));
    QVERIFY(QFile::setPermissions(m_script, QFile::ReadOwner | QFile::ExeOwner));
}

void TestCredentials::init()
{
    QDir(m_dir.filePath(u"items"_s)).removeRecursively();
    QVERIFY(QDir(m_dir.path()).mkdir(u"items"_s));
    QFile::remove(m_dir.filePath(u"arguments.log"_s));
}

void TestCredentials::toolRunsAsAChildProcess()
{
    // Well past a pipe's buffer: the child must not stall while we wait.
    const QByteArray large = QByteArray(300 * 1024, ' ') + claudeDocument("big-token");
    setItem(u"Claude Code-credentials"_s, large);
    QCOMPARE(SecurityToolStore(m_script).find(u"Claude Code-credentials"_s), std::optional<QByteArray>(large));
    QCOMPARE(log(), "find-generic-password|-s|Claude Code-credentials|-w|\n"_ba);

    // The tool complains on standard error and exits with 44.
    QCOMPARE(SecurityToolStore(m_script).find(u"No Such Item"_s), std::nullopt);

    // Missing, and not executable.
    for (const QString &program :
         {u"/nonexistent/security"_s, QStringLiteral(QUOTIX_TEST_DATA "/providers/codex/full.json")}) {
        QCOMPARE(SecurityToolStore(program).find(u"Claude Code"_s), std::nullopt);
        QVERIFY(!KeychainService(std::make_shared<SecurityToolStore>(program)).getAccessToken());
    }
}

void TestCredentials::readingRules_data()
{
    QTest::addColumn<int>("reader");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<OptionalToken>("token");

    const auto row = [](const char *name, Reader reader, const QByteArray &input, OptionalToken token) {
        QTest::newRow(name) << int(reader) << input << token;
    };
    row("claude: document", ClaudeKeychain, claudeDocument("tok"), u"tok"_s);
    row("claude: Unicode white space around", ClaudeKeychain, "\u3000\u00a0\t" + claudeDocument("tok") + "\u2028\r\n",
        u"tok"_s);
    row("claude: token kept as stored", ClaudeKeychain, claudeDocument("  a b  "), u"  a b  "_s);
    row("claude: bare token", ClaudeKeychain, "sk-ant-oat01-abc", {});
    row("claude: accessToken a number", ClaudeKeychain, R"({"claudeAiOauth": {"accessToken": 12}})", {});
    row("claude: trailing garbage", ClaudeKeychain, claudeDocument("tok") + "x", {});
    row("codex keychain: token and newline", CodexKeychain, "eyJ.codex\n", u"eyJ.codex"_s);
    row("codex keychain: blanks only", CodexKeychain, " \t\r\n", {});
    row("codex keychain: invalid UTF-8", CodexKeychain, "tok\xfe", {});
    row("codex keychain: the keyring's auth.json", CodexKeychain,
        R"( {"auth_mode": "chatgpt", "tokens": {"id_token": "i", "access_token": "doc-token"}} )", u"doc-token"_s);
    row("codex keychain: JSON without tokens is the text", CodexKeychain, R"({"token": "t"})", uR"({"token": "t"})"_s);
    row("claude: sequence cut off at the end", ClaudeKeychain, claudeDocument("") + "\xde", {});
    row("codex file: nested wins", CodexAuthFile, R"({"access_token": "top", "tokens": {"access_token": "nested"}})",
        u"nested"_s);
    row("codex file: tokens a string", CodexAuthFile, R"({"tokens": "nested", "access_token": "top"})", u"top"_s);
    row("codex file: tokens without access_token", CodexAuthFile, R"({"tokens": {}, "token": "last"})", u"last"_s);
    row("codex file: token a number", CodexAuthFile, R"({"token": 5})", {});
    row("codex file: empty access_token, no fallback", CodexAuthFile, R"({"access_token": "", "token": "l"})", u""_s);
    row("codex file: not trimmed", CodexAuthFile, R"({"token": " t "})", u" t "_s);
}

void TestCredentials::readingRules()
{
    QFETCH(int, reader);
    QFETCH(QByteArray, input);
    QFETCH(OptionalToken, token);
    QCOMPARE(reader == ClaudeKeychain      ? claudeTokenFromKeychainOutput(input)
                 : reader == CodexKeychain ? codexTokenFromKeychainOutput(input)
                                           : codexTokenFromAuthFile(input),
             token);
}

void TestCredentials::tokenExpiry_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expiry"); // ISO; empty: none
    const auto jwt = [](const QByteArray &payload) {
        return "eyJhbGciOiJIUzI1NiJ9."_ba
            + payload.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals) + ".sig"_ba;
    };
    // Claude's document carries milliseconds, the JWT seconds.
    QTest::newRow("claude expiresAt") << claudeDocument("t").replace("}}", R"(, "expiresAt": 1767607199000}})")
                                      << u"2026-01-05T09:59:59.000Z"_s;
    QTest::newRow("claude expiresAt a string")
        << claudeDocument("t").replace("}}", R"(, "expiresAt": "soon"}})") << QString();
    QTest::newRow("claude expiresAt absurd")
        << claudeDocument("t").replace("}}", R"(, "expiresAt": 1e300}})") << QString();
    QTest::newRow("jwt exp") << jwt(R"({"exp": 1771422975, "sub": "x"})") << u"2026-02-18T13:56:15.000Z"_s;
    QTest::newRow("jwt with padding") << jwt(R"({"exp":1771422975})") + "==" << u"2026-02-18T13:56:15.000Z"_s;
    QTest::newRow("jwt exp a string") << jwt(R"({"exp": "1771422975"})") << QString();
    QTest::newRow("not base64") << "a.!!!.c"_ba << QString();
}

void TestCredentials::tokenExpiry()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expiry);
    const std::optional<QDateTime> found = input.startsWith('{')
        ? claudeLoginFromKeychainOutput(input).value_or(StoredLogin{}).expiresAt
        : jwtExpiry(QString::fromLatin1(input));
    QCOMPARE(found ? found->toString(Qt::ISODateWithMs) : QString(), expiry);
}

void TestCredentials::lookupOrder()
{
    const auto tool = std::make_shared<SecurityToolStore>(m_script);
    const KeychainService claude(tool);
    QVERIFY(!claude.getAccessToken());
    setItem(u"Claude Code"_s, claudeDocument("second"));
    QCOMPARE(claude.getAccessToken(), u"second"_s);
    setItem(u"Claude Code-credentials"_s, "sk-ant-bare\n"); // a bare token is no document
    QCOMPARE(claude.getAccessToken(), u"second"_s);
    setItem(u"Claude Code-credentials"_s, claudeDocument("first"));
    QCOMPARE(claude.getAccessToken(), u"first"_s);
    QCOMPARE(log().count("|Claude Code-credentials|"), 4);
    QCOMPARE(log().count("|Claude Code|"), 3);

    const QString authFile = m_dir.filePath(u"auth.json"_s);
    const CodexCredentialService codex(tool, authFile);
    const QByteArray file = R"({"tokens": {"access_token": "from-file"}})"_ba;
    QVERIFY(!codex.getAccessToken());
    QVERIFY(writeFile(authFile, file));
    QCOMPARE(codex.getAccessToken(), u"from-file"_s);
    setItem(u"Codex Auth"_s, "  \n");
    QCOMPARE(codex.getAccessToken(), u"from-file"_s);
    setItem(u"Codex Auth"_s, "from-keychain\n");
    QCOMPARE(codex.getAccessToken(), u"from-keychain"_s);
    QCOMPARE(log().count("|Codex Auth|"), 4);
}

void TestCredentials::platformFiles()
{
#ifndef Q_OS_LINUX
    QSKIP("Claude Code keeps its login in a file on Linux only");
#endif
    // The variables stay changed: nothing after this reads them.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    QVERIFY(QDir(home.path()).mkpath(u".claude"_s));
    QVERIFY(writeFile(home.filePath(u".claude/.credentials.json"_s), claudeDocument("home-token")));
    QVERIFY(writeFile(m_dir.filePath(u".credentials.json"_s), claudeDocument("env-token")));
    const auto claudeToken = [] { return KeychainService(createPlatformCredentialStore()).getAccessToken(); };
    // Unset, then empty: both mean the default folder.
    for (bool unset : {true, false}) {
        unset ? qunsetenv("CLAUDE_CONFIG_DIR") : qputenv("CLAUDE_CONFIG_DIR", QByteArray());
        unset ? qunsetenv("CODEX_HOME") : qputenv("CODEX_HOME", QByteArray());
        QCOMPARE(claudeToken(), u"home-token"_s);
        QCOMPARE(credentialFilePaths(),
                 QStringList({home.filePath(u".claude/.credentials.json"_s), home.filePath(u".codex/auth.json"_s)}));
    }
    qputenv("CLAUDE_CONFIG_DIR", m_dir.path().toUtf8());
    qputenv("CODEX_HOME", m_dir.path().toUtf8());
    QCOMPARE(claudeToken(), u"env-token"_s);
    QCOMPARE(credentialFilePaths(),
             QStringList({m_dir.filePath(u".credentials.json"_s), m_dir.filePath(u"auth.json"_s)}));
    QVERIFY(writeFile(m_dir.filePath(u".credentials.json"_s), claudeDocument("x") + QByteArray(1024 * 1024, ' ')));
    QVERIFY(!claudeToken()); // over the 1 MiB cap
}

void TestCredentials::filesAreOpenedWithoutWaiting()
{
    // A FIFO where the file should be is refused at once, never waited on.
    const QString fifo = m_dir.filePath(u"fifo.json"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(readSmallFile(fifo, MaxCredentialFileBytes), std::nullopt);
    QVERIFY(timer.elapsed() < 1000);
    QCOMPARE(readSmallFile(m_dir.path(), MaxCredentialFileBytes), std::nullopt); // a folder

    // Through a symbolic link, as dotfiles kept in another folder are.
    const QString real = m_dir.filePath(u"real.json"_s);
    const QString linked = m_dir.filePath(u"linked.json"_s);
    QVERIFY(writeFile(real, claudeDocument("linked-token")));
    QVERIFY(QFile::link(real, linked));
    const auto store = std::make_shared<CredentialFileStore>(QHash<QString, QString>{{ClaudeCredentialsItem, linked}});
    QCOMPARE(KeychainService(store).getAccessToken(), u"linked-token"_s);
    QCOMPARE(store->find(CodexAuthItem), std::nullopt); // only the items it was given

    // The cap itself is allowed, one byte more is not.
    QVERIFY(writeFile(real, QByteArray(40'000, 'x')));
    QCOMPARE(readSmallFile(linked, 40'000).value_or(QByteArray()).size(), 40'000);
    QCOMPARE(readSmallFile(linked, 39'999), std::nullopt);
}

QTEST_GUILESS_MAIN(TestCredentials)
#include "test_credentials.moc"
