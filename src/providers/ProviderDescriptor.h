#pragma once

#include "core/UsageProvider.h"
#include "core/os/CredentialStore.h"
#include "presentation/ProviderLook.h"
#include "providers/CredentialParsing.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

// Reads a stored login anew on every call; absent when there is none.
using LoginReader = std::function<std::optional<StoredLogin>()>;

// What the substitute service answers for the demo on one path of a provider.
struct DemoAnswer
{
    QString path;
    // The body, made afresh for every request so that reset times follow the
    // clock; answered counts the requests this path answered before.
    std::function<QByteArray(const QDateTime &now, int answered)> body;
};

// Everything the application knows of one provider. Set-up, the endpoint
// override, the demo, the file watch, the template fields, help texts and the
// icon all read it from here (providers/ProviderRegistry); a provider is its
// own folder under providers/ with one function that returns this.
struct ProviderDescriptor
{
    // Its id, name, letter and artwork, as the faces show it.
    ProviderLook look;
    // The usage endpoint; QUOTIX_<ID>_USAGE_URL replaces it.
    QUrl endpoint;
    // The user's stored login: the platform's store for what it holds, the
    // tool's own files under the home folder otherwise. Only ever read.
    std::function<LoginReader(const std::shared_ptr<const CredentialStore> &store)> credentials;
    // The files whose change may bring, end or renew a login.
    std::function<QStringList()> credentialFiles;
    // The demo's answers; each path is that of one of the provider's endpoints.
    QList<DemoAnswer> demo;
    // Extra accounts, for a tool that keeps another login in another folder:
    // the variable that names such a folder to the tool ("CLAUDE_CONFIG_DIR"),
    // the credentials file in it and the login read from that file alone.
    // Left empty, the provider takes no extra accounts.
    QString accountFolderVariable;
    std::function<QString(const QString &folder)> accountCredentialFile;
    std::function<LoginReader(const QString &folder)> accountCredentials;
};

// "QUOTIX_CLAUDE_USAGE_URL" for "claude".
QByteArray overrideVariable(const ProviderDescriptor &provider);
