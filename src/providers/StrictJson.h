#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include "core/FetchJob.h"

#include <QJsonObject>

#include <optional>
#include <variant>

// Parses UTF-8 JSON whose top level is an object or an array, nothing else.
// Invalid UTF-8 anywhere fails with QJsonParseError::IllegalUTF8String.
std::optional<QJsonDocument> parseStrictJson(const QByteArray &data, QJsonParseError *error = nullptr);

// A usage answer's top-level object, or what its status or body makes of it:
// 401 not logged in to providerName, 403 a missing scope, another non-200 an
// API error, a body that is no JSON object an invalid response.
std::variant<QJsonObject, FetchResult> answerObject(int status, const QByteArray &body, const QString &providerName);

// Whether data is well-formed UTF-8 (no replacement takes place).
bool isValidUtf8(const QByteArray &data);
