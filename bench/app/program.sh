#!/usr/bin/env bash
# The program's two speed figures, each against its baseline in the same run:
#  1. opening a 4000 x 3000 JPEG until its document window has painted, against
#     `djpeg` decoding the same file (bound: 1.5 x);
#  2. a Tools command until the result is painted, against the operation alone
#     plus four copies of the picture (bound: 1 x).
# Rounds alternate djpeg and the program; figures are medians.
#   bench/app/program.sh BUILD_DIR [ROUNDS [HANDLER...]]   (more Tools commands by handler name)
set -euo pipefail
build=$(realpath "$1")
rounds=${2:-5}
shift $(($# < 2 ? $# : 2))
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
xvfb=

picture=${PIXMOTH_BENCH_PICTURE:-$work/photo.jpg}
if [[ ! -f $picture ]]; then
    # A photo-like picture: fractal plasma, slightly blurred, quality 90.
    convert -seed 4 -size 4000x3000 plasma:fractal -blur 0x1 -quality 90 "$picture"
fi

# A real X server when there is one to start, as the program runs on one.
if command -v Xvfb >/dev/null; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
else
    export QT_QPA_PLATFORM=offscreen
fi
export PIXMOTH_HOME=$work/home
mkdir -p "$PIXMOTH_HOME"

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
now() { date +%s%N; }

: >"$work/djpeg"
: >"$work/program"
for round in $(seq "$rounds"); do
    for _ in 1 2 3; do
        start=$(now)
        djpeg -outfile /dev/null "$picture"
        echo "$(( ($(now) - start) / 1000 ))" | awk '{ print $1 / 1000 }' >>"$work/djpeg"
    done
    "$build/bench/bench_program" "$picture" 3 Rotate90R1Click FlipDown1Click Greyscale1Click "$@" \
        2>/dev/null >>"$work/program"
done

figure() { grep "^$1 " "$work/program" | awk '{ print $2 }' | median; }
djpeg_ms=$(median <"$work/djpeg")
open_ms=$(figure open)
copy_ms=$(figure copy)
printf 'open until painted  %7.1f ms   djpeg %7.1f ms   ratio %.2f (bound 1.50)\n' \
    "$open_ms" "$djpeg_ms" "$(awk "BEGIN { print $open_ms / $djpeg_ms }")"
printf 'decode alone        %7.1f ms   one picture copy %.1f ms\n' "$(figure decode)" "$copy_ms"
for command in $(grep '^op:' "$work/program" | sed 's/^op:\([^ ]*\).*/\1/' | sort -u); do
    command_ms=$(figure "$command")
    op_ms=$(figure "op:$command")
    budget=$(awk "BEGIN { print $op_ms + 4 * $copy_ms }")
    printf '%-19s %7.1f ms   operation + 4 copies %7.1f ms   ratio %.2f (bound 1.00)\n' \
        "$command" "$command_ms" "$budget" "$(awk "BEGIN { print $command_ms / $budget }")"
done
