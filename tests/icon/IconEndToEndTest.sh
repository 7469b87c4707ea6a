#!/usr/bin/env bash
# The converter in the real program under Xvfb: a picture opened, Tools >
# Create Icon, Convert, Save as an icon, the converter closed; then the icon
# is read back.
#   IconEndToEndTest.sh PATH/TO/pixmoth [SCREENSHOT.png]
set -euo pipefail
pixmoth=$(realpath "$1")
screenshot=${2:-}

source "$(dirname "$0")/../app/XvfbSession.sh" 1280x1024x24 convert icotool import

mkdir -p "$work/home" "$work/user" "$work/pictures"
export PIXMOTH_HOME="$work/home" HOME="$work/user" QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP XDG_DATA_HOME

# Wide, so the icon's bottom rows are transparent; white in the top-left
# corner, the transparent colour the preview starts with.
convert -size 640x480 gradient:white-navy -type TrueColor "BMP3:$work/pictures/photo.bmp"

"$pixmoth" "$work/pictures/photo.bmp" >"$work/app.log" 2>&1 &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pixmoth -' | head -n1) ||
    fail "the main window did not appear"
xdotool windowfocus --sync "$window"
xdotool mousemove --window "$window" 300 300
has_focus() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }
shown() { [[ -n $(xdotool search --onlyvisible --name "$1" 2>/dev/null) ]]; }

# Tools > Create Icon, the last item.
open_menu alt+t
choose Up Return
converter=$(timeout 10 xdotool search --sync --onlyvisible --name '^Convert to Icon$' | head -n1) ||
    fail "the converter did not appear"
wait_for 10 has_focus "$converter" || fail "the converter did not take the keyboard"

xdotool key --clearmodifiers alt+c
xdotool key --clearmodifiers alt+s
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Save As$' | head -n1) ||
    fail "the save dialog did not appear"
wait_for 10 has_focus "$dialog" || fail "the save dialog did not take the keyboard"
xdotool type --delay 20 "$work/pictures/photo"
xdotool key --clearmodifiers Return
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Save As$'" || fail "the dialog stayed open"
wait_for 10 test -f "$work/pictures/photo.ico" || fail "no icon written (the suffix comes from the filter)"
# A bare X server has no window manager to give the keyboard back.
xdotool windowfocus --sync "$converter"
[[ -n $screenshot ]] && import -window "$converter" "$screenshot"

xdotool key --clearmodifiers alt+e
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Convert to Icon$'" ||
    fail "the converter stayed open"
shown '^Pixmoth$' && fail "a message box appeared"
kill -0 "$app_pid" || fail "the program ended with the converter"

# 32 x 32 at 8 bits; the picture's corner was the transparent colour, the rows
# below the 32 x 24 picture are transparent, its opposite corner is opaque navy.
icotool -l "$work/pictures/photo.ico" | grep -q -- '--width=32 --height=32 --bit-depth=8' ||
    fail "not a 32 x 32 8-bit icon: $(icotool -l "$work/pictures/photo.ico" 2>&1)"
convert "$work/pictures/photo.ico" "$work/icon.png"
pixel() { convert "$work/icon.png" -format "%[pixel:p{$1}]" info:; }
[[ $(pixel 0,0) == "srgba(0,0,0,0)" ]] || fail "the white corner is $(pixel 0,0)"
[[ $(pixel 5,28) == "srgba(0,0,0,0)" ]] || fail "below the picture is $(pixel 5,28)"
[[ $(pixel 31,23) == "srgba(0,0,128,1)" ]] || fail "the navy corner is $(pixel 31,23)"
ls -A "$work/pictures" | grep -q '^\.' && fail "a temporary file was left behind"
echo "icon end-to-end test passed"
