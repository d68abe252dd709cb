#pragma once

#include "core/os/CredentialStore.h"

#include <QString>
#include <QStringList>

#include <memory>

// The credential store of this platform: the login keychain through
// /usr/bin/security on macOS; elsewhere Claude Code's credentials file, which
// holds what its keychain item would.
std::unique_ptr<CredentialStore> createPlatformCredentialStore();

// Claude Code's credentials file: $CLAUDE_CONFIG_DIR/.credentials.json when
// CLAUDE_CONFIG_DIR is set and not empty, else ~/.claude/.credentials.json.
QString claudeCredentialsFilePath();

// The Codex tool's credentials file: $CODEX_HOME/auth.json when CODEX_HOME is
// set and not empty, else ~/.codex/auth.json.
QString codexAuthFilePath();

// The files the platform's store reads its items from, absolute: Claude
// Code's credentials file on Linux, none where the store is a keychain.
QStringList platformStoreFilePaths();
