#!/usr/bin/env bash
# Builds Quotix and runs it with the given arguments. With no arguments and no
# credentials of any provider's tool on this machine, it runs the demo.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
quotix_install_packages "${QUOTIX_PACKAGES[@]}"
quotix_build "$QUOTIX_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOTIX_BUILD_TESTS=OFF

if [ $# -eq 0 ]; then
    copilot_dir="${XDG_CONFIG_HOME:-$HOME/.config}/github-copilot"
    found=no
    for file in "${CLAUDE_CONFIG_DIR:-$HOME/.claude}/.credentials.json" "${CODEX_HOME:-$HOME/.codex}/auth.json" \
        "$copilot_dir/apps.json" "$copilot_dir/hosts.json" "$HOME/.gemini/oauth_creds.json"; do
        [ -e "$file" ] && found=yes
    done
    if [ $found = no ]; then
        echo "No Claude Code, Codex, Copilot or Gemini credentials found: starting with demo data (quotix --demo)." >&2
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
