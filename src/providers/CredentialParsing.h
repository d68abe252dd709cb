#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Pure steps of the credential readers: they see untrusted bytes and never
// fail other than by returning absent.

// The Claude keychain item's password data: a JSON object whose
// "claudeAiOauth" → "accessToken" string is returned exactly as stored.
std::optional<QString> claudeTokenFromKeychainOutput(const QByteArray &output);

// The "Codex Auth" keychain item's password data: the token itself as text,
// surrounding whitespace removed; blank is absent.
std::optional<QString> codexTokenFromKeychainOutput(const QByteArray &output);

// The Codex tool's auth.json: the first string of "tokens" → "access_token",
// "access_token" and "token", exactly as stored.
std::optional<QString> codexTokenFromAuthFile(const QByteArray &contents);
