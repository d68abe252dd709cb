#include "CodexCredentialService.h"
#include "CredentialFileKeychain.h"
#include "CredentialParsing.h"
#include "KeychainService.h"
#include "PlatformKeychain.h"
#include "SecurityToolKeychain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

using OptionalToken = std::optional<QString>;
Q_DECLARE_METATYPE(OptionalToken)

namespace {

QByteArray claudeDocument(const QByteArray &token)
{
    return R"({"claudeAiOauth": {"accessToken": ")"_ba + token + R"(", "refreshToken": "r", "expiresAt": 1}})"_ba;
}

bool writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

} // namespace

// The stand-in for /usr/bin/security is a shell script: it appends its
// arguments to a log and prints the item stored as a file named after the
// service, or exits with 44 like the real tool when there is none.
class TestCredentials : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void toolRunsWithExactArgumentsAndReadsAllOutput();
    void toolReportsMissingItemsAndLaunchFailures_data();
    void toolReportsMissingItemsAndLaunchFailures();

    void claudeItemsAreTriedInOrder_data();
    void claudeItemsAreTriedInOrder();
    void claudeKeychainOutput_data();
    void claudeKeychainOutput();

    void codexKeychainOutput_data();
    void codexKeychainOutput();
    void codexAuthFile_data();
    void codexAuthFile();
    void codexKeychainComesBeforeTheFile_data();
    void codexKeychainComesBeforeTheFile();

    void credentialFileStandsInForTheKeychain();
    void platformFoldersFollowTheEnvironment();

private:
    void setItem(const QString &service, const QByteArray &data);
    QList<QStringList> invocations() const;
    std::shared_ptr<const KeychainTool> scriptTool() const;

    QTemporaryDir m_dir;
    QString m_script;
    QString m_itemsDir;
    QString m_log;
};

void TestCredentials::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_itemsDir = m_dir.filePath(u"items"_s);
    m_log = m_dir.filePath(u"arguments.log"_s);
    m_script = m_dir.filePath(u"security"_s);
    const QByteArray script = "#!/bin/sh\n"
                              "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '"_ba + m_log.toUtf8() + "'; done\n"
                              "echo '--end--' >> '"_ba + m_log.toUtf8() + "'\n"
                              "item='"_ba + m_itemsDir.toUtf8() + "'/\"$3\"\n"
                              "if [ ! -f \"$item\" ]; then echo 'The specified item could not be found.' >&2; exit 44; fi\n"
                              "cat \"$item\"\n"_ba;
    QVERIFY(writeFile(m_script, script));
    QVERIFY(QFile::setPermissions(m_script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestCredentials::init()
{
    QDir(m_itemsDir).removeRecursively();
    QVERIFY(QDir().mkpath(m_itemsDir));
    QFile::remove(m_log);
}

void TestCredentials::setItem(const QString &service, const QByteArray &data)
{
    QVERIFY(writeFile(QDir(m_itemsDir).filePath(service), data));
}

QList<QStringList> TestCredentials::invocations() const
{
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> calls{QStringList()};
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line == "--end--")
            calls.append(QStringList());
        else if (!line.isEmpty())
            calls.last().append(QString::fromUtf8(line));
    }
    calls.removeLast();
    return calls;
}

std::shared_ptr<const KeychainTool> TestCredentials::scriptTool() const
{
    return std::make_shared<SecurityToolKeychain>(m_script);
}

void TestCredentials::toolRunsWithExactArgumentsAndReadsAllOutput()
{
    // Well past a pipe's buffer: the child must not stall while we wait.
    QByteArray large = claudeDocument("big-token");
    large.insert(1, "\"padding\": \"" + QByteArray(300 * 1024, 'x') + "\", ");
    setItem(u"Claude Code-credentials"_s, large);

    const ToolResult result = SecurityToolKeychain(m_script).findGenericPassword(u"Claude Code-credentials"_s);
    QVERIFY(result.launched);
    QCOMPARE(result.exitStatus, 0);
    QCOMPARE(result.output, large);
    const QList<QStringList> calls = invocations();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0], (QStringList{u"find-generic-password"_s, u"-s"_s, u"Claude Code-credentials"_s, u"-w"_s}));
}

