#!/usr/bin/env bash
# Keeps the core's folders layered: a folder may include its own headers and those of folders in lower
# layers, never a folder of its own layer or above, and nothing in core/ includes the program (app/) or
# reaches around the layers with "../". A new core folder must be given a layer here.
# Usage: scripts/check-layers.sh [source root]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# Bottom layer first. Folders on one line are independent of each other.
layers=(
    "text time url"
    "json nowplaying"
    "theme slack"
    "config"
    "rendering matching mascot"
    "ownership"
    "genres"
)

declare -A layerOf=()
for index in "${!layers[@]}"; do
    for folder in ${layers[$index]}; do
        layerOf[$folder]=$index
    done
done

status=0
fail() {
    echo "$1" >&2
    status=1
}

for folder in core/*/; do
    folder=${folder#core/}
    folder=${folder%/}
    if [ -z "${layerOf[$folder]+set}" ]; then
        fail "core/$folder: not given a layer in scripts/check-layers.sh"
    fi
done

while IFS= read -r -d '' file; do
    relative=${file#core/}
    own=${relative%%/*}
    [ "$own" = "$relative" ] && own=""
    lineNumber=0
    while IFS= read -r line; do
        lineNumber=$((lineNumber + 1))
        [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"\<]([^\"\>]+)[\"\>] ]] || continue
        included=${BASH_REMATCH[1]}
        where="$file:$lineNumber"
        if [[ $included == app/* ]]; then
            fail "$where: the core includes the program: $included"
        elif [[ $included == *../* ]]; then
            fail "$where: includes by a relative path: $included (name it from the source root)"
        elif [[ $included == core/*/* ]]; then
            target=${included#core/}
            target=${target%%/*}
            if [ -z "${layerOf[$target]+set}" ]; then
                fail "$where: includes core/$target, which has no layer"
            elif [ -n "$own" ] && [ "$target" != "$own" ] && [ -n "${layerOf[$own]+set}" ] &&
                [ "${layerOf[$target]}" -ge "${layerOf[$own]}" ]; then
                fail "$where: core/$own may not include core/$target (same layer or above): $included"
            fi
        fi
    done <"$file"
done < <(find core -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.inc' \) -print0 | sort -z)

if [ "$status" -eq 0 ]; then
    echo "check-layers: the core's includes follow its layers"
fi
exit "$status"
