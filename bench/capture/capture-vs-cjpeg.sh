#!/usr/bin/env bash
# A shot of a full 1920 x 1080 screen (cut, JPEG quality 90, file written)
# against `cjpeg -quality 90` on the same pixels, in the same run, as a ratio of
# medians. cjpeg is timed as a whole process (start, reading the PPM, encoding,
# writing); the shot inside the benchmark program.
#   bench/capture/capture-vs-cjpeg.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
build=${1:-build}
rounds=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/bench_capture" --ppm="$work/screen.ppm"

median() { sort -n | awk '{v[NR]=$1} END{print v[int((NR+1)/2)]}'; }
shots=() peers=() ratios=()
for ((round = 0; round < rounds; ++round)); do
    shot=$("$build/bench/bench_capture" --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
        awk -F, '/_median/{print $3 * 1}') # real time, ms
    peer=$(for i in 1 2 3 4 5; do
        start=$(date +%s%N)
        cjpeg -quality 90 -outfile "$work/peer.jpg" "$work/screen.ppm"
        echo $((($(date +%s%N) - start) / 1000))
    done | median) # microseconds
    peer=$(awk -v us="$peer" 'BEGIN{printf "%.3f", us / 1000}')
    shots+=("$shot") peers+=("$peer")
    ratios+=("$(awk -v a="$shot" -v b="$peer" 'BEGIN{printf "%.3f", a / b}')")
    echo "round $round: shot $shot ms, cjpeg $peer ms, ratio ${ratios[-1]}"
done
echo "median: shot $(printf '%s\n' "${shots[@]}" | median) ms," \
    "cjpeg $(printf '%s\n' "${peers[@]}" | median) ms," \
    "ratio $(printf '%s\n' "${ratios[@]}" | median)"
