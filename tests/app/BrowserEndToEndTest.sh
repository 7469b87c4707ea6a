#!/usr/bin/env bash
# The browser of the real program under Xvfb, driven with xdotool: restore the
# collapsed panel with the splitter's button, click a folder in the tree and
# see its thumbnails on the screen, double-click one and get its document
# window, then Delete Selected from the list's pop-up menu, answered Yes, and
# see the list follow. Screenshots of each step stay in $BROWSER_SHOTS when set.
#   BrowserEndToEndTest.sh PATH/TO/pixmoth
set -euo pipefail
pixmoth=$(realpath "$1")

source "$(dirname "$0")/XvfbSession.sh" 1280x1024x24 convert

mkdir -p "$work/home" "$work/user" "$work/folders/other" "$work/folders/pictures"
export PIXMOTH_HOME="$work/home" HOME="$work/user" QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP XDG_DATA_HOME
# One colour per picture, so each thumbnail is found on the screen by colour.
convert -size 60x40 xc:'#ff0000' -type TrueColor "BMP3:$work/folders/pictures/a.bmp"
convert -size 60x40 xc:'#00ff00' -type TrueColor "BMP3:$work/folders/pictures/b.bmp"
convert -size 60x40 xc:'#0000ff' -type TrueColor "BMP3:$work/folders/pictures/c.bmp"
convert -size 60x40 xc:'#ffff00' -type TrueColor "BMP3:$work/folders/other/d.bmp"
printf '[Start with]\nStartDir=%s/folders/other/\n' "$work" >"$work/home/Pixmoth.ini"

"$pixmoth" >"$work/app.log" 2>&1 &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pixmoth -' | head -n1) ||
    fail "the main window did not appear"
eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y, WIDTH, HEIGHT
xdotool windowfocus --sync "$window"

shot() {
    import -window root "$work/screen.png"
    if [[ -n ${BROWSER_SHOTS:-} ]]; then
        mkdir -p "$BROWSER_SHOTS"
        cp "$work/screen.png" "$BROWSER_SHOTS/$1.png"
    fi
}
# Pixels of exactly colour $1 in the screen's rectangle WxH+X+Y ($2).
count() {
    convert "$work/screen.png" -crop "$2" +repage -fill black +opaque "$1" -fill white \
        -opaque "$1" -format '%[fx:round(mean*w*h)]' info:
}
# The centre "x y" of the pixels of colour $1 inside $2 (screen coordinates).
centre() {
    local left=${2#*+}
    local top=${left#*+}
    left=${left%%+*}
    convert "$work/screen.png" -crop "$2" +repage txt:- |
        awk -v c="$1" -v x0="$left" -v y0="$top" -F'[,: ]+' '
            index($0, c) { split($1 "," $2, p, ","); sx += p[1]; sy += p[2]; n++ }
            END { if (n) printf "%d %d\n", x0 + sx / n, y0 + sy / n }'
}
# Waits until the screen shows at least $3 pixels of colour $1 in $2 (or, with
# "none", none at all).
shows() {
    shot check
    local n
    n=$(count "$1" "$2")
    if [[ $3 == none ]]; then ((n == 0)); else ((n >= $3)); fi
}
# The selected row of the tree: its "top height" along the column at x = $1.
selected_row() {
    convert "$work/screen.png" -crop "1x240+$1+$((Y + 40))" +repage -depth 8 txt:- |
        awk -F'[,:() ]+' -v y0=$((Y + 40)) '
            /^0,/ { split($0, a, "[()]"); split(a[2], rgb, ",")
                    blue = rgb[3] > 150 && rgb[1] < 120
                    if (blue && !run) { start = $2; run = 1 }
                    if (!blue && run) { if ($2 - start > best) { best = $2 - start; top = start }; run = 0 }
                    last = $2 }
            END { if (run && last + 1 - start > best) { best = last + 1 - start; top = start }
                  if (best) printf "%d %d\n", y0 + top, best }'
}
panel="220x$((HEIGHT - 90))+$((X + 1))+$((Y + 60))"

# Collapsed at start: the list is filled but the panel is one pixel wide.
shot collapsed
(($(count '#ffff00' "$panel") == 0)) || fail "the collapsed panel shows thumbnails"
# The restore button sits in the middle of the splitter bar.
xdotool mousemove $((X + 5)) $((Y + HEIGHT / 2)) click 1
wait_for 10 shows '#ffff00' "$panel" 4000 || fail "the restored panel does not show d.bmp"
shot restored

# The tree shows the start folder selected; "pictures" is the next folder down.
read -r row height < <(selected_row $((X + 190))) || fail "no selected folder in the tree"
xdotool mousemove $((X + 150)) $((row + height / 2)) click 1
# The tree as drawn: it changes once the moved selection is painted.
tree_look() {
    shot moved
    convert "$work/screen.png" -crop "220x170+$((X + 1))+$((Y + 60))" +repage -format '%#' info:
}
before=$(tree_look)
xdotool key --clearmodifiers Down
tree_changed() { [[ $(tree_look) != "$before" ]]; }
wait_for 10 tree_changed || fail "the tree did not show the moved selection"
read -r row height < <(selected_row $((X + 190))) || fail "no selected folder after Down"
xdotool mousemove $((X + 150)) $((row + height / 2)) click 1
for colour in '#ff0000' '#00ff00' '#0000ff'; do
    wait_for 10 shows "$colour" "$panel" 4000 || fail "the clicked folder's $colour thumbnail is missing"
done
shows '#ffff00' "$panel" none || fail "the start folder's thumbnail stayed"
shot listed

# A double-click on the red thumbnail opens a.bmp in a document window.
read -r tx ty < <(centre 'FF0000' "$panel") || fail "the red thumbnail was not found"
xdotool mousemove "$tx" "$ty" click --repeat 2 --delay 80 1
area="$((WIDTH - 240))x$((HEIGHT - 120))+$((X + 235))+$((Y + 60))"
wait_for 10 shows '#ff0000' "$area" 2000 || fail "no document window with a.bmp"
shot opened

# Delete Selected on the green one: the question, Yes, and the list without it.
read -r tx ty < <(centre '00FF00' "$panel") || fail "the green thumbnail was not found"
xdotool mousemove "$tx" "$ty" click 1
xdotool click 3
wait_for 10 menu_shown || fail "the list's pop-up menu did not open"
shot menu
choose Down Return
wait_for 10 bash -c "xdotool search --onlyvisible --name '^Pixmoth$'" || fail "no question came"
shot question
xdotool key --clearmodifiers Return
wait_for 10 shows '#00ff00' "$panel" none || fail "the deleted picture's thumbnail stayed"
shows '#ff0000' "$panel" 4000 && shows '#0000ff' "$panel" 4000 || fail "other thumbnails went"
shot deleted
[[ ! -e $work/folders/pictures/b.bmp ]] || fail "b.bmp was not deleted"
[[ -e $work/user/.local/share/Trash/files/b.bmp ]] || fail "b.bmp is not in the trash"
[[ -e $work/folders/pictures/a.bmp && -e $work/folders/pictures/c.bmp ]] ||
    fail "another picture went"
echo "browser end-to-end test passed"
