#!/bin/sh
# "cmake --install" puts the program and its desktop integration in their
# XDG places under the prefix.
# Usage: install_check.sh BUILD_DIR
set -u

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
prefix="$work/usr"

cmake --install "$1" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; echo "FAIL: install"; exit 1; }

status=0
for file in bin/quotix share/applications/quotix.desktop share/icons/hicolor/scalable/apps/quotix.svg \
    share/metainfo/quotix.metainfo.xml; do
    if [ -f "$prefix/$file" ]; then
        echo "installed: $file"
    else
        echo "FAIL: missing $file"
        status=1
    fi
done
[ -x "$prefix/bin/quotix" ] || { echo "FAIL: bin/quotix is not executable"; status=1; }
grep -qx 'Exec=quotix' "$prefix/share/applications/quotix.desktop" || { echo "FAIL: Exec= of the desktop entry"; status=1; }
grep -qx 'Icon=quotix' "$prefix/share/applications/quotix.desktop" || { echo "FAIL: Icon= of the desktop entry"; status=1; }

# The validators, where installed, have the last word on the formats.
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$prefix/share/applications/quotix.desktop" || status=1
fi
# The component id is the desktop entry's, "quotix": a reverse-DNS id would
# need a domain the project owns, and there is no homepage to name, so that
# advice is taken as information (a list in AppStream 1.0, which counts only
# the last --override; 0.16 does not know the homepage check).
if command -v appstreamcli >/dev/null 2>&1; then
    overrides=cid-desktopapp-is-not-rdns=info
    appstreamcli --version | grep -q 'version: *0\.' || overrides=$overrides,url-homepage-missing=info
    appstreamcli validate --no-net "--override=$overrides" "$prefix/share/metainfo/quotix.metainfo.xml" || status=1
fi
[ "$status" -eq 0 ] && echo "PASS"
exit "$status"
