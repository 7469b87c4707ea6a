#!/usr/bin/env bash
# The real program on a real X server (Xvfb), driven with xdotool: a picture
# given on the command line and one chosen in the Open dialog, a Tools command,
# the undo key, Close All answered with Yes, Exit; then the files are
# checked.
#   EndToEndTest.sh PATH/TO/pixmoth
set -euo pipefail
pixmoth=$(realpath "$1")

source "$(dirname "$0")/XvfbSession.sh" 1280x1024x24 convert compare identify

mkdir -p "$work/home" "$work/user" "$work/pictures"
export PIXMOTH_HOME="$work/home" HOME="$work/user" QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP XDG_DATA_HOME

# Two 24-bit pictures with an exact pixel pattern.
convert -size 60x40 gradient:red-blue -type TrueColor "BMP3:$work/pictures/first.bmp"
convert -size 50x30 gradient:green-yellow -type TrueColor "BMP3:$work/pictures/second.bmp"
cp "$work/pictures/first.bmp" "$work/first-original.bmp"
cp "$work/pictures/second.bmp" "$work/second-original.bmp"

"$pixmoth" "$work/pictures/first.bmp" >"$work/app.log" 2>&1 &
app_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pixmoth -' | head -n1) ||
    fail "the main window did not appear"
focus() {
    xdotool windowfocus --sync "$window"
    xdotool mousemove --window "$window" 300 300
}

# A message box is a window named "Pixmoth".
box_shown() { [[ -n $(xdotool search --onlyvisible --name '^Pixmoth$' 2>/dev/null) ]]; }
box_gone() { ! box_shown; }
has_focus() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }

focus

# File > Open... (the first item), a path typed into the dialog.
open_menu alt+f
choose Return
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Open$' | head -n1) ||
    fail "the Open dialog did not appear"
wait_for 10 has_focus "$dialog" || fail "the Open dialog did not take the keyboard"
xdotool type --delay 20 "$work/pictures/second.bmp"
xdotool key --clearmodifiers Return
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Open$'" || fail "the dialog stayed open"
focus

# Tools > Rotate 90° (R), the first item, on the picture opened last.
open_menu alt+t
choose Return

# Turned twice, then Ctrl+Z: the picture turned once.
open_menu alt+t
choose Return
xdotool key --clearmodifiers ctrl+z

# Window > Close All (the third item, above the list of windows); the changed
# picture asks, Return = Yes.
open_menu alt+w
choose Down Down Return
wait_for 10 box_shown || fail "the close query did not appear"
# On a busy machine the box may be up before it has the keyboard.
box=$(xdotool search --onlyvisible --name '^Pixmoth$' | head -n1)
wait_for 10 has_focus "$box" || fail "the close query did not take the keyboard"
xdotool key --clearmodifiers Return
wait_for 10 box_gone || fail "the close query stayed"
focus

# File > Exit (the last item).
open_menu alt+f
choose Up Return
wait_for 15 bash -c "! kill -0 $app_pid" || fail "the program did not exit"
wait "$app_pid" || fail "the program exited with status $?"
app_pid=

# The rotated picture was written over its file, exactly; the other is untouched.
[[ $(identify -format '%wx%h' "$work/pictures/second.bmp") == 30x50 ]] ||
    fail "second.bmp is $(identify -format '%wx%h' "$work/pictures/second.bmp"), not 30x50"
convert "$work/second-original.bmp" -rotate 90 "$work/expected.bmp"
difference=$(compare -metric AE "$work/pictures/second.bmp" "$work/expected.bmp" null: 2>&1) || true
[[ $difference == 0 ]] || fail "second.bmp differs from the turned picture in $difference pixels"
cmp -s "$work/pictures/first.bmp" "$work/first-original.bmp" || fail "first.bmp was changed"
ls -A "$work/pictures" | grep -q '^\.' && fail "a temporary file was left behind"

# The settings: the picture directory of the last active picture and the bounds.
ini="$work/home/Pixmoth.ini"
[[ -f $ini ]] || fail "no settings file"
grep -qx "StartDir=$work/pictures/" "$ini" || fail "StartDir not written: $(cat "$ini")"
for edge in Left Top Right Bottom; do
    grep -q "^$edge=-\?[0-9]\+$" "$ini" || fail "Bounds $edge not written: $(cat "$ini")"
done
[[ -d $work/home/Shots ]] || fail "no Shots directory"
echo "end-to-end test passed"
