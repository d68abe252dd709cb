#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// Pure steps of the credential readers: they see untrusted bytes and never
// fail other than by returning absent.

// A login a command-line tool stored: the token, and when it stops working
// where the store says.
struct StoredLogin
{
    QString accessToken;
    std::optional<QDateTime> expiresAt;
};

// The Claude keychain item's password data: a JSON object whose
// "claudeAiOauth" → "accessToken" string is returned exactly as stored.
std::optional<QString> claudeTokenFromKeychainOutput(const QByteArray &output);
// The same token, with "claudeAiOauth" → "expiresAt" (milliseconds since 1970)
// when that is a number.
std::optional<StoredLogin> claudeLoginFromKeychainOutput(const QByteArray &output);

// The "Codex Auth" keychain item's password data: the token itself as text,
// surrounding whitespace removed; blank is absent. The Codex tool's keyring
// mode stores its whole auth.json there instead: a JSON object with
// "tokens" → "access_token" gives that token.
std::optional<QString> codexTokenFromKeychainOutput(const QByteArray &output);

// The "exp" claim of a JSON Web Token, read without verifying anything;
// absent when the token is no JWT or has no such claim.
std::optional<QDateTime> jwtExpiry(const QString &token);

// The Codex tool's auth.json: the first string of "tokens" → "access_token",
// "access_token" and "token", exactly as stored.
std::optional<QString> codexTokenFromAuthFile(const QByteArray &contents);
