# Shared by run.sh, test.sh, fuzz.sh and bench.sh: install what the build needs, then build.
set -euo pipefail

QUOTIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The Debian release this runs on, from /etc/os-release: its code name
# ("bookworm" for Debian 12, "trixie" for Debian 13).
quotix_release() {
    (
        . /etc/os-release 2>/dev/null || true
        echo "${VERSION_CODENAME:-unknown}"
    )
}
QUOTIX_RELEASE=$(quotix_release)

# Packages for the build, running, the test suite's desktop stand-ins, and
# what cpack needs for the Debian package (dpkg-shlibdeps, file) and its test
# checks the desktop entry with (desktop-file-validate). The names
# that differ between releases come after the list.
QUOTIX_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libsqlite3-dev
    qt6-tools-dev qt6-l10n-tools
    libgl-dev fonts-dejavu-core
    dbus dbus-x11 xvfb xauth trayer x11-utils xdotool
    dpkg-dev file desktop-file-utils
)
case "$QUOTIX_RELEASE" in
    bookworm)
        # libqt6svg6 holds the SVG icon plugins; clang and its runtimes are 14.
        QUOTIX_LLVM_VERSION=14
        ;;
    *)
        # From Debian 13 on the SVG icon plugins are a package of their own,
        # LLVM is 19, and layer-shell-qt for Qt 6 lets the panel anchor itself
        # on Wayland (optional to the build).
        QUOTIX_PACKAGES+=(qt6-svg-plugins liblayershellqtinterface-dev libwayland-dev)
        QUOTIX_LLVM_VERSION=19
        ;;
esac

# Only the fuzz build needs these: clang with its libFuzzer and sanitizer
# runtimes, and the symbolizer for readable stacks.
QUOTIX_FUZZ_PACKAGES=(clang-$QUOTIX_LLVM_VERSION libclang-rt-$QUOTIX_LLVM_VERSION-dev llvm-$QUOTIX_LLVM_VERSION)
# Only scripts/bench.sh needs these: repeated timings, peak memory, system calls.
QUOTIX_BENCH_PACKAGES=(hyperfine time strace libxcb1-dev)
# Only scripts/desktops.py needs these: what every desktop session uses (its
# driver is Python with D-Bus and image access; OCR reads the hosts' menus),
# then each desktop's own.
QUOTIX_DESKTOP_PACKAGES=(xvfb xauth x11-utils xdotool imagemagick dbus dbus-x11 libglib2.0-bin strace
    fonts-dejavu-core fonts-noto-color-emoji qt6-wayland python3 python3-dbus python3-pil
    tesseract-ocr tesseract-ocr-eng)
QUOTIX_DESKTOP_XFCE_PACKAGES=(xfwm4 xfce4-panel xfce4-notifyd xfconf)
# "A|B,C" is a choice: the first of A or B+C the archive offers in full (the
# release decides: Plasma 6 brings kded6 and runs on Qt 6's Wayland plugin,
# Plasma 5 brings kded5 and needs Qt 5's).
QUOTIX_DESKTOP_KDE_PACKAGES=(kwin-x11 kwin-wayland plasma-workspace plasma-desktop xwayland libcap2-bin
    "kded6|kded5,qtwayland5")
# gjs runs the shell's notification service; Debian 12 has it only as a recommendation.
QUOTIX_DESKTOP_GNOME_PACKAGES=(gnome-shell gnome-shell-extension-appindicator dconf-gsettings-backend dconf-service
    xwayland x11-utils gjs)
QUOTIX_DESKTOP_SWAY_PACKAGES=(sway waybar mako-notifier xwayland util-linux)

quotix_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# Not grep -q: apt-cache would die of a closed pipe, which pipefail reports.
quotix_offered() { apt-cache policy "$1" 2>/dev/null | grep 'Candidate: [^(]' >/dev/null; }

# quotix_choose CHOICE TEST: the first alternative of "A|B,C" whose packages
# all pass TEST, as words; nothing when none does.
quotix_choose() {
    local alternative pkg ok
    local -a alternatives
    IFS='|' read -r -a alternatives <<<"$1"
    for alternative in "${alternatives[@]}"; do
        ok=1
        for pkg in ${alternative//,/ }; do
            "$2" "$pkg" || { ok=; break; }
        done
        [ -n "$ok" ] && { echo "${alternative//,/ }"; return 0; }
    done
    return 1
}

quotix_install_packages() {
    local missing=() choices=()
    local pkg
    for pkg in "$@"; do
        if [[ $pkg == *"|"* ]]; then
            quotix_choose "$pkg" quotix_installed >/dev/null || choices+=("$pkg")
        else
            quotix_installed "$pkg" || missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && [ ${#choices[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -q >&2
    for pkg in "${choices[@]}"; do
        local chosen
        chosen=$(quotix_choose "$pkg" quotix_offered) || { echo "None of $pkg is offered here" >&2; return 1; }
        missing+=($chosen)
    done
    echo "Installing: ${missing[*]}" >&2
    # Through env: sudo drops the caller's environment.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" >&2
}

# quotix_export_desktop_entry BINARY DATA_DIR: the desktop entry and icon for
# a quotix that is not installed. Wayland compositors name and draw a window
# from the desktop entry its app id names ("quotix"), looked up in their own
# data folders: the user's data home is one they share with a build folder.
quotix_export_desktop_entry() {
    local binary=$1 data=$2
    mkdir -p "$data/applications" "$data/icons/hicolor/scalable/apps"
    # Exec= quoted as desktop entries require, for paths with spaces.
    sed "s|^Exec=.*|Exec=\"$binary\"|" "$QUOTIX_ROOT/resources/quotix.desktop" >"$data/applications/quotix.desktop"
    cp "$QUOTIX_ROOT/resources/quotix.svg" "$data/icons/hicolor/scalable/apps/quotix.svg"
}

# quotix_build BUILD_DIR [cmake options...]
quotix_build() {
    local dir=$1
    shift
    cmake -S "$QUOTIX_ROOT" -B "$dir" -G Ninja "$@" >&2
    cmake --build "$dir" --parallel "$(nproc)" >&2
}
