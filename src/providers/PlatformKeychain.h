#pragma once

#include "core/os/KeychainTool.h"

#include <QString>

#include <memory>

// The credential store of this platform: the login keychain through
// /usr/bin/security on macOS; Claude Code's credentials file elsewhere
// ($CLAUDE_CONFIG_DIR when set and not empty, else ~/.claude).
std::unique_ptr<KeychainTool> createPlatformKeychain();

// The Codex tool's credentials file: $CODEX_HOME/auth.json when CODEX_HOME is
// set and not empty, else ~/.codex/auth.json.
QString codexAuthFilePath();
