#pragma once

#include "core/Accounts.h"
#include "core/os/CredentialStore.h"
#include "core/UsageProvider.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

// The providers that take extra accounts: Claude and Codex.
QList<AccountKind> accountKinds();

// The credentials file of an account's folder: ".credentials.json" for
// Claude, "auth.json" for Codex; empty for a provider without accounts.
QString accountCredentialFile(const ExtraAccount &account);
// Every account's credentials file, for the watcher.
QStringList accountCredentialFiles(const QList<ExtraAccount> &accounts);

// Each account's provider, reading only the account's own folder (never the
// keychain, whose items belong to the default account), at the provider's
// endpoint. Accounts of an unknown provider are left out.
using AccountEndpoint = std::function<QUrl(const QString &provider)>;
ProviderList makeAccountProviders(const QList<ExtraAccount> &accounts, const AccountEndpoint &endpoint);

// The same for the demo: every account reads store, never a file.
ProviderList makeAccountProviders(const QList<ExtraAccount> &accounts, const AccountEndpoint &endpoint,
                                  std::shared_ptr<const CredentialStore> store);
