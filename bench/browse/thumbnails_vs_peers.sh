#!/usr/bin/env bash
# Thumbnails of a folder of 200 JPEGs, 4000 x 3000 (about 1.5 to 2 MB each)
# and 1920 x 1080: the thumbnail list until every thumbnail is made (both
# cores, and pinned to one), against the same files decoded at 1/8 by
# libjpeg-turbo on its own (in process, one thread: what djpeg -scale 1/8
# does per file), vipsthumbnail -s 91x91! (whole process, its own threads)
# and Pillow's draft() + resize() (in process, one thread), in alternating
# rounds. Then the first thumbnail painted after a listing starts, and
# refills of a listed folder. Prints medians of wall and processor time per
# file and the median of the rounds' ratios.
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

# Each measurement prints "WALL_MS PROCESSOR_MS" (processor: user + system of
# every thread, the steadier figure when other work shares the cores).
vips() { # folder, whole process
    /usr/bin/python3 - "$1" <<'PY'
import glob, resource, subprocess, sys, tempfile, time
with tempfile.TemporaryDirectory() as out:
    start = time.perf_counter()
    subprocess.run(["vipsthumbnail", "-s", "91x91!", "-o", out + "/%s.jpg"]
                   + sorted(glob.glob(sys.argv[1] + "/*.jpg")), check=True)
    wall = time.perf_counter() - start
use = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.1f %.1f" % (wall * 1000, (use.ru_utime + use.ru_stime) * 1000))
PY
}
pillow() { # folder, in process
    /usr/bin/python3 - "$1" <<'PY'
import glob, sys, time
from PIL import Image
files = sorted(glob.glob(sys.argv[1] + "/*.jpg"))
start, cpu = time.perf_counter(), time.process_time()
for name in files:
    with Image.open(name) as im:
        im.draft("RGB", (91, 91))
        im.resize((91, 91), Image.NEAREST)
print("%.1f %.1f" % ((time.perf_counter() - start) * 1000, (time.process_time() - cpu) * 1000))
PY
}
ours() { "$bench" "$@" | awk '{ print $2, $3 }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for folder in large hd; do
    dir=$data/$folder
    declare -a list one dec vi pil
    list=() one=() dec=() vi=() pil=()
    for ((r = 1; r <= rounds; r++)); do
        list+=("$(ours list "$dir" 1)")
        dec+=("$(ours decode "$dir" 1)")
        one+=("$(taskset -c 0 "$bench" list "$dir" 1 | awk '{ print $2, $3 }')")
        vi+=("$(vips "$dir")")
        pil+=("$(pillow "$dir")")
        echo "$folder round $r (wall processor): list ${list[-1]}, one-core ${one[-1]}," \
            "decode ${dec[-1]}, vips ${vi[-1]}, pillow ${pil[-1]} ms; load $(cut -d' ' -f1 /proc/loadavg)" >&2
    done
    # column $1 (1 wall, 2 processor) of the rounds of array $2
    col() { local -n values=$2; printf '%s\n' "${values[@]}" | awk -v c="$1" '{ print $c }'; }
    ratio() { paste <(col "$1" "$2") <(col "$1" "$3") | awk '{ print $1 / $2 }' | median; }
    row() { # label array baseline-array
        local w p
        w=$(col 1 "$2" | median)
        p=$(col 2 "$2" | median)
        awk -v l="$1" -v w="$w" -v p="$p" -v rw="$(ratio 1 "$2" "$3")" -v rp="$(ratio 2 "$2" "$3")" \
            'BEGIN { printf "| %s | %.2f ms | %.3f | %.2f ms | %.3f |\n", l, w / 200, rw, p / 200, rp }'
    }
    echo "| $folder: 200 files, per file | wall | ratio | processor | ratio |"
    echo "|---|---|---|---|---|"
    row "libjpeg-turbo 1/8 decode, one thread" dec dec
    row "Pixmoth list, both cores" list dec
    row "Pixmoth list, one core" one dec
    row "vipsthumbnail -s 91x91!" vi dec
    row "Pillow draft() + resize()" pil dec
    echo
done
for folder in large hd; do
    for mode in first refill return; do
        echo "$folder $mode: $(ours "$mode" "$data/$folder" 9) ms (median of 9)"
    done
done
