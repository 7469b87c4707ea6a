#!/usr/bin/env bash
# Fails when an include in src/ runs against the layers:
#  - a folder includes only itself and the folders on lower layers below, except
#    for the allowed pairs, which include each other;
#  - pure code (what a folder adds to pixmoth_core) never reaches, through any
#    chain of includes, a Qt header or a header of widget code (pixmoth_gui).
# A new folder goes on the layer list before it can be built on.
set -euo pipefail
cd "$(dirname "$0")/../src"

# Lowest first; folders on one line share a layer and do not include each other.
layers=(
    "imaging/bitmap"
    "imaging/effects imaging/resample"
    "imaging/codecs"
    "imaging/codecs/wmf"
    "settings browse/thumbnails"
    "platform"
    "browse imaging/dialogs"
    "document"
    "capture"
    "chrome"
    "icon"
    "app"
    "cli"
)
# The main window owns the document and capture windows, and they reach back to it.
allowed_pairs=(
    "app document"
    "app capture"
)

declare -A rank
for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do
        rank[$folder]=$i
    done
done
declare -A allowed
for pair in "${allowed_pairs[@]}"; do
    read -r a b <<<"$pair"
    allowed["$a $b"]=1
    allowed["$b $a"]=1
done

failures=0
fail() {
    echo "check-layers: $*" >&2
    failures=$((failures + 1))
}

mapfile -t files < <(git ls-files -co --exclude-standard -- '*.h' '*.cpp' '*.cpp.in')
declare -A includes qt
for file in "${files[@]}"; do
    list=""
    while IFS= read -r line; do
        if [[ $line =~ ^#include\ \"([^\"]+)\" ]]; then
            target=${BASH_REMATCH[1]}
            [[ -f $target ]] && list+="$target "
        elif [[ $line =~ ^#include\ \<Q ]]; then
            qt[$file]=1
        fi
    done < <(grep -E '^#include ' "$file" || true)
    includes[$file]=$list
done

# Folder rule.
for file in "${files[@]}"; do
    from=$(dirname "$file")
    if [[ -z ${rank[$from]+x} ]]; then
        fail "$from/ is not on the layer list in scripts/check-layers.sh"
        continue
    fi
    for target in ${includes[$file]}; do
        to=$(dirname "$target")
        [[ $to == "$from" || -n ${allowed["$from $to"]+x} ]] && continue
        if [[ -z ${rank[$to]+x} ]]; then
            fail "$to/ is not on the layer list in scripts/check-layers.sh"
        elif ((rank[$to] >= rank[$from])); then
            fail "$file includes $target: $from/ is not above $to/"
        fi
    done
done

# The sources each folder lists for a library, with their headers.
sources_of() {
    local library=$1 list
    for list in $(git ls-files -- '*CMakeLists.txt'); do
        awk -v lib="$library" -v dir="$(dirname "$list")" '
            $0 ~ "target_sources\\(" lib "( |$)" { on = 1; next }
            on && /\)/ { on = 0 }
            on { for (i = 1; i <= NF; i++) if ($i ~ /\.(cpp|h)$/) {
                     name = $i; sub(/^\$\{CMAKE_CURRENT_BINARY_DIR\}\//, "", name)
                     print dir "/" name } }' "$list"
    done
}
declare -A widget
while read -r source; do
    widget[${source%.*}.h]=1
    widget[$source]=1
done < <(sources_of pixmoth_gui)

# Pure rule: walk every include chain from each pure file.
while read -r source; do
    [[ -f $source ]] || source+=.in # configured at build time
    start=("$source")
    [[ -f ${source%%.*}.h ]] && start+=("${source%%.*}.h")
    for first in "${start[@]}"; do
        declare -A seen=()
        queue=("$first")
        while ((${#queue[@]})); do
            file=${queue[0]}
            queue=("${queue[@]:1}")
            [[ -n ${seen[$file]+x} ]] && continue
            seen[$file]=1
            if [[ $file != "$first" && -n ${widget[$file]+x} ]]; then
                fail "pure $first reaches widget code $file"
            elif [[ -n ${qt[$file]+x} ]]; then
                fail "pure $first reaches Qt through $file"
            fi
            queue+=(${includes[$file]:-})
        done
        unset seen
    done
done < <(sources_of pixmoth_core)

if ((failures)); then
    echo "check-layers: $failures include(s) against the layers" >&2
    exit 1
fi
