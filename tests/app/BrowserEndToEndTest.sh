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

shots_dir=${BROWSER_SHOTS:-}
source "$(dirname "$0")/BrowserScreen.sh"

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
