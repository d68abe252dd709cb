#include "providers/AccountSetup.h"

#include "providers/AccountProvider.h"
#include "providers/ClaudeProvider.h"
#include "providers/CodexCredentialService.h"
#include "providers/CodexProvider.h"
#include "providers/CredentialFileStore.h"
#include "providers/CredentialItems.h"
#include "providers/KeychainService.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

// Never a file: /dev/null is not a folder.
const QString NoFile = u"/dev/null/quotix-account/auth.json"_s;

std::shared_ptr<UsageProvider> innerProvider(const ExtraAccount &account, const QUrl &endpoint,
                                             std::shared_ptr<const CredentialStore> store, bool readFiles)
{
    if (account.provider == u"claude") {
        if (readFiles)
            store = std::make_shared<CredentialFileStore>(
                QHash<QString, QString>{{ClaudeCredentialsItem, accountCredentialFile(account)}});
        return std::make_shared<ClaudeProvider>(KeychainService(std::move(store)), endpoint);
    }
    if (account.provider == u"codex") {
        if (readFiles)
            store = std::make_shared<CredentialFileStore>(QHash<QString, QString>{});
        return std::make_shared<CodexProvider>(
            CodexCredentialService(std::move(store), readFiles ? accountCredentialFile(account) : NoFile), endpoint);
    }
    return nullptr;
}

ProviderList accountProviders(const QList<ExtraAccount> &accounts, const AccountEndpoint &endpoint,
                              const std::shared_ptr<const CredentialStore> &store, bool readFiles)
{
    ProviderList providers;
    const QStringList ids = accountIds(accounts);
    for (qsizetype i = 0; i < accounts.size(); ++i) {
        const ExtraAccount &account = accounts.at(i);
        if (auto inner = innerProvider(account, endpoint(account.provider), store, readFiles))
            providers.append(std::make_shared<AccountProvider>(std::move(inner), ids.at(i), account.label));
    }
    return providers;
}

} // namespace

QList<AccountKind> accountKinds()
{
    return {{u"claude"_s, u"Claude"_s, u"CLAUDE_CONFIG_DIR"_s}, {u"codex"_s, u"Codex"_s, u"CODEX_HOME"_s}};
}

QString accountCredentialFile(const ExtraAccount &account)
{
    const QDir folder(account.folder);
    if (account.provider == u"claude")
        return folder.absoluteFilePath(u".credentials.json"_s);
    if (account.provider == u"codex")
        return folder.absoluteFilePath(u"auth.json"_s);
    return {};
}

QStringList accountCredentialFiles(const QList<ExtraAccount> &accounts)
{
    QStringList files;
    for (const ExtraAccount &account : accounts) {
        const QString file = accountCredentialFile(account);
        if (!file.isEmpty() && !files.contains(file))
            files.append(file);
    }
    return files;
}

ProviderList makeAccountProviders(const QList<ExtraAccount> &accounts, const AccountEndpoint &endpoint)
{
    return accountProviders(accounts, endpoint, nullptr, true);
}

ProviderList makeAccountProviders(const QList<ExtraAccount> &accounts, const AccountEndpoint &endpoint,
                                  std::shared_ptr<const CredentialStore> store)
{
    return accountProviders(accounts, endpoint, store, false);
}
