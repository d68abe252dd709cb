#!/usr/bin/env bash
# Builds Quotix and runs the whole test suite headless.
#   --sanitize  build with AddressSanitizer and UndefinedBehaviorSanitizer
# QUOTIX_BUILD_DIR picks another build directory.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_dir="$QUOTIX_ROOT/build"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOTIX_BUILD_TESTS=ON)
for arg in "$@"; do
    case "$arg" in
        --sanitize)
            build_dir="$QUOTIX_ROOT/build-sanitize"
            # -O1 keeps the instrumented suite fast enough for CI without
            # losing the stacks' line numbers.
            options=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DQUOTIX_BUILD_TESTS=ON
                -DQUOTIX_SANITIZE=ON)
            # Leaks are checked too; the system libraries' own caches are
            # suppressed in lsan.supp.
            export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}
            export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$QUOTIX_ROOT/scripts/lsan.supp:print_suppressions=0}
            export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
            ;;
        *) echo "usage: scripts/test.sh [--sanitize]" >&2; exit 2 ;;
    esac
done
build_dir=${QUOTIX_BUILD_DIR:-$build_dir}

quotix_install_packages "${QUOTIX_PACKAGES[@]}"
quotix_build "$build_dir" "${options[@]}"

export QT_QPA_PLATFORM=offscreen
cd "$build_dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
