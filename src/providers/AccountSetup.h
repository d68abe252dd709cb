#pragma once

#include "core/Accounts.h"
#include "core/UsageProvider.h"
#include "providers/ProviderDescriptor.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

// The providers that take extra accounts, in display order: those whose
// descriptor names a folder variable.
QList<AccountKind> accountKinds();

// The credentials file of an account's folder (".credentials.json" for
// Claude, "auth.json" for Codex); empty for a provider without accounts.
QString accountCredentialFile(const ExtraAccount &account);
// Every account's credentials file, for the watcher.
QStringList accountCredentialFiles(const QList<ExtraAccount> &accounts);

// Each account's provider under the account's id and name, around the one
// make returns for it (given the account's id, "claude-work"). Accounts of a
// provider that takes none are left out.
using AccountMaker = std::function<std::shared_ptr<UsageProvider>(const ProviderDescriptor &provider,
                                                                  const ExtraAccount &account, const QString &id)>;
ProviderList makeAccountProviders(const QList<ExtraAccount> &accounts, const AccountMaker &make);
