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

// Each account's provider, at its provider's endpoint (endpoint says which,
// with any override), reading the login of the account's folder only, or
// what login gives instead (the demo's token). Accounts of a provider that
// takes none are left out.
using AccountEndpoint = std::function<QUrl(const ProviderDescriptor &provider)>;
using AccountLogin = std::function<LoginReader(const ProviderDescriptor &provider, const ExtraAccount &account)>;
ProviderList makeAccountProviders(const QList<ExtraAccount> &accounts, const AccountEndpoint &endpoint,
                                  const AccountLogin &login = {});
