#!/usr/bin/env bash
# Builds Quotix and runs the whole test suite headless.
#   --sanitize  build with AddressSanitizer and UndefinedBehaviorSanitizer
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_dir="$QUOTIX_ROOT/build"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOTIX_BUILD_TESTS=ON)
for arg in "$@"; do
    case "$arg" in
        --sanitize)
            build_dir="$QUOTIX_ROOT/build-sanitize"
            options=(-DCMAKE_BUILD_TYPE=Debug -DQUOTIX_BUILD_TESTS=ON -DQUOTIX_SANITIZE=ON)
            export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
            export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
            ;;
        *) echo "usage: scripts/test.sh [--sanitize]" >&2; exit 2 ;;
    esac
done

quotix_install_packages "${QUOTIX_PACKAGES[@]}"
quotix_build "$build_dir" "${options[@]}"

export QT_QPA_PLATFORM=offscreen
cd "$build_dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
