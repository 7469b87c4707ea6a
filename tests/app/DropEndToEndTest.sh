#!/usr/bin/env bash
# Files dropped on a folder of the tree, in the real program under Xvfb, driven
# with xdotool: a thumbnail dragged from the list onto another folder of the
# tree moves its file there and leaves the list; one whose name is taken there
# stays and the message lists it. Screenshots of each step stay in $DROP_SHOTS
# when set.
#   DropEndToEndTest.sh PATH/TO/pixmoth
set -euo pipefail
pixmoth=$(realpath "$1")

source "$(dirname "$0")/XvfbSession.sh" 1280x1024x24 convert

mkdir -p "$work/home" "$work/user" "$work/folders/other" "$work/folders/pictures"
export PIXMOTH_HOME="$work/home" HOME="$work/user" QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP XDG_DATA_HOME
# One colour per picture, so each thumbnail is found on the screen by colour.
convert -size 60x40 xc:'#ff0000' -type TrueColor "BMP3:$work/folders/pictures/a.bmp"
convert -size 60x40 xc:'#00ff00' -type TrueColor "BMP3:$work/folders/pictures/b.bmp"
convert -size 60x40 xc:'#0000ff' -type TrueColor "BMP3:$work/folders/other/b.bmp"
printf '[Start with]\nStartDir=%s/folders/pictures/\n' "$work" >"$work/home/Pixmoth.ini"

shots_dir=${DROP_SHOTS:-}
source "$(dirname "$0")/BrowserScreen.sh"

# Drags a picture with the left button from "$1 $2" to the tree's row at
# height $3, in small steps as a hand does: out of the panel to the right and
# back in at that height, so the drag never rests at the tree's upper or lower
# edge, where the tree would scroll under it.
drag() {
    local aside=$((X + 320)) to_x=$((X + 150)) step
    xdotool mousemove "$1" "$2" mousedown 1
    for step in 1 2 3 4 5 6; do
        xdotool mousemove $(($1 + (aside - $1) * step / 6)) "$2"
        sleep 0.05
    done
    xdotool mousemove "$aside" "$3"
    sleep 0.05
    for step in 1 2 3 4 5 6; do
        xdotool mousemove $((aside + (to_x - aside) * step / 6)) "$3"
        sleep 0.05
    done
    sleep 0.2 # the tree marks the folder under the drag
    shot dragging
    xdotool mouseup 1
}
# The middle of the tree's row above the selected one: "other" above "pictures".
other_row() {
    shot tree
    local row height
    read -r row height < <(selected_row $((X + 190))) || fail "no selected folder in the tree"
    echo $((row - height / 2))
}
panel="220x$((HEIGHT - 90))+$((X + 1))+$((Y + 60))"

xdotool mousemove $((X + 5)) $((Y + HEIGHT / 2)) click 1 # the splitter's restore button
wait_for 10 shows '#ff0000' "$panel" 4000 || fail "the restored panel does not show a.bmp"
shows '#00ff00' "$panel" 4000 || fail "the restored panel does not show b.bmp"
shot restored

read -r tx ty < <(centre 'FF0000' "$panel") || fail "the red thumbnail was not found"
drag "$tx" "$ty" "$(other_row)"
wait_for 10 shows '#ff0000' "$panel" none || fail "the moved picture stayed in the list"
shows '#00ff00' "$panel" 4000 || fail "the other picture left the list"
shot moved
[[ -f $work/folders/other/a.bmp && ! -e $work/folders/pictures/a.bmp ]] ||
    fail "a.bmp was not moved into other/"

# Dropped back onto its own list, a thumbnail opens nothing and moves nothing.
read -r tx ty < <(centre '00FF00' "$panel") || fail "the green thumbnail was not found"
xdotool mousemove "$tx" "$ty" mousedown 1
for step in 1 2 3 4 5 6; do
    xdotool mousemove $((tx + step * 8)) $((ty + step * 8))
    sleep 0.05
done
xdotool mouseup 1

# b.bmp is taken in other/: the move is refused with a message, both files stay.
drag "$tx" "$ty" "$(other_row)"
box=$(timeout 10 xdotool search --sync --onlyvisible --name '^Pixmoth$' | head -n1) ||
    fail "no message about the file that could not be moved"
shot refused
xdotool windowfocus --sync "$box" key --clearmodifiers Return
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Pixmoth$'" || fail "the message stayed"
xdotool mousemove $((X + 150)) $((Y + HEIGHT - 60)) click 1 # empty space: no selection tint
wait_for 10 shows '#00ff00' "$panel" 4000 || fail "the picture that could not move left the list"
cmp -s "$work/folders/pictures/b.bmp" "$work/folders/other/b.bmp" &&
    fail "b.bmp replaced the file of that name"
[[ -f $work/folders/pictures/b.bmp ]] || fail "b.bmp is gone from its folder"
area="$((WIDTH - 240))x$((HEIGHT - 120))+$((X + 235))+$((Y + 60))"
shows '#00ff00' "$area" none || fail "the thumbnail dropped on its own list opened its picture"
echo "drop end-to-end test passed"
