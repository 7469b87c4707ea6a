#!/usr/bin/env bash
# Icons written by pixmoth-cli at every depth, read back by three independent
# readers (icotool from icoutils, ImageMagick, Pillow): the right size, colours
# and transparency. Qt's and gdk-pixbuf's readers are no judges: they ignore
# 24-bit masks and 1-bit palettes.
#   IconReadersTest.sh PATH/TO/pixmoth-cli
set -euo pipefail
cli=$(realpath "$1")
python=/usr/bin/python3 # Debian's, with python3-pil
for tool in icotool convert "$python"; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh test)"; exit 1; }
done
"$python" -c 'import PIL' 2>/dev/null || { echo "missing python3-pil (scripts/deps.sh test)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# 32 x 24 in quarters: white, black / blue, lime. Already icon-sized, so the
# Triangle filter leaves every pixel as it is; lime is the transparent colour.
convert -size 16x12 xc:white xc:black +append \( -size 16x12 xc:blue xc:lime +append \) \
    -append -type TrueColor "BMP3:$work/quarters.bmp"

# Points and what each depth shows there: colour as RRGGBB, or "-" for transparent.
points="4,4 28,4 4,20 28,20 4,28"
declare -A expected=(
    [32]="ffffff 000000 0000ff - -"
    [24]="ffffff 000000 0000ff - -"
    [8]="ffffff 000000 0000ff - -"
    [4]="ffffff 000000 0000ff - -"
    # black and white only: blue and lime become black, which is the transparent colour then
    [1]="ffffff - - - -"
)

# Prints the colours at $points of a picture file (any format Pillow reads).
probe() {
    "$python" - "$1" "$points" <<'PY'
import sys
from PIL import Image
image = Image.open(sys.argv[1]).convert("RGBA")
if image.size != (32, 32):
    sys.exit("size %dx%d" % image.size)
out = []
for point in sys.argv[2].split():
    r, g, b, a = image.getpixel(tuple(int(v) for v in point.split(",")))
    out.append("-" if a == 0 else ("%02x%02x%02x" % (r, g, b) if a == 255 else "alpha%d" % a))
print(" ".join(out))
PY
}

for depth in 32 24 8 4 1; do
    icon="$work/d$depth.ico"
    "$cli" icon "$work/quarters.bmp" "$icon" --depth "$depth" --filter Triangle --transparent 00ff00
    "$cli" icon "$work/quarters.bmp" "$work/d$depth.cur" --depth "$depth" --filter Triangle \
        --transparent 00ff00
    cmp -s "$icon" "$work/d$depth.cur" || fail "the $depth-bit cursor differs from the icon"

    mkdir "$work/x$depth"
    icotool -x -o "$work/x$depth/" "$icon" 2>/dev/null || fail "icotool cannot read the $depth-bit icon"
    convert "$icon" "png:$work/magick$depth.png" || fail "ImageMagick cannot read the $depth-bit icon"
    for reader in icotool magick pillow; do
        case $reader in
            icotool) file=$(ls "$work/x$depth/"*.png) ;;
            magick) file="$work/magick$depth.png" ;;
            pillow) file=$icon ;;
        esac
        got=$(probe "$file") || fail "$reader: $depth-bit icon: $got"
        [[ $got == "${expected[$depth]}" ]] ||
            fail "$reader reads the $depth-bit icon as '$got', not '${expected[$depth]}'"
    done
done

# The glyph: the scaled picture alone, no mask, at the chosen depth.
"$cli" icon "$work/quarters.bmp" "$work/glyph.bmp" --depth 4 --filter Triangle --transparent 00ff00
[[ $(identify -format '%wx%h %z' "$work/glyph.bmp") == "32x24 4" ]] ||
    fail "glyph is $(identify -format '%wx%h %z' "$work/glyph.bmp")"
echo "icon readers test passed"
