#!/usr/bin/env bash
# JPEG encode and decode of a 4000 x 3000 photo-like picture: Pixmoth in process
# (build/bench/bench_jpeg) against libjpeg-turbo's own tjbench on the same files,
# in alternating rounds; prints the median speed of each side and the median of
# the rounds' ratios.
#   bench/imaging/codecs/jpeg_vs_tjbench.sh [ROUNDS] [SECONDS_PER_MEASUREMENT]   (default 5 rounds, 5 s)
#
# Like with like: the program encodes with libjpeg's default accurate integer DCT
# and decodes with fancy upsampling, so tjbench runs with -accuratedct (its
# compressor otherwise uses the fast DCT) and without -fastupsample; both work
# on BGR rows top-down at quality 90, 4:2:0, and time wall clock per picture.
set -euo pipefail
cd "$(dirname "$0")/../../.."
rounds=${1:-5}
seconds=${2:-5}
bench=build/bench/bench_jpeg
[[ -x $bench ]] || { echo "build $bench first (-DPIXMOTH_BUILD_BENCH=ON)" >&2; exit 1; }
# The peers: tjbench and cjpeg (libjpeg-turbo-progs), convert (imagemagick).
for tool in tjbench cjpeg convert; do
    command -v $tool >/dev/null || { echo "missing $tool: scripts/deps.sh test" >&2; exit 1; }
done

data=build/bench-data
mkdir -p $data
ppm=$data/jpeg-bench-4000x3000.ppm
jpg=$data/jpeg-bench-4000x3000.jpg
if [[ ! -s $ppm ]]; then
    # A smooth fractal with fine detail compresses about as a photo does (~1 bit a pixel).
    convert -seed 7 -size 4000x3000 plasma:fractal -blur 0x1 -depth 8 "$ppm"
fi
if [[ ! -s $jpg ]]; then
    cjpeg -quality 90 -sample 2x2 -dct int "$ppm" >"$jpg"
fi

# Megapixels per second from tjbench's -quiet table (its columns are Mpixels/sec).
tj_encode() {
    tjbench "$ppm" 90 -subsamp 420 -accuratedct -benchtime "$seconds" -warmup 1 -nowrite -quiet |
        awk '$1 == "BGR" { print $7 }'
}
tj_decode() {
    tjbench "$jpg" -accuratedct -benchtime "$seconds" -warmup 1 -nowrite -quiet |
        awk '$1 == "BGR" { print $NF }'
}
# items_per_second (pixels) of one benchmark, in megapixels per second.
ours() {
    PIXMOTH_JPEG_BENCH_PPM=$ppm PIXMOTH_JPEG_BENCH_JPG=$jpg \
        $bench --benchmark_filter="^$1(/|$)" --benchmark_min_time="$seconds" --benchmark_format=csv \
        2>/dev/null | awk -F, -v name="$1" '
            NR == 1 { for (i = 1; i <= NF; i++) if ($i == "items_per_second") col = i }
            { gsub(/"/, "", $1); sub(/\/.*/, "", $1) }
            $1 == name { printf "%.2f\n", $col / 1e6 }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -a te td oe od
for ((r = 1; r <= rounds; r++)); do
    te+=("$(tj_encode)")
    oe+=("$(ours BM_EncodeJpeg)")
    td+=("$(tj_decode)")
    od+=("$(ours BM_DecodeJpeg)")
    echo "round $r: encode tjbench ${te[-1]} pixmoth ${oe[-1]}, decode tjbench ${td[-1]} pixmoth ${od[-1]} Mpixel/s" >&2
done

# Each round's two figures are taken seconds apart, so the ratio is
# taken round by round (the machine's speed drifts between rounds) and the
# median of those ratios is quoted, beside each side's median speed.
report() { # name, tjbench values, pixmoth values
    local tj px ratio
    tj=$(printf '%s\n' $2 | median)
    px=$(printf '%s\n' $3 | median)
    ratio=$(paste <(printf '%s\n' $3) <(printf '%s\n' $2) | awk '{ print $1 / $2 }' | median)
    awk -v n="$1" -v t="$tj" -v p="$px" -v r="$ratio" \
        'BEGIN { printf "| %s | %.1f | %.1f | %.3f |\n", n, t, p, r }'
}
echo "| 4000 x 3000, q90 4:2:0 | tjbench Mpixel/s | Pixmoth Mpixel/s | Pixmoth / tjbench (median of rounds) |"
echo "|---|---|---|---|"
report encode "${te[*]}" "${oe[*]}"
report decode "${td[*]}" "${od[*]}"
