#include "providers/PlatformKeychain.h"

#include <QDir>
#include <QtGlobal>

using namespace Qt::StringLiterals;

QString codexAuthFilePath()
{
    const QString codexHome = qEnvironmentVariable("CODEX_HOME");
    const QDir base(codexHome.isEmpty() ? QDir::home().filePath(u".codex"_s) : codexHome);
    return base.absoluteFilePath(u"auth.json"_s);
}