void TestCredentials::toolReportsMissingItemsAndLaunchFailures_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("launched");

    QTest::newRow("unknown item") << QString() << true;
    QTest::newRow("no such program") << u"/nonexistent/security"_s << false;
    QTest::newRow("not executable") << QStringLiteral(QUOTIX_TEST_DATA "/providers/codex/minimal.json") << false;
}

void TestCredentials::toolReportsMissingItemsAndLaunchFailures()
{
    QFETCH(QString, program);
    QFETCH(bool, launched);
    const ToolResult result = SecurityToolKeychain(program.isEmpty() ? m_script : program)
                                  .findGenericPassword(u"No Such Item"_s);
    QCOMPARE(result.launched, launched);
    QVERIFY(result.exitStatus != 0);
    // Standard error is discarded, never mixed into the output.
    QVERIFY(result.output.isEmpty());
    QVERIFY(!KeychainService(std::make_shared<SecurityToolKeychain>(program.isEmpty() ? m_script : program))
                 .getAccessToken());
}

void TestCredentials::claudeItemsAreTriedInOrder_data()
{
    QTest::addColumn<QByteArray>("credentialsItem"); // empty: no item
    QTest::addColumn<QByteArray>("claudeCodeItem");
    QTest::addColumn<OptionalToken>("token");
    QTest::addColumn<int>("runs");

    QTest::newRow("first item yields") << claudeDocument("first") << claudeDocument("second")
                                       << OptionalToken(u"first"_s) << 1;
    QTest::newRow("first missing") << QByteArray() << claudeDocument("second") << OptionalToken(u"second"_s) << 2;
    QTest::newRow("first holds a bare token") << "sk-ant-bare\n"_ba << claudeDocument("second")
                                              << OptionalToken(u"second"_s) << 2;
    QTest::newRow("neither") << QByteArray() << QByteArray() << OptionalToken() << 2;
}

void TestCredentials::claudeItemsAreTriedInOrder()
{
    QFETCH(QByteArray, credentialsItem);
    QFETCH(QByteArray, claudeCodeItem);
    QFETCH(OptionalToken, token);
    QFETCH(int, runs);
    if (!credentialsItem.isEmpty())
        setItem(u"Claude Code-credentials"_s, credentialsItem);
    if (!claudeCodeItem.isEmpty())
        setItem(u"Claude Code"_s, claudeCodeItem);

    QCOMPARE(KeychainService(scriptTool()).getAccessToken(), token);
    const QList<QStringList> calls = invocations();
    QCOMPARE(calls.size(), runs);
    QCOMPARE(calls[0].value(2), u"Claude Code-credentials"_s);
    if (runs == 2)
        QCOMPARE(calls[1].value(2), u"Claude Code"_s);
}

void TestCredentials::claudeKeychainOutput_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<OptionalToken>("token");

    QTest::newRow("plain document") << claudeDocument("tok") << OptionalToken(u"tok"_s);
    QTest::newRow("leading blanks, trailing newline") << "   " + claudeDocument("tok") + "\n" << OptionalToken(u"tok"_s);
    QTest::newRow("Unicode white space around")
        << "\u3000\u00a0\t" + claudeDocument("tok") + "\u2028\r\n" << OptionalToken(u"tok"_s);
    QTest::newRow("token kept as stored") << claudeDocument("  a b  ") << OptionalToken(u"  a b  "_s);
    QTest::newRow("empty token") << claudeDocument("") << OptionalToken(u""_s);
    QTest::newRow("escaped characters") << claudeDocument(R"(a\"b\u00e9)") << OptionalToken(u"a\"b\u00e9"_s);
    QTest::newRow("bare token") << "sk-ant-oat01-abc"_ba << OptionalToken();
    QTest::newRow("accessToken a number") << R"({"claudeAiOauth": {"accessToken": 12}})"_ba << OptionalToken();
    QTest::newRow("accessToken null") << R"({"claudeAiOauth": {"accessToken": null}})"_ba << OptionalToken();
    QTest::newRow("claudeAiOauth a string") << R"({"claudeAiOauth": "tok"})"_ba << OptionalToken();
    QTest::newRow("accessToken at top level") << R"({"accessToken": "tok"})"_ba << OptionalToken();
    QTest::newRow("top level array") << R"([{"claudeAiOauth": {"accessToken": "tok"}}])"_ba << OptionalToken();
    QTest::newRow("trailing garbage") << claudeDocument("tok") + "x" << OptionalToken();
    QTest::newRow("only white space") << " \n\t "_ba << OptionalToken();
    QTest::newRow("empty") << QByteArray() << OptionalToken();
    QTest::newRow("invalid UTF-8") << "\xff" + claudeDocument("tok") << OptionalToken();
    QTest::newRow("UTF-8 surrogate") << claudeDocument("\xed\xa0\x80") << OptionalToken();
}

