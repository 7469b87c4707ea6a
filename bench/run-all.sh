#!/usr/bin/env bash
# The summary of docs/PERFORMANCE.md on this machine, in one sitting: every
# figure beside its peer or floor from the same run, as a ratio, under a header
# that names the processor, the instruction-set path the picture code takes
# and the machine's load.
#
#   bench/run-all.sh [BUILD_DIR] [RUNS]
#     BUILD_DIR  a Release build with -DPIXMOTH_BUILD_BENCH=ON (default: build)
#     RUNS       runs (or repetitions) per figure, medians quoted (default 11)
#   PIXMOTH_ISA=avx2 bench/run-all.sh      the same on the AVX2 path
#   PIXMOTH_BENCH_DIR=/some/dir bench/...  where whole-process runs write their
#                                          files (default: a new folder in TMPDIR)
#
# Whole-process figures time pixmoth-cli from outside, start to exit, as a user
# waits for it, and its peak memory; each pair of commands runs in turn (A B A
# B ...) and the ratio is taken pair by pair. Operation figures are the
# in-process benchmarks (build/bench/) against the peers' operations alone.
# Needs the peers of scripts/deps.sh bench (vips, Pillow, tjbench, cjpeg).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-11}

scripts/deps.sh bench
for program in pixmoth-cli bench/bench_transforms bench/bench_colour_effects \
    bench/bench_neighbourhood bench/bench_resample bench/bench_jpeg bench/bench_bmp; do
    if [[ ! -x "$build/$program" ]]; then
        echo "missing $build/$program: configure a Release build with -DPIXMOTH_BUILD_BENCH=ON" >&2
        exit 1
    fi
done
exec /usr/bin/python3 bench/run_all.py "$build" "$runs"
