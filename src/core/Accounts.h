#pragma once

#include "core/UsageProvider.h"

#include <QList>
#include <QString>
#include <QStringView>

class QSettings;

// An account besides the default one of a provider: the folder its tool keeps
// its login in (what CLAUDE_CONFIG_DIR or CODEX_HOME would name) and the
// user's word for it ("work").
struct ExtraAccount
{
    QString provider; // the provider's id: "claude", "codex"
    QString folder;   // absolute
    QString label;

    friend bool operator==(const ExtraAccount &, const ExtraAccount &) = default;
};

// A provider that takes extra accounts, and the variable that names another
// folder to its tool.
struct AccountKind
{
    QString provider;       // "claude"
    QString name;           // "Claude"
    QString folderVariable; // "CLAUDE_CONFIG_DIR"
};

// Between a provider's name and an account's label: "Claude · work".
inline constexpr QStringView AccountSeparator = u" \u00B7 ";

// "Claude · work", the name every face shows.
QString accountName(const QString &providerName, const QString &label);
// "Claude (work)", the name in an alert's title.
QString accountAlertName(const QString &providerName, const QString &label);

// Each account's id, in list order: the provider's id, "-" and the label in
// lower case with "_" for anything but letters and digits ("claude-work"),
// so it reads as a --json key and in a template field ({claude-work.weekly}).
// Labels that come out alike get "_2", "_3".
QStringList accountIds(const QList<ExtraAccount> &accounts);

// Read from and written to the settings as the array "accounts" of
// provider, folder and label. Entries without a provider or a folder are
// skipped; a missing label is the folder's name.
QList<ExtraAccount> accountsFromSettings(QSettings &settings);
void writeAccounts(QSettings &settings, const QList<ExtraAccount> &accounts);

// The display order: each provider followed by its accounts' providers
// (whose ids start with the provider's and "-"), in their list order; an
// account of a provider not in the list comes last.
ProviderList withAccounts(const ProviderList &providers, const ProviderList &accounts);
