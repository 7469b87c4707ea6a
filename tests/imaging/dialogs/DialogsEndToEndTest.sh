#!/usr/bin/env bash
# The enhancement and resample dialogs in the real program on a real X server
# (Xvfb): each opened from the Tools menu, a preview, the result handed back,
# then Undo. The picture is one colour found nowhere else on the screen, so
# where it is shown, and at what size, can be read from screenshots.
# Screenshots of the dialogs go to $PIXMOTH_SCREENSHOTS when it names a folder.
#   DialogsEndToEndTest.sh PATH/TO/pixmoth
set -euo pipefail
pixmoth=$(realpath "$1")

source "$(dirname "$0")/../../app/XvfbSession.sh" 1280x1024x24 convert

mkdir -p "$work/home" "$work/user"
export PIXMOTH_HOME="$work/home" HOME="$work/user" QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP XDG_DATA_HOME

green='#0ac83c'
inverted='#f537c3' # Solorize with the factor -3 inverts every pixel
convert -size 64x48 "xc:$green" -type TrueColor "BMP3:$work/green.bmp"

"$pixmoth" "$work/green.bmp" >"$work/app.log" 2>&1 &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pixmoth -' | head -n1) ||
    fail "the main window did not appear"
focus() {
    xdotool windowfocus --sync "$window"
    xdotool mousemove --window "$window" 600 600
}
screenshot() {
    [[ -d ${PIXMOTH_SCREENSHOTS:-} ]] && import -window root "$PIXMOTH_SCREENSHOTS/$1.png"
    return 0
}
# The bounding box of the pixels of one colour on the screen, as WxH+X+Y.
box_of() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -fill black +opaque "$1" -trim -format '%wx%h%O' info: 2>/dev/null
}
shows() { [[ $(box_of "$1") == "$2"+* ]]; }
shows_none() { [[ $(box_of "$1") == 1x1-1-1 ]]; } # what -trim leaves of nothing
shown() { [[ -n $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null) ]]; }
gone() { ! shown "$1"; }
# Clicks at (x, y) in a dialog's client area.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
# Tools > the item `1 + $1` places below the first.
tools_item() {
    focus
    open_menu alt+t
    choose $(printf 'Down %.0s' $(seq "$1")) Return
}
undo() {
    focus
    open_menu alt+e
    choose Return # Undo, the first item
}

wait_for 10 shows "$green" 64x48 || fail "the picture is not shown: $(box_of "$green")"

# Tools > Image Enhancements (after the eleven commands): Solorize at -3.
tools_item 11
wait_for 10 shown "Image enhancements" || fail "the enhancement dialog did not appear"
dialog=$(xdotool search --onlyvisible --name '^Image enhancements$' | head -n1)
click "$dialog" 180 34 # the function list's text
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 10 Solorize
click "$dialog" 180 74 # the factor box
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 10 -- -3
click "$dialog" 167 120 # Preview
# The preview shows the top-left of the inverted picture, here all of it.
wait_for 10 shows "$inverted" 64x48 || fail "the preview shows $(box_of "$inverted")"
screenshot enhancement-dialog
click "$dialog" 231 120 # to Image
wait_for 10 gone "Image enhancements" || fail "the enhancement dialog stayed open"
wait_for 10 shows "$inverted" 64x48 || fail "the picture was not inverted: $(box_of "$inverted")"
wait_for 10 shows_none "$green" || fail "the green picture is still shown"
undo
wait_for 10 shows "$green" 64x48 || fail "Undo did not restore the picture"
wait_for 10 shows_none "$inverted" || fail "the inverted picture is still shown after Undo"

# Tools > Resample Image: 50 percent of the size, OK.
tools_item 12
wait_for 10 shown "Resample Image" || fail "the resample dialog did not appear"
dialog=$(xdotool search --onlyvisible --name '^Resample Image$' | head -n1)
xdotool mousemove --window "$dialog" 250 32 click --repeat 2 1 # the W percentage
xdotool type --delay 10 50
screenshot resample-dialog
click "$dialog" 268 256 # OK
wait_for 10 gone "Resample Image" || fail "the resample dialog stayed open"
wait_for 10 shows "$green" 32x24 || fail "the picture was not halved: $(box_of "$green")"
undo
wait_for 10 shows "$green" 64x48 || fail "Undo did not restore the size: $(box_of "$green")"

kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=
echo "dialogs end-to-end test passed"
