#!/usr/bin/env bash
# Builds the Debian package of Quotix and prints the path of the .deb.
#   --lint  also check the package with lintian, the AppStream record
#           with appstreamcli and the desktop entry with desktop-file-validate
# QUOTIX_BUILD_DIR picks another build directory.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

lint=false
for arg in "$@"; do
    case "$arg" in
        --lint) lint=true ;;
        *) echo "usage: scripts/package.sh [--lint]" >&2; exit 2 ;;
    esac
done
build_dir=${QUOTIX_BUILD_DIR:-$QUOTIX_ROOT/build-package}

# The build's packages include dpkg-dev (dpkg-shlibdeps for the Depends field,
# dpkg-buildflags) and file, which cpack uses to find the binaries.
packages=("${QUOTIX_PACKAGES[@]}")
$lint && packages+=(lintian appstream)
quotix_install_packages "${packages[@]}"

# The distribution's hardening flags (stack protector, fortified functions,
# read-only relocations bound at start), as Debian packages are built with.
# The prefix map in them is relative to the current folder.
cd "$QUOTIX_ROOT"
export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DQUOTIX_BUILD_TESTS=OFF
    "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags")
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
quotix_build "$build_dir" "${options[@]}"

cd "$build_dir"
rm -f quotix_*.deb
cpack -G DEB >&2
deb=$(ls "$build_dir"/quotix_*.deb)

if $lint; then
    status=0
    # The component id is the desktop entry's, "quotix": a reverse-DNS id would
    # need a domain the project owns, and it has no homepage to name either, so
    # that advice is taken as information. AppStream 1.0 counts only the last
    # --override and takes a list; 0.16 does not know the homepage check.
    overrides=cid-desktopapp-is-not-rdns=info
    appstreamcli --version | grep -q 'version: *0\.' || overrides+=,url-homepage-missing=info
    appstreamcli validate --no-net --pedantic "--override=$overrides" \
        "$QUOTIX_ROOT/resources/quotix.metainfo.xml" >&2 || status=1
    desktop-file-validate "$QUOTIX_ROOT/resources/quotix.desktop" >&2 || status=1
    lintian --fail-on error --info "$deb" >&2 || status=1
    [ "$status" -eq 0 ] || { echo "package.sh: the checks found errors" >&2; exit 1; }
fi
echo "$deb"
