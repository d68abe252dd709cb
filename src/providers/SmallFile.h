#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Credential files are a few kilobytes; anything beyond this is not one.
inline constexpr qint64 MaxCredentialFileBytes = 1024 * 1024;

// The whole file, or absent when it is missing, unreadable, not a regular
// file or larger than maxBytes.
std::optional<QByteArray> readSmallFile(const QString &path, qint64 maxBytes);
