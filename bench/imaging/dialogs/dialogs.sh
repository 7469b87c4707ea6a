#!/usr/bin/env bash
# The two dialogs against their operations alone, in one process per round:
# Preview until the preview has painted against the entry's function, and
# Resample OK until the dialog has closed against ResampleBitmap, on a
# 4000 x 3000 photo-like picture. Prints the medians over the rounds and the
# ratios (dialog / operation alone).
#   bench/imaging/dialogs/dialogs.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=$(realpath "$1")
rounds=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

picture=${PIXMOTH_BENCH_PICTURE:-$work/photo.jpg}
[[ -f $picture ]] || convert -seed 4 -size 4000x3000 plasma:fractal -blur 0x1 -quality 90 "$picture"
export QT_QPA_PLATFORM=offscreen PIXMOTH_HOME=$work

for _ in $(seq "$rounds"); do
    "$build/bench/bench_dialogs" "$picture" 5 2>/dev/null
done >"$work/figures"

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
figure() { grep "^$1 " "$work/figures" | awk '{ print $2 }' | median; }
copy=$(figure copy)
printf 'one copy of the picture %.1f ms\n' "$copy"
for what in Darken GaussianBlur Contrast resample; do
    name=preview:$what
    baseline=$(awk "BEGIN { print $(figure "op:$what") + $copy }")
    if [[ $what == resample ]]; then
        name=resample
        baseline=$(figure "op:$what")
    fi
    dialog=$(figure "$name")
    printf '%-22s %7.1f ms   baseline %7.1f ms   ratio %.2f\n' "$name" "$dialog" "$baseline" \
        "$(awk "BEGIN { print $dialog / $baseline }")"
done
