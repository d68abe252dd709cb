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
# Wayland shells name the panel's window and draw its icon from the desktop
# entry; an installed one wins, else the build's goes to the user's data home.
installed=no
IFS=: read -r -a data_dirs <<<"${XDG_DATA_DIRS:-/usr/local/share:/usr/share}"
for dir in "${data_dirs[@]}"; do
    [ -f "$dir/applications/quotix.desktop" ] && installed=yes
done
user_entry="${XDG_DATA_HOME:-$HOME/.local/share}/applications/quotix.desktop"
if [ "$installed" = no ] && { [ ! -e "$user_entry" ] || grep -q "$QUOTIX_ROOT/build/bin/quotix" "$user_entry"; }; then
    quotix_export_desktop_entry "$QUOTIX_ROOT/build/bin/quotix" "${XDG_DATA_HOME:-$HOME/.local/share}"
fi
exec "$QUOTIX_ROOT/build/bin/quotix" "$@"
