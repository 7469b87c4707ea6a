#!/usr/bin/env bash
# The about box in the real program on a real X server (Xvfb), opened with the
# keyboard from the main window's Help menu and then from a document window's:
# it must come up over the main window with the time in its caption and the
# credits moving. Set ABOUT_SHOTS to a folder to keep its screenshots.
#   about_e2e.sh PATH/TO/pixmoth
set -euo pipefail
pixmoth=$(realpath "$1")

source "$(dirname "$0")/../app/XvfbSession.sh" 1280x1024x24 import compare convert

mkdir -p "$work/home" "$work/user"
export PIXMOTH_HOME="$work/home" HOME="$work/user" QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP XDG_DATA_HOME
convert -size 60x40 gradient:red-blue -type TrueColor "BMP3:$work/picture.bmp"

"$pixmoth" >"$work/app.log" 2>&1 &
app_pid=$!
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pixmoth -' | head -n1) ||
    fail "the main window did not appear"

visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
about_gone() { [[ -z $(visible '^About') ]]; }
titled_with_time() { xdotool getwindowname "$1" | grep -q '^About: pixmoth!       Actual time: '; }
# Two shots of the box a moment apart differ where the credits scroll.
credits_move() {
    import -window "$1" "$work/now.png"
    local difference
    difference=$(compare -metric AE "$work/first.png" "$work/now.png" null: 2>&1) || true
    [[ $difference != 0 ]]
}

# about WHERE: opens Help > About... (its mnemonic a) and checks the box.
about() {
    xdotool windowfocus --sync "$main"
    open_menu alt+h
    choose a
    wait_for 10 visible '^About' || fail "no about box from the $1"
    local box
    box=$(visible '^About')
    wait_for 5 titled_with_time "$box" || fail "caption without the time: $(xdotool getwindowname "$box")"
    import -window "$box" "$work/first.png"
    wait_for 5 credits_move "$box" || fail "the credits did not move"
    if [[ -n ${ABOUT_SHOTS:-} ]]; then
        cp "$work/now.png" "$ABOUT_SHOTS/about-from-$1.png"
        import -window root "$ABOUT_SHOTS/screen-from-$1.png"
    fi
    # The box lies over the main window.
    eval "$(xdotool getwindowgeometry --shell "$main" | sed 's/^/MAIN_/')"
    eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
    ((BOX_X >= MAIN_X - 200 && BOX_Y >= MAIN_Y - 200 && BOX_X < MAIN_X + MAIN_WIDTH)) ||
        fail "the box at $BOX_X,$BOX_Y is not over the main window at $MAIN_X,$MAIN_Y"
    xdotool key --clearmodifiers Escape
    wait_for 10 about_gone || fail "Esc did not close the about box"
}

about "main window"
# File > Open... (the first item) gives a document window with its own menus.
xdotool windowfocus --sync "$main"
open_menu alt+f
choose Return
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Open$' | head -n1) ||
    fail "the Open dialog did not appear"
wait_for 10 bash -c "[[ \$(xdotool getwindowfocus) == $dialog ]]" ||
    fail "the Open dialog did not take the keyboard"
xdotool type --delay 20 "$work/picture.bmp"
xdotool key --clearmodifiers Return
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Open$'" || fail "the dialog stayed open"
about "document window"

kill -0 "$app_pid" || fail "the program ended"
echo "about box end-to-end test passed"
