#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a layer it may not use or
# forward-declares a type of one, or a layer's CMakeLists.txt links the
# library of one. The allowed layers are read from the table in
# docs/architecture.md, so the map and the check cannot drift apart.
#   check_layers.sh SOURCE_ROOT
set -euo pipefail
root=${1:?usage: check_layers.sh SOURCE_ROOT}
map="$root/docs/architecture.md"

declare -A allowed
declare -A layerOfTarget
declare -a order=()
while IFS='|' read -r _ folders targets _ _ may _; do
    layer=$(sed -E 's/^ *`src\/([a-z]+).*/\1/' <<<"$folders")
    [[ $layer =~ ^[a-z]+$ ]] || continue
    for target in $(grep -oE 'quotix_[a-z]+' <<<"$targets"); do
        layerOfTarget[$target]=$layer
    done
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

# Where each class or struct of a header is defined.
declare -A layerOfType
for layer in "${order[@]}"; do
    while IFS= read -r name; do
        layerOfType[$name]=$layer
    done < <(grep -rhoE '^(class|struct) [A-Za-z_0-9]+( final)?( :.*)?$' --include='*.h' "$root/src/$layer" \
        | sed -E 's/^(class|struct) ([A-Za-z_0-9]+).*/\2/' || true)
done

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
    # A forward declaration hides a dependency from the include lines: the
    # type it names must be defined in a layer this one may use.
    while IFS= read -r hit; do
        file=${hit%%:*}
        name=$(sed -E 's/.*(class|struct) ([A-Za-z_0-9]+);.*/\2/' <<<"$hit")
        used=${layerOfType[$name]:-}
        if [ -n "$used" ] && [[ " ${allowed[$layer]} " != *" $used "* ]]; then
            echo "${file#"$root"/}: layer '$layer' declares $name of '$used/', which docs/architecture.md does not allow" >&2
            status=1
        fi
    done < <(grep -rnE '^(class|struct) [A-Za-z_0-9]+;' "$root/src/$layer" || true)
    # The libraries each of the layer's targets links, PUBLIC or PRIVATE.
    while IFS= read -r cmakeFile; do
        for target in $(tr '\n' ' ' <"$cmakeFile" | grep -oE 'target_link_libraries\([^)]*\)' | grep -oE 'quotix_[a-z]+' || true); do
            used=${layerOfTarget[$target]:-}
            [ -n "$used" ] || continue # quotix_config and the like belong to no layer
            if [[ " ${allowed[$layer]} " != *" $used "* ]]; then
                echo "${cmakeFile#"$root"/}: layer '$layer' links $target, which docs/architecture.md does not allow" >&2
                status=1
            fi
        done
    done < <(find "$root/src/$layer" -name CMakeLists.txt)
done
[ $status -eq 0 ] && echo "layers: ${#order[@]} checked, no wrong-way include"
exit $status
