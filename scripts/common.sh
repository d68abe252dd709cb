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
# what cpack needs for the Debian package (dpkg-shlibdeps, file). The names
# that differ between releases come after the list.
QUOTIX_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libsqlite3-dev
    qt6-tools-dev qt6-l10n-tools
    libgl-dev fonts-dejavu-core
    dbus dbus-x11 xvfb xauth trayer x11-utils xdotool
    dpkg-dev file
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

quotix_install_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -q >&2
    # Through env: sudo drops the caller's environment.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" >&2
}

# quotix_build BUILD_DIR [cmake options...]
quotix_build() {
    local dir=$1
    shift
    cmake -S "$QUOTIX_ROOT" -B "$dir" -G Ninja "$@" >&2
    cmake --build "$dir" --parallel "$(nproc)" >&2
}
