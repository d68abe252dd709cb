#include "fetch/GeminiProjectCache.h"

#include "core/Logging.h"
#include "providers/SmallFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 MaxCacheBytes = 64 * 1024;
// Logins come and go (extra accounts' folders); the oldest make room.
constexpr qsizetype MaxLogins = 32;
constexpr int Version = 1;

QJsonArray readLogins(const QString &path)
{
    const std::optional<QByteArray> contents = readSmallFile(path, MaxCacheBytes);
    if (!contents)
        return {};
    const QJsonObject document = QJsonDocument::fromJson(*contents).object();
    if (document.value(u"version"_s).toInt() != Version)
        return {};
    return document.value(u"logins"_s).toArray();
}

bool matches(const QJsonValue &entry, const QString &file)
{
    return entry.isObject() && entry.toObject().value(u"file"_s).toString() == file;
}

void writeLogins(const QString &path, const QJsonArray &logins)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return;
    QSaveFile file(path);
    // Unbuffered: a buffered QSaveFile can commit an empty file on a full disk.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes
        = QJsonDocument(QJsonObject{{u"version"_s, Version}, {u"logins"_s, logins}}).toJson(QJsonDocument::Compact);
    if (file.write(bytes) != bytes.size() || !file.commit())
        qCWarning(lcNetwork).noquote() << "cannot keep Gemini's project in" << path << ":" << file.errorString();
}

} // namespace

std::optional<LoginStamp> loginStampOf(const QString &file)
{
    const QFileInfo info(file);
    if (!info.isFile())
        return std::nullopt;
    return LoginStamp{info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch()};
}

GeminiProjectCache::GeminiProjectCache(QString path)
    : m_path(std::move(path))
{}

QString GeminiProjectCache::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/Quotix/gemini-projects.json"_s;
}

std::optional<QString> GeminiProjectCache::project(const LoginStamp &login) const
{
    for (const QJsonValue &value : readLogins(m_path)) {
        if (!matches(value, login.file))
            continue;
        const QJsonObject entry = value.toObject();
        const QString project = entry.value(u"project"_s).toString();
        // Compared as numbers: JSON keeps integers of this size exactly.
        if (entry.value(u"size"_s).toDouble(-1) == double(login.size)
            && entry.value(u"modified"_s).toDouble(-1) == double(login.modifiedMs) && !project.trimmed().isEmpty())
            return project;
        return std::nullopt;
    }
    return std::nullopt;
}

void GeminiProjectCache::remember(const LoginStamp &login, const QString &project) const
{
    QJsonArray logins;
    for (const QJsonValue &value : readLogins(m_path)) {
        if (value.isObject() && !matches(value, login.file))
            logins.append(value);
    }
    while (logins.size() >= MaxLogins)
        logins.removeFirst();
    logins.append(QJsonObject{{u"file"_s, login.file},
                              {u"size"_s, login.size},
                              {u"modified"_s, login.modifiedMs},
                              {u"project"_s, project}});
    writeLogins(m_path, logins);
}

void GeminiProjectCache::forget(const QString &file) const
{
    const QJsonArray kept = readLogins(m_path);
    QJsonArray logins;
    for (const QJsonValue &value : kept) {
        if (value.isObject() && !matches(value, file))
            logins.append(value);
    }
    if (logins.size() != kept.size())
        writeLogins(m_path, logins);
}
