#!/usr/bin/env bash
# GaussianBlur with amount 1 (two SplitBlur(3) passes) against libvips'
# `gaussblur 1` on the same 4000 x 3000 picture, in the same run.
#
#   bench/imaging/effects/neighbourhood_vs_vips.sh [BUILD_DIR] [ROUNDS]
#
# vips runs single-threaded (VIPS_CONCURRENCY=1) on its own .v format; its
# start-up, reading and writing are taken out by subtracting a `vips copy` of the
# same file, run alternately with the blur. Each round gives one difference; the
# medians are printed in wall and CPU (user + system) milliseconds. Our side is
# the Google Benchmark figure of the blur alone (median of ROUNDS repetitions),
# with a memcpy of the picture as the in-process baseline.
# Needs the `vips` command (Debian: libvips-tools).
set -euo pipefail

build=${1:-build}
rounds=${2:-9}
bench="$build/bench/bench_neighbourhood"
[[ -x "$bench" ]] || { echo "build the benchmarks first (-DPIXMOTH_BUILD_BENCH=ON): $bench" >&2; exit 1; }
command -v vips >/dev/null || { echo "vips not found (Debian package libvips-tools)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The benchmark's own picture, handed to vips as a raw 3-band image.
PIXMOTH_BENCH_DUMP="$work/picture.raw" "$bench" --benchmark_filter='^BM_Memcpy$' \
    --benchmark_min_time=0.01 >/dev/null 2>&1
vips rawload "$work/picture.raw" "$work/in.v" 4000 3000 3
export VIPS_CONCURRENCY=1

# Prints "wall_ms cpu_ms" of one command (bash's own timing, to the millisecond).
measure() {
    local TIMEFORMAT='%3R %3U %3S'
    { time "$@" >/dev/null 2>&1; } 2>"$work/time"
    awk '{ printf "%.0f %.0f\n", $1 * 1000, ($2 + $3) * 1000 }' "$work/time"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

vips gaussblur "$work/in.v" "$work/out.v" 1 # warm the page cache
: >"$work/wall"
: >"$work/cpu"
for ((i = 0; i < rounds; ++i)); do
    read -r copyWall copyCpu < <(measure vips copy "$work/in.v" "$work/out.v")
    read -r blurWall blurCpu < <(measure vips gaussblur "$work/in.v" "$work/out.v" 1)
    echo "$blurWall - $copyWall" | bc >>"$work/wall"
    echo "$blurCpu - $copyCpu" | bc >>"$work/cpu"
done
echo "vips gaussblur 1, blur alone (median of $rounds): wall $(median <"$work/wall") ms, cpu $(median <"$work/cpu") ms"

"$bench" --benchmark_filter='^BM_(Memcpy|GaussianBlur1)$' --benchmark_repetitions="$rounds" \
    --benchmark_report_aggregates_only=true 2>/dev/null |
    awk '/_median/ { printf "pixmoth %-16s wall %s ms, cpu %s ms\n", $1, $2, $4 }'