void TestCredentials::claudeKeychainOutput()
{
    QFETCH(QByteArray, output);
    QFETCH(OptionalToken, token);
    QCOMPARE(claudeTokenFromKeychainOutput(output), token);
}

void TestCredentials::codexKeychainOutput_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<OptionalToken>("token");

    QTest::newRow("token and newline") << "eyJ.codex\n"_ba << OptionalToken(u"eyJ.codex"_s);
    QTest::newRow("JSON is not parsed") << R"( {"token": "x"} )"_ba << OptionalToken(uR"({"token": "x"})"_s);
    QTest::newRow("blanks only") << " \t\r\n"_ba << OptionalToken();
    QTest::newRow("invalid UTF-8") << "tok\xfe"_ba << OptionalToken();
}

void TestCredentials::codexKeychainOutput()
{
    QFETCH(QByteArray, output);
    QFETCH(OptionalToken, token);
    QCOMPARE(codexTokenFromKeychainOutput(output), token);
}

void TestCredentials::codexAuthFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<OptionalToken>("token");

    QTest::newRow("the tool's own layout")
        << R"({"auth_mode": "chatgpt", "OPENAI_API_KEY": null, "tokens": {"id_token": "i", "access_token": "nested",
              "refresh_token": "r", "account_id": "a"}, "last_refresh": "2025-01-01T00:00:00Z"})"_ba
        << OptionalToken(u"nested"_s);
    QTest::newRow("nested wins over top level") << R"({"access_token": "top", "tokens": {"access_token": "nested"}})"_ba
                                                << OptionalToken(u"nested"_s);
    QTest::newRow("tokens a string") << R"({"tokens": "nested", "access_token": "top"})"_ba << OptionalToken(u"top"_s);
    QTest::newRow("tokens without access_token") << R"({"tokens": {}, "token": "last"})"_ba << OptionalToken(u"last"_s);
    QTest::newRow("only token") << R"({"token": "last"})"_ba << OptionalToken(u"last"_s);
    QTest::newRow("token a number") << R"({"token": 5})"_ba << OptionalToken();
    QTest::newRow("empty access_token, no fallback") << R"({"access_token": "", "token": "last"})"_ba
                                                     << OptionalToken(u""_s);
    QTest::newRow("not trimmed") << R"({"token": " t "})"_ba << OptionalToken(u" t "_s);
    QTest::newRow("array") << R"([{"token": "x"}])"_ba << OptionalToken();
    QTest::newRow("not JSON") << "token=x"_ba << OptionalToken();
    QTest::newRow("empty file") << QByteArray() << OptionalToken();
}

void TestCredentials::codexAuthFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(OptionalToken, token);
    QCOMPARE(codexTokenFromAuthFile(contents), token);
}

void TestCredentials::codexKeychainComesBeforeTheFile_data()
{
    QTest::addColumn<QByteArray>("keychainItem"); // empty: no item
    QTest::addColumn<QByteArray>("authFile");     // empty: no file
    QTest::addColumn<OptionalToken>("token");

    const QByteArray file = R"({"tokens": {"access_token": "from-file"}})"_ba;
    QTest::newRow("keychain token, newline dropped") << "from-keychain\n"_ba << file
                                                     << OptionalToken(u"from-keychain"_s);
    QTest::newRow("blank keychain item") << "  \n"_ba << file << OptionalToken(u"from-file"_s);
    QTest::newRow("no keychain item") << QByteArray() << file << OptionalToken(u"from-file"_s);
    QTest::newRow("nothing anywhere") << QByteArray() << QByteArray() << OptionalToken();
    QTest::newRow("file over 1 MiB") << QByteArray()
                                     << R"({"token": "big", "pad": ")"_ba + QByteArray(1024 * 1024, 'p') + "\"}"
                                     << OptionalToken();
}

