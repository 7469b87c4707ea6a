#!/usr/bin/env bash
# A photo to a 32 x 32 icon, whole processes on the same JPEG, interleaved:
#   ours         pixmoth-cli icon photo.jpg out.ico   (Mitchell, 8 bits, mask)
#   ImageMagick  convert photo.jpg -resize 32x32 out.ico
#   Pillow       Image.open(photo).save(out.ico, sizes=[(32, 32)])
# Each includes decoding the JPEG and writing the file, as a user's call does.
#
# Usage: bench/icon/icon_peers.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a build holding pixmoth-cli (default: build)
#   RUNS       rounds (default 7); medians of CPU time (user + system) and wall
#              time are reported, CPU time first as the machine is shared
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-7}

scripts/deps.sh bench
cli="$build/pixmoth-cli"
[[ -x $cli ]] || { echo "missing $cli: build first" >&2; exit 1; }
convert=$(command -v convert-im6.q16 || command -v convert)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1

# A 4000 x 3000 photo-like picture: gradients with grain.
"$convert" -size 4000x3000 gradient:red-blue -attenuate 0.3 +noise Gaussian -quality 90 \
    "$work/photo.jpg"
cat >"$work/pil.py" <<'PY'
import sys
from PIL import Image
Image.open(sys.argv[1]).save(sys.argv[2], sizes=[(32, 32)])
PY

declare -A commands=(
    [ours]="$cli icon $work/photo.jpg $work/ours.ico"
    [imagemagick]="$convert $work/photo.jpg -resize 32x32 $work/magick.ico"
    [pillow]="/usr/bin/python3 $work/pil.py $work/photo.jpg $work/pillow.ico"
)
names=(ours imagemagick pillow)
TIMEFORMAT='%U %S %R'
for ((round = 0; round < runs; ++round)); do
    for name in "${names[@]}"; do
        { time ${commands[$name]} >/dev/null 2>&1; } 2>>"$work/$name.times"
    done
done

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
printf '%-12s %10s %10s\n' peer "cpu s" "wall s"
for name in "${names[@]}"; do
    cpu=$(awk '{ print $1 + $2 }' "$work/$name.times" | median)
    wall=$(awk '{ print $3 }' "$work/$name.times" | median)
    printf '%-12s %10.3f %10.3f\n' "$name" "$cpu" "$wall"
done
