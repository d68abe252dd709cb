#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Writes the whole file, its folders too; false when any of it failed.
inline bool writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

// The whole file, or nothing.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A file under tests/data.
inline QByteArray testData(const QString &path)
{
    return readFile(QStringLiteral(QUOTIX_TEST_DATA "/") + path);
}
