#!/usr/bin/env bash
# Fails when a text marked in src/ is missing from the German or Japanese
# catalogue: lupdate, run on copies of them, adds such a text unfinished.
#   check_catalogues.sh LUPDATE ROOT
set -euo pipefail
lupdate=$1 root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/translations/quotix_*.ts "$work"/
"$lupdate" -silent -locations none -no-obsolete -extensions cpp,h "$root/src" -ts "$work"/quotix_*.ts
if grep -q 'type="unfinished"' "$work"/quotix_*.ts; then
    echo 'Not in the catalogues (see "Texts and translations" in docs/architecture.md):' >&2
    grep -h -B1 'type="unfinished"' "$work"/quotix_*.ts | sed -n 's:.*<source>\(.*\)</source>.*:\1:p' | sort -u >&2
    exit 1
fi
