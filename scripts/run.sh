#!/usr/bin/env bash
# Builds Quotix and runs it with the given arguments. With no arguments and no
# credentials of Claude Code or Codex on this machine, it runs the demo.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
quotix_install_packages "${QUOTIX_PACKAGES[@]}"
quotix_build "$QUOTIX_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOTIX_BUILD_TESTS=OFF

if [ $# -eq 0 ]; then
    claude_file="${CLAUDE_CONFIG_DIR:-$HOME/.claude}/.credentials.json"
    codex_file="${CODEX_HOME:-$HOME/.codex}/auth.json"
    if [ ! -e "$claude_file" ] && [ ! -e "$codex_file" ]; then
        echo "No Claude Code or Codex credentials found: starting with demo data (quotix --demo)." >&2
        set -- --demo
    fi
fi
exec "$QUOTIX_ROOT/build/bin/quotix" "$@"
