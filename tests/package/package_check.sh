#!/bin/sh
# "cpack -G DEB" turns this build tree into a package that installs under /usr
# with the programs, their desktop integration, the manual page, the shell
# completion and the Debian documents, and takes its library dependencies
# from dpkg-shlibdeps. The manual page and the completion know every command.
# Usage: package_check.sh CPACK BUILD_DIR VERSION METAINFO    Exit 77: a needed tool is missing.
set -u

cpack=$1
build=$2
version=$3
metainfo=$4

for tool in dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed (Debian packages dpkg-dev, file)"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb="$work/out/quotix_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/out"; echo "FAIL: no $(basename "$deb")"; exit 1; }

# Paths and modes, "./usr/bin/quotix" for example.
dpkg-deb -c "$deb" | awk '{ print $1, $2, $6 }' >"$work/contents"
for file in usr/bin/quotix usr/libexec/quotix/quotix-gui usr/libexec/quotix/quotix-status; do
    grep -qx -- "-rwxr-xr-x root/root \./$file" "$work/contents" || fail "$file missing or not an executable owned by root"
done
for file in usr/share/applications/quotix.desktop usr/share/icons/hicolor/scalable/apps/quotix.svg \
    usr/share/metainfo/quotix.metainfo.xml usr/share/man/man1/quotix.1.gz \
    usr/share/bash-completion/completions/quotix usr/share/doc/quotix/copyright usr/share/doc/quotix/changelog.gz; do
    grep -qx -- "-rw-r--r-- root/root \./$file" "$work/contents" || fail "$file missing or not a plain file owned by root"
done
# A build tree configured for /usr/local still packages for /usr.
awk '$3 != "./" && $3 !~ /^\.\/usr\// { print "FAIL: outside /usr: " $3; bad = 1 } END { exit bad }' \
    "$work/contents" || status=1
grep -v '^d' "$work/contents" | grep -q 'usr/local' && fail "something installs under usr/local"
# The checks below read those files.
[ "$status" -eq 0 ] || { sed 's/^/  package: /' "$work/contents"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quotix ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
field Maintainer | grep -q '^[^<]*<[^@>]*@[^>]*>$' || fail "Maintainer needs a name and an address: $(field Maintainer)"
depends=$(field Depends)
# Debian 13 renamed some libraries for 64-bit time ("libqt6core6t64").
for package in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6dbus6; do
    echo "$depends" | grep -Eq "(^|, )$package(t64)?( \(|,|$)" || fail "Depends lacks $package: $depends"
done
# The pictures are drawn from recordings made at build time, not by Qt SVG.
echo "$depends" | grep -q libqt6svg && fail "Depends names Qt SVG: $depends"

dpkg-deb -x "$deb" "$work/root"
root=$work/root

# The launcher finds the programs behind it in the installed layout.
"$root/usr/bin/quotix" status --version >"$work/out.txt" 2>&1 && grep -qx "quotix $version" "$work/out.txt" \
    || fail "quotix status --version: $(cat "$work/out.txt")"
"$root/usr/bin/quotix" --version >"$work/out.txt" 2>&1 && grep -qx "quotix $version" "$work/out.txt" \
    || fail "quotix --version: $(cat "$work/out.txt")"

# gzip -n: no file name and a zero time stamp in the header, as Debian wants.
for file in usr/share/man/man1/quotix.1.gz usr/share/doc/quotix/changelog.gz; do
    gzip -t "$root/$file" || fail "$file is not gzip"
    header=$(od -An -tx1 -j3 -N5 "$root/$file" | tr -d ' \n')
    [ "$header" = 0000000000 ] || fail "$file has a name or time stamp in its gzip header"
done
gzip -dc "$root/usr/share/man/man1/quotix.1.gz" | grep -q "^\.TH QUOTIX 1 .*\"Quotix $version\"" \
    || fail "the manual page does not name version $version"
# Every release is recorded where Debian and the software centres read it.
gzip -dc "$root/usr/share/doc/quotix/changelog.gz" | head -n 1 | grep -q "^quotix ($version) " \
    || fail "changelog.gz does not start with version $version"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in the AppStream record"

# Every command "quotix --help" names has its part in the manual page, which
# reads without a warning, and is completed.
commands=$("$root/usr/bin/quotix" --help | grep -o '"quotix [a-z]*' | cut -d' ' -f2 | tr '\n' ' ')
page=$work/quotix.1
gzip -dc "$root/usr/share/man/man1/quotix.1.gz" >"$page"
for command in $commands; do
    sed -n '/^\.SH COMMANDS/,/^\.SH [^C]/p' "$page" | grep -Eq "^\.BI? $command( |\$)" \
        || fail "the manual page has no part on quotix $command"
done
if command -v groff >/dev/null 2>&1; then
    warnings=$(groff -ww -z -man -Tutf8 "$page" 2>&1)
    [ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
fi
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$root/usr/share/applications/quotix.desktop" >"$work/out.txt" 2>&1 \
        || fail "the desktop entry: $(cat "$work/out.txt")"
fi

# The completion loads in bash and completes the commands and their options.
if command -v bash >/dev/null 2>&1; then
    completions() {
        # shellcheck disable=SC2016
        bash -c '. "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _quotix; echo "${COMPREPLY[*]}"' \
            sh "$root/usr/share/bash-completion/completions/quotix" "$@"
    }
    [ "$(completions quotix '') " = "$commands" ] || fail "completion of quotix: $(completions quotix ''), not $commands"
    [ "$(completions quotix history --provider '')" = "claude codex copilot gemini" ] \
        || fail "completion of quotix history --provider: $(completions quotix history --provider '')"
    [ "$(completions quotix status --)" = "--json --format --remaining --follow --demo --help --version" ] \
        || fail "completion of quotix status --: $(completions quotix status --)"
    [ "$(completions quotix --)" = "--demo --help --version" ] || fail "completion of quotix --: $(completions quotix --)"
fi

[ "$status" -eq 0 ] && echo "PASS: $(basename "$deb"), Depends: $depends"
exit "$status"
