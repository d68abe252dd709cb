#include "providers/AccountSetup.h"

#include "providers/AccountProvider.h"
#include "providers/ProviderRegistry.h"

namespace {

const ProviderDescriptor *accountDescriptor(const QString &provider)
{
    const ProviderDescriptor *descriptor = findProviderDescriptor(provider);
    return descriptor && !descriptor->accountFolderVariable.isEmpty() ? descriptor : nullptr;
}

} // namespace

QList<AccountKind> accountKinds()
{
    QList<AccountKind> kinds;
    for (const ProviderDescriptor &descriptor : providerDescriptors()) {
        if (!descriptor.accountFolderVariable.isEmpty())
            kinds.append({descriptor.look.id, descriptor.look.name, descriptor.accountFolderVariable});
    }
    return kinds;
}

QString accountCredentialFile(const ExtraAccount &account)
{
    const ProviderDescriptor *descriptor = accountDescriptor(account.provider);
    return descriptor ? descriptor->accountCredentialFile(account.folder) : QString();
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

ProviderList makeAccountProviders(const QList<ExtraAccount> &accounts, const AccountMaker &make)
{
    ProviderList providers;
    const QStringList ids = accountIds(accounts);
    for (qsizetype i = 0; i < accounts.size(); ++i) {
        const ExtraAccount &account = accounts.at(i);
        const ProviderDescriptor *descriptor = accountDescriptor(account.provider);
        if (!descriptor)
            continue;
        providers.append(
            std::make_shared<AccountProvider>(make(*descriptor, account, ids.at(i)), ids.at(i), account.label));
    }
    return providers;
}
