#pragma once

#include <QString>

#include <optional>

// Which login a kept project belongs to: the login file's path, size and
// modification time. Nothing of the token itself is kept or derived.
struct LoginStamp
{
    QString file;
    qint64 size = 0;
    qint64 modifiedMs = 0;

    friend bool operator==(const LoginStamp &, const LoginStamp &) = default;
};

// Absent when the file is not there (nothing to key by).
std::optional<LoginStamp> loginStampOf(const QString &file);

// Gemini's Cloud project per login file, kept between processes (each check
// is a new one) in one small JSON file. The project is no secret. Read
// leniently: a damaged or foreign file counts as empty and is replaced on the
// next write. A failed write only costs one more question next time.
class GeminiProjectCache
{
public:
    explicit GeminiProjectCache(QString path = defaultPath());

    // $XDG_CACHE_HOME/Quotix/gemini-projects.json (the platform's cache folder elsewhere).
    static QString defaultPath();

    // The project kept for exactly this login, if any.
    std::optional<QString> project(const LoginStamp &login) const;
    // Replaces whatever was kept for this login's file.
    void remember(const LoginStamp &login, const QString &project) const;
    void forget(const QString &file) const;

private:
    QString m_path;
};
