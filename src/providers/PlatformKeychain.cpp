#include "providers/PlatformKeychain.h"

#include <QDir>
#include <QtGlobal>

using namespace Qt::StringLiterals;

namespace {

QDir folderFrom(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir(value.isEmpty() ? QDir::home().filePath(fallback) : value);
}

} // namespace

QString claudeCredentialsFilePath()
{
    return folderFrom("CLAUDE_CONFIG_DIR", u".claude"_s).absoluteFilePath(u".credentials.json"_s);
}

QString codexAuthFilePath()
{
    return folderFrom("CODEX_HOME", u".codex"_s).absoluteFilePath(u"auth.json"_s);
}