void TestCredentials::codexKeychainComesBeforeTheFile()
{
    QFETCH(QByteArray, keychainItem);
    QFETCH(QByteArray, authFile);
    QFETCH(OptionalToken, token);
    if (!keychainItem.isEmpty())
        setItem(u"Codex Auth"_s, keychainItem);
    const QString path = m_dir.filePath(u"auth.json"_s);
    QFile::remove(path);
    if (!authFile.isEmpty())
        QVERIFY(writeFile(path, authFile));

    QCOMPARE(CodexCredentialService(scriptTool(), path).getAccessToken(), token);
    const QList<QStringList> calls = invocations();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0], (QStringList{u"find-generic-password"_s, u"-s"_s, u"Codex Auth"_s, u"-w"_s}));
}

void TestCredentials::credentialFileStandsInForTheKeychain()
{
    QTemporaryDir config;
    const QString file = QDir(config.path()).filePath(u".credentials.json"_s);
    const CredentialFileKeychain keychain(config.path());

    QCOMPARE(keychain.findGenericPassword(u"Claude Code-credentials"_s).exitStatus, 1);
    QVERIFY(writeFile(file, claudeDocument("file-token")));
    const ToolResult found = keychain.findGenericPassword(u"Claude Code-credentials"_s);
    QVERIFY(found.launched);
    QCOMPARE(found.exitStatus, 0);
    QCOMPARE(found.output, claudeDocument("file-token"));
    QCOMPARE(KeychainService(std::make_shared<CredentialFileKeychain>(config.path())).getAccessToken(),
             u"file-token"_s);
    QCOMPARE(keychain.findGenericPassword(u"Claude Code"_s).exitStatus, 44);
    QCOMPARE(keychain.findGenericPassword(u"Codex Auth"_s).exitStatus, 44);

    QVERIFY(writeFile(file, claudeDocument("x") + QByteArray(1024 * 1024, ' ')));
    QCOMPARE(keychain.findGenericPassword(u"Claude Code-credentials"_s).exitStatus, 1);
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir(config.path()).mkdir(u".credentials.json"_s));
    QCOMPARE(keychain.findGenericPassword(u"Claude Code-credentials"_s).exitStatus, 1);
    // Reading is all it ever does.
    QCOMPARE(QDir(config.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u".credentials.json"_s});
}

void TestCredentials::platformFoldersFollowTheEnvironment()
{
#ifndef Q_OS_LINUX
    QSKIP("The credential files stand in for the keychain on Linux only");
#endif
    QTemporaryDir home;
    QTemporaryDir elsewhere;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    QVERIFY(QDir(home.path()).mkpath(u".claude"_s));
    QVERIFY(writeFile(home.filePath(u".claude/.credentials.json"_s), claudeDocument("home-token")));
    QVERIFY(writeFile(elsewhere.filePath(u".credentials.json"_s), claudeDocument("env-token")));
    const auto tokenNow = [] { return KeychainService(createPlatformKeychain()).getAccessToken(); };

    qunsetenv("CLAUDE_CONFIG_DIR");
    QCOMPARE(tokenNow(), u"home-token"_s);
    qputenv("CLAUDE_CONFIG_DIR", QByteArray());
    QCOMPARE(tokenNow(), u"home-token"_s);
    qputenv("CLAUDE_CONFIG_DIR", elsewhere.path().toUtf8());
    QCOMPARE(tokenNow(), u"env-token"_s);
    qunsetenv("CLAUDE_CONFIG_DIR");

    qunsetenv("CODEX_HOME");
    QCOMPARE(codexAuthFilePath(), home.filePath(u".codex/auth.json"_s));
    qputenv("CODEX_HOME", QByteArray());
    QCOMPARE(codexAuthFilePath(), home.filePath(u".codex/auth.json"_s));
    qputenv("CODEX_HOME", elsewhere.path().toUtf8());
    QCOMPARE(codexAuthFilePath(), elsewhere.filePath(u"auth.json"_s));
    qunsetenv("CODEX_HOME");
    qputenv("HOME", oldHome);
}

QTEST_GUILESS_MAIN(TestCredentials)
#include "test_credentials.moc"
