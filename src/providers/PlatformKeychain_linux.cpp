#include "providers/CredentialFileKeychain.h"
#include "providers/PlatformKeychain.h"

#include <QDir>
#include <QtGlobal>

using namespace Qt::StringLiterals;

std::unique_ptr<KeychainTool> createPlatformKeychain()
{
    QString configDir = qEnvironmentVariable("CLAUDE_CONFIG_DIR");
    if (configDir.isEmpty())
        configDir = QDir::home().filePath(u".claude"_s);
    return std::make_unique<CredentialFileKeychain>(QDir(configDir).absolutePath());
}

QStringList credentialFilePaths()
{
    QString configDir = qEnvironmentVariable("CLAUDE_CONFIG_DIR");
    if (configDir.isEmpty())
        configDir = QDir::home().filePath(u".claude"_s);
    return {QDir(configDir).absoluteFilePath(u".credentials.json"_s), codexAuthFilePath()};
}
