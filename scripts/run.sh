#!/usr/bin/env bash
# Builds Quotix and runs it with the given arguments (try --demo).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
quotix_install_packages "${QUOTIX_PACKAGES[@]}"
quotix_build "$QUOTIX_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOTIX_BUILD_TESTS=OFF
exec "$QUOTIX_ROOT/build/src/app/quotix" "$@"
