#pragma once

#include "core/os/KeychainTool.h"

#include <QString>
#include <QStringList>

#include <memory>

// The credential store of this platform: the login keychain through
// /usr/bin/security on macOS; Claude Code's credentials file elsewhere
// ($CLAUDE_CONFIG_DIR when set and not empty, else ~/.claude).
std::unique_ptr<KeychainTool> createPlatformKeychain();

// The Codex tool's credentials file: $CODEX_HOME/auth.json when CODEX_HOME is
// set and not empty, else ~/.codex/auth.json.
QString codexAuthFilePath();

// The files whose appearance, change or removal means a login or logout of
// one of the tools; empty where the credentials live in the keychain.
QStringList credentialFilePaths();
