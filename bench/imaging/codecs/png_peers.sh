#!/usr/bin/env bash
# PNG decoding and encoding of a 1920 x 1080 screenshot-like picture and a
# 4000 x 3000 photo-like one: Pixmoth (build/bench/bench_png, in process)
# against libpng used directly, libspng (when the bench was built with it) and
# Pillow, in alternating rounds. Prints, per picture and step, each side's
# median processor milliseconds and the median of the rounds' ratios; then the
# same for wall-clock time. On a shared, loaded machine the processor time is
# the steadier figure: wall time then mostly measures the wait for a core.
#   bench/imaging/codecs/png_peers.sh [ROUNDS]   (default 7)
#
# Pixmoth encodes at its own level (kPngCompressionLevel, 4), libpng and
# libspng at the same level, Pillow at its default level, 6. Pixmoth decodes
# from the file into its bitmap (BGR); libpng, libspng and Pillow from the file
# into RGB rows.
set -euo pipefail
cd "$(dirname "$0")/../../.."
rounds=${1:-7}
bench=build/bench/bench_png
python=/usr/bin/python3 # Debian's, with python3-pil
[[ -x $bench ]] || { echo "build $bench first (-DPIXMOTH_BUILD_BENCH=ON)" >&2; exit 1; }
command -v convert >/dev/null || { echo "missing convert: scripts/deps.sh bench" >&2; exit 1; }
"$python" -c 'import PIL' 2>/dev/null || { echo "missing python3-pil: scripts/deps.sh bench" >&2; exit 1; }

data=build/bench-data
mkdir -p $data
screen=$data/png-bench-screen-1920x1080.png
photo=$data/png-bench-photo-4000x3000.png
[[ -s $screen ]] || "$python" bench/imaging/codecs/make_screen_png.py "$screen"
# A smooth fractal with fine detail, as the JPEG benchmark's photo.
[[ -s $photo ]] || convert -seed 7 -size 4000x3000 plasma:fractal -blur 0x1 -depth 8 "$photo"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
filter='^BM_(DecodePng|DecodeLibpng|EncodePng|EncodeLibpng/4|DecodeSpng|EncodeSpng/4)/'
# Appends "SIDE STEP CPU_MS WALL_MS" lines to $out/PICTURE.
ours() { # picture name, file
    PIXMOTH_PNG_BENCH_FILE=$2 $bench --benchmark_filter="$filter" --benchmark_min_time=0.3 \
        --benchmark_format=csv 2>/dev/null | awk -F, '
            NR == 1 { for (i = 1; i <= NF; i++) { if ($i == "real_time") r = i; if ($i == "cpu_time") c = i } next }
            { gsub(/"/, "", $1); split($1, n, "/"); name = n[1]
              side = name ~ /Libpng/ ? "libpng" : name ~ /Spng/ ? "libspng" : "pixmoth"
              step = name ~ /Decode/ ? "decode" : "encode"
              print side, step, $c, $r }' >>"$out/$1"
}
pillow() { # picture name, file, repeat
    "$python" bench/imaging/codecs/png_pillow.py "$2" "$3" | awk '{ print "pillow", $1, $2, $3 }' >>"$out/$1"
}
for ((r = 1; r <= rounds; r++)); do
    for picture in screen photo; do
        file=${!picture}
        repeat=$([[ $picture == screen ]] && echo 5 || echo 1)
        if ((r % 2)); then ours $picture "$file"; pillow $picture "$file" $repeat
        else pillow $picture "$file" $repeat; ours $picture "$file"; fi
    done
    echo "round $r of $rounds done" >&2
done

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
values() { awk -v s="$2" -v t="$3" -v col="$4" '$1 == s && $2 == t { print $col }' "$out/$1"; }
ratio() { # picture, step, column, peer: the median of Pixmoth / peer, round by round
    paste <(values "$1" pixmoth "$2" "$3") <(values "$1" "$4" "$2" "$3") |
        awk 'NF == 2 && $2 > 0 { print $1 / $2 }' | median
}
table() { # column (3 processor, 4 wall), title
    echo
    echo "$2, median ms of $rounds rounds:"
    echo
    echo "| picture | step | Pixmoth | libpng | libspng | Pillow | Pixmoth / libpng | Pixmoth / Pillow |"
    echo "|---|---|---|---|---|---|---|---|"
    for picture in screen photo; do
        for step in decode encode; do
            row="| $picture | $step"
            for side in pixmoth libpng libspng pillow; do
                row+=" | $(values $picture $side $step "$1" | median)"
            done
            row+=" | $(ratio $picture $step "$1" libpng) | $(ratio $picture $step "$1" pillow) |"
            echo "$row"
        done
    done
}
table 3 "Processor time"
table 4 "Wall-clock time"
