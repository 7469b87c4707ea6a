#!/usr/bin/env bash
# The about box in the real program on a real X server (Xvfb), opened with the
# keyboard from a document window's Help menu and then from the main window's:
# it must come up over the main window with the time in its caption and the
# credits moving. Set ABOUT_SHOTS to a folder to keep its screenshots.
#   about_e2e.sh PATH/TO/pixmoth
set -euo pipefail
pixmoth=$(realpath "$1")

for tool in Xvfb xdotool xwininfo import compare convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    import -window root /tmp/pixmoth-about-failure.png 2>/dev/null &&
        echo "screen at the failure: /tmp/pixmoth-about-failure.png"
    [[ -f $work/app.log ]] && cat "$work/app.log"
    exit 1
}

# wait_for SECONDS COMMAND...: polls COMMAND every 50 ms.
wait_for() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < end)) || return 1
        sleep 0.05
    done
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

mkdir -p "$work/home" "$work/user"
export PIXMOTH_HOME="$work/home" HOME="$work/user" QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP XDG_DATA_HOME
convert -size 60x40 gradient:red-blue -type TrueColor "BMP3:$work/picture.bmp"

"$pixmoth" "$work/picture.bmp" >"$work/app.log" 2>&1 &
app_pid=$!
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pixmoth -' | head -n1) ||
    fail "the main window did not appear"

visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
menu_shown() { # an open menu is the one override-redirect window here
    local id
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}
menu_gone() { ! menu_shown; }
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
    xdotool key --clearmodifiers alt+h
    wait_for 10 menu_shown || fail "the Help menu of the $1 did not open"
    xdotool key --clearmodifiers a
    wait_for 10 menu_gone || fail "the Help menu of the $1 stayed open"
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

about "document window"
# Window > Close All (its last item) leaves the main window's own menus.
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers alt+w
wait_for 10 menu_shown || fail "the Window menu did not open"
xdotool key --clearmodifiers Up Return
wait_for 10 menu_gone || fail "the Window menu stayed open"
about "main window"

kill -0 "$app_pid" || fail "the program ended"
echo "about box end-to-end test passed"
