# Shared by run.sh, test.sh, fuzz.sh and bench.sh: install what the build needs, then build.
set -euo pipefail

QUOTIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian 12 packages: build, run, the test suite's desktop stand-ins, and
# what cpack needs for the Debian package (dpkg-shlibdeps, file).
QUOTIX_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libsqlite3-dev
    libgl-dev fonts-dejavu-core
    dbus dbus-x11 xvfb xauth trayer x11-utils xdotool
    dpkg-dev file
)

# Only the fuzz build needs these: clang with its libFuzzer and sanitizer
# runtimes, and the symbolizer for readable stacks.
QUOTIX_FUZZ_PACKAGES=(clang libclang-rt-14-dev llvm-14)
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
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}" >&2
}

# quotix_build BUILD_DIR [cmake options...]
quotix_build() {
    local dir=$1
    shift
    cmake -S "$QUOTIX_ROOT" -B "$dir" -G Ninja "$@" >&2
    cmake --build "$dir" --parallel "$(nproc)" >&2
}
