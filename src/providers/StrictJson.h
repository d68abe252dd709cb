#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <optional>

// Parses UTF-8 JSON whose top level is an object or an array, nothing else.
// Invalid UTF-8 anywhere fails with QJsonParseError::IllegalUTF8String.
std::optional<QJsonDocument> parseStrictJson(const QByteArray &data, QJsonParseError *error = nullptr);

// Whether data is well-formed UTF-8 (no replacement takes place).
bool isValidUtf8(const QByteArray &data);
