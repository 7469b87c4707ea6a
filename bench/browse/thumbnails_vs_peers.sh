#!/usr/bin/env bash
# Thumbnails of a folder of 200 JPEGs, 4000 x 3000 (about 1.5 to 2 MB each)
# and 1920 x 1080: the thumbnail list until every thumbnail is made (both
# cores, and pinned to one), against the same files decoded at 1/8 by
# libjpeg-turbo on its own (in process, one thread: what djpeg -scale 1/8
# does per file), vipsthumbnail -s 91x91! (whole process, its own threads)
# and Pillow's draft() + resize() (in process, one thread), in alternating
# rounds. Then the first thumbnail painted after a listing starts, and
# refills of a listed folder. Prints medians and the median of the rounds'
# ratios.
#   bench/browse/thumbnails_vs_peers.sh [BUILD_DIR] [ROUNDS]   (default build, 5)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
rounds=${2:-5}
bench=$build/bench/bench_thumblist
[[ -x $bench ]] || { echo "build $bench first (-DPIXMOTH_BUILD_BENCH=ON)" >&2; exit 1; }
for tool in convert cjpeg vipsthumbnail taskset; do
    command -v $tool >/dev/null || { echo "missing $tool: scripts/deps.sh bench" >&2; exit 1; }
done
/usr/bin/python3 -c 'import PIL' 2>/dev/null || { echo "missing Pillow: scripts/deps.sh bench" >&2; exit 1; }

data=$build/bench-data/thumbs
# Four photo-like pictures (a smooth fractal with fine detail compresses as a
# photo does) copied to 200 names.
make_folder() { # name width height
    local dir=$data/$1
    [[ -f $dir/p199.jpg ]] && return
    mkdir -p "$dir"
    for seed in 1 2 3 4; do
        convert -seed $seed -size "$2x$3" plasma:fractal -blur 0x1 -depth 8 "$data/src.ppm"
        cjpeg -quality 90 -sample 2x2 "$data/src.ppm" >"$data/$1-$seed.jpg"
    done
    rm -f "$data/src.ppm"
    for i in $(seq 0 199); do
        cp "$data/$1-$((i % 4 + 1)).jpg" "$(printf '%s/p%03d.jpg' "$dir" "$i")"
    done
}
make_folder large 4000 3000
make_folder hd 1920 1080

ms_now() { date +%s%N; }
vips() { # folder -> milliseconds, whole process
    local out start
    out=$(mktemp -d)
    start=$(ms_now)
    vipsthumbnail -s '91x91!' -o "$out/%s.jpg" "$1"/*.jpg
    echo "$((($(ms_now) - start) / 1000))" | awk '{ printf "%.1f\n", $1 / 1000 }'
    rm -rf "$out"
}
pillow() { # folder -> milliseconds, in process
    /usr/bin/python3 - "$1" <<'PY'
import glob, sys, time
from PIL import Image
files = sorted(glob.glob(sys.argv[1] + "/*.jpg"))
start = time.perf_counter()
for name in files:
    with Image.open(name) as im:
        im.draft("RGB", (91, 91))
        im.resize((91, 91), Image.NEAREST)
print("%.1f" % ((time.perf_counter() - start) * 1000))
PY
}
ours() { "$bench" "$@" | awk '{ print $2 }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for folder in large hd; do
    dir=$data/$folder
    declare -a list one dec vi pil
    list=() one=() dec=() vi=() pil=()
    for ((r = 1; r <= rounds; r++)); do
        list+=("$(ours list "$dir" 1)")
        dec+=("$(ours decode "$dir" 1)")
        one+=("$(taskset -c 0 "$bench" list "$dir" 1 | awk '{ print $2 }')")
        vi+=("$(vips "$dir")")
        pil+=("$(pillow "$dir")")
        echo "$folder round $r: list ${list[-1]} one-core ${one[-1]} decode ${dec[-1]} vips ${vi[-1]} pillow ${pil[-1]} ms" >&2
    done
    ratio() { paste <(printf '%s\n' "${!1}") <(printf '%s\n' "${!2}") | awk '{ print $1 / $2 }' | median; }
    row() { # label values[@] baseline values[@]
        local m
        m=$(printf '%s\n' "${!2}" | median)
        awk -v l="$1" -v m="$m" -v r="$(ratio "$2" "$3")" \
            'BEGIN { printf "| %s | %.0f ms | %.2f ms | %.3f |\n", l, m, m / 200, r }'
    }
    echo "| $folder: 200 files | total (median) | per file | ratio to libjpeg-turbo 1/8 (median of rounds) |"
    echo "|---|---|---|---|"
    row "libjpeg-turbo 1/8 decode, one thread" 'dec[@]' 'dec[@]'
    row "Pixmoth list, both cores" 'list[@]' 'dec[@]'
    row "Pixmoth list, one core" 'one[@]' 'dec[@]'
    row "vipsthumbnail -s 91x91!" 'vi[@]' 'dec[@]'
    row "Pillow draft() + resize()" 'pil[@]' 'dec[@]'
    echo
done
for folder in large hd; do
    for mode in first refill return; do
        echo "$folder $mode: $(ours "$mode" "$data/$folder" 9) ms (median of 9)"
    done
done
