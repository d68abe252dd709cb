#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a layer it may not use.
# The allowed layers are read from the table in docs/architecture.md, so the
# map and the check cannot drift apart.
#   check_layers.sh SOURCE_ROOT
set -euo pipefail
root=${1:?usage: check_layers.sh SOURCE_ROOT}
map="$root/docs/architecture.md"

declare -A allowed
declare -a order=()
while IFS='|' read -r _ folders _ _ _ may _; do
    layer=$(sed -E 's/^ *`src\/([a-z]+).*/\1/' <<<"$folders")
    [[ $layer =~ ^[a-z]+$ ]] || continue
    may=$(sed -E 's/^ +| +$//g' <<<"$may")
    case "$may" in
        "everything above") list="${order[*]}" ;;
        nothing | "Qt Core") list="" ;;
        *) list=${may//,/ } ;;
    esac
    allowed[$layer]="$layer $list"
    order+=("$layer")
done < <(grep -E '^\| `src/' "$map")

[ ${#order[@]} -gt 0 ] || { echo "no layer table found in $map" >&2; exit 1; }

status=0
for layer in "${order[@]}"; do
    while IFS= read -r hit; do
        file=${hit%%:*}
        target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$hit")
        if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
            echo "${file#"$root"/}: layer '$layer' includes '$target/', which docs/architecture.md does not allow" >&2
            status=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include "[a-z]+/' "$root/src/$layer" || true)
done
[ $status -eq 0 ] && echo "layers: ${#order[@]} checked, no wrong-way include"
exit $status
