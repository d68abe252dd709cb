#!/usr/bin/env bash
# Builds Quotix and runs the whole test suite inside a fresh Debian system of
# another release, made here with debootstrap and removed afterwards, so one
# machine proves both releases. Needs root (debootstrap, chroot, mounts).
#   scripts/test-release.sh [RELEASE]   default: trixie (Debian 13)
# Nothing is kept between runs: the system, its packages and the build start
# from scratch each time. QUOTIX_RELEASE_DIR picks where the system is made
# (default: a new folder under /var/tmp).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

release=${1:-trixie}
case "$release" in
    '' | *[!a-z]*) echo "usage: scripts/test-release.sh [RELEASE]" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "test-release.sh: needs root for debootstrap, chroot and mounts" >&2; exit 2; }
quotix_install_packages debootstrap git

# The archive apt already uses here, else Debian's own.
archive=$(sed -n 's/^URIs: *\([^ ]*\/debian\)\/\{0,1\}$/\1/p; s/^deb  *\(\[[^]]*\] *\)\{0,1\}\([^ ]*\/debian\)\/\{0,1\}  *.*/\2/p' \
    /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null | head -n 1) || true
archive=${archive:-http://deb.debian.org/debian}

root=${QUOTIX_RELEASE_DIR:-$(mktemp -d /var/tmp/quotix-$release.XXXXXX)}
mounted=()
mounts_under_root() { awk -v r="$root/" 'index($2 "/", r) == 1 { print $2 }' /proc/self/mounts; }
cleanup() {
    local status=$? pid i
    # What the suite left running inside holds the mounts.
    for pid in /proc/[0-9]*; do
        [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && kill -KILL "${pid#/proc/}" 2>/dev/null
    done
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" || true
    done
    # Never remove a folder that still shows the machine's own /dev or /proc.
    if [ -n "$(mounts_under_root)" ]; then
        echo "test-release.sh: still mounted, $root left in place:" $(mounts_under_root) >&2
    else
        rm -rf "$root"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$SECONDS
echo "test-release.sh: Debian $release from $archive in $root" >&2
debootstrap --variant=minbase "$release" "$root" "$archive" >"$root.debootstrap.log" 2>&1 \
    || { tail -n 20 "$root.debootstrap.log" >&2; rm -f "$root.debootstrap.log"; exit 1; }
rm -f "$root.debootstrap.log"
echo "test-release.sh: system made in $((SECONDS - started)) s" >&2

for fs in proc sys dev dev/pts; do
    mount --bind "/$fs" "$root/$fs"
    mounted+=("$root/$fs")
done

# The sources as they are here, edits included, without build trees.
mkdir -p "$root/src/quotix"
git -C "$QUOTIX_ROOT" ls-files -z --cached --others --exclude-standard |
    tar -C "$QUOTIX_ROOT" --null -T - -cf - | tar -C "$root/src/quotix" -xf -

# The suite as a new user of that release runs it: the README's command.
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /src/quotix && bash scripts/test.sh'
echo "test-release.sh: Debian $release passed in $((SECONDS - started)) s" >&2
