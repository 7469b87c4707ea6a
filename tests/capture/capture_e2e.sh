#!/usr/bin/env bash
# End-to-end test of screen capture on a real X server (Xvfb), driven with
# xdotool like a user: Shoot, the panel's buttons, a dragged rectangle, function
# keys, the question after a shot, rectangle files, leaving with q and Esc, Off;
# then pixmoth-cli shot. Every written picture is compared with what the screen
# showed.
#
#   capture_e2e.sh MODE PIXMOTH PIXMOTH_CLI CAPTURE_PROBE SOURCE_DIR
#   MODE: single (one 1024x768 screen), dual (monitors of 1024x768 and 800x600
#   side by side), hidpi (one 1024x768 screen shown at scale factor 2)
set -euo pipefail

mode=$1 pixmoth=$2 cli=$3 probe=$4 source=$5
for tool in Xvfb xdotool display import xrandr; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d /tmp/pixmoth-e2e-XXXXXX)
home=$work/program
mkdir -p "$home"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL ($mode): $*" >&2
    import -window root "$work/failure.png" 2>/dev/null &&
        cp "$work/failure.png" "/tmp/pixmoth-e2e-$mode-failure.png" &&
        echo "screen at the failure: /tmp/pixmoth-e2e-$mode-failure.png" >&2
    exit 1
}

# wait_for SECONDS DESCRIPTION COMMAND...: polls COMMAND every 50 ms.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local end=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < end)) || fail "timed out waiting for $what"
        sleep 0.05
    done
}

visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
is_visible() { [[ -n $(visible "$1") ]]; }
is_hidden() { [[ -z $(visible "$1") ]]; }
has_focus() { # the visible window named $1 has the keyboard
    local id
    id=$(visible "$1")
    [[ -n $id && $(xdotool getwindowfocus 2>/dev/null) == "$id" ]]
}
# ready NAME DESCRIPTION: waits until the window named NAME is up and has the keyboard.
ready() {
    wait_for 10 "$2" is_visible "$1"
    wait_for 10 "$2 to take the keyboard" has_focus "$1"
}
geometry() { # prints "X Y WIDTH HEIGHT" of the visible window named $1
    local id
    id=$(visible "$1")
    [[ -n $id ]] || fail "no visible window $1"
    xdotool getwindowgeometry --shell "$id" | awk -F= '
        /^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}'
}

PANEL='^Pixmoth capture panel$'
OVERLAY='^Pixmoth capture$'
MAIN='^Pixmoth - '
QUESTION='^Pixmoth$'

# --- the X server and a known picture on the desktop -----------------------
case $mode in
single | hidpi) screens=(-screen 0 1024x768x24) width=1024 height=768 ;;
# Xvfb places the screens of "-screen 0 .. -screen 1 .. +xinerama" on top of
# each other at 0,0; RandR monitors on one wide screen are laid side by side,
# as a desk with two monitors of different sizes is.
dual) screens=(-screen 0 1824x768x24) width=1824 height=768 ;;
*) echo "unknown mode $mode" >&2; exit 2 ;;
esac
exec 3>"$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp "${screens[@]}" >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
wait_for 10 "the X server" test -s "$work/display"
export DISPLAY=:$(head -1 "$work/display")
export XAUTHORITY=/dev/null
if [[ $mode == dual ]]; then
    xrandr --setmonitor Left 1024/260x768/195+0+0 screen
    xrandr --setmonitor Right 800/203x600/152+1024+0 none
fi

"$probe" picture "$width" "$height" "$work/desktop.png"
display -window root "$work/desktop.png" || true # it exits non-zero once the root is set
# What the screen really shows is the reference for every comparison.
import -window root "$work/screen.png"
"$probe" compare "$work/desktop.png" "$work/screen.png" 0 0 "$width" "$height" ||
    fail "the desktop picture did not reach the screen"

ratio=1
env=(PIXMOTH_HOME="$home" QT_QPA_PLATFORM=xcb QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu)
if [[ $mode == hidpi ]]; then
    ratio=2
    env+=(QT_SCALE_FACTOR=2)
fi

# --- helpers that drive the program ------------------------------------------
start_program() {
    env "${env[@]}" "$pixmoth" >"$work/pixmoth.log" 2>&1 &
    pids+=($!)
    wait_for 20 "the main window" is_visible "$MAIN"
}

click() { xdotool mousemove "$1" "$2" click 1; }

# Clicks a button of the panel at its position in panel pixels.
panel_click() {
    local x y w h
    read -r x y w h < <(geometry "$PANEL")
    click $((x + $1 * ratio)) $((y + $2 * ratio))
}

# find_on_screen PICTURE RATIO [WIDTH HEIGHT]: polls the screen until PICTURE
# (or its top-left part of that size) shows on it; prints where.
find_on_screen() {
    local end=$((SECONDS + 10)) at
    until import -window root "$work/now.png" && at=$("$probe" find "$work/now.png" "$@"); do
        ((SECONDS < end)) || return 1
        sleep 0.1
    done
    echo "$at"
}

shoot() {
    local at
    at=$(find_on_screen "$source/src/app/resources/toolbar/shoot.png" "$ratio") ||
        fail "no Shoot button on the main window"
    read -r x y <<<"$at"
    click $((x + 16 * ratio)) $((y + 16 * ratio))
    wait_for 10 "the capture panel" is_visible "$PANEL"
    wait_for 5 "the main window to hide" is_hidden "$MAIN"
}

start() { panel_click 159 21; ready "$OVERLAY" "the overlay"; }
multi() { panel_click 113 20; ready "$OVERLAY" "the overlay"; }

drag() { # from (x1, y1) to (x2, y2), in screen pixels
    xdotool mousemove "$1" "$2" mousedown 1
    xdotool mousemove $(((3 * $1 + $3) / 4)) $(((3 * $2 + $4) / 4))
    xdotool mousemove "$3" "$4"
    sleep 0.1
    xdotool mouseup 1
    sleep 0.1
}

# Presses a function key and answers the question with No.
shoot_key_then_no() {
    xdotool key "$1"
    ready "$QUESTION" "the question after the shot"
    xdotool key alt+n
    wait_for 10 "the panel after No" is_visible "$PANEL"
    is_hidden "$OVERLAY" || fail "the overlay stayed after No"
}

# check_shot NAME LEFT TOP RIGHT BOTTOM: NAME holds the inside of that outline.
check_shot() {
    local file=$home/Shots/$1
    [[ -f $file ]] || fail "$1 was not written (Shots: $(ls "$home/Shots" 2>/dev/null))"
    "$probe" compare "$file" "$work/screen.png" $(($2 + 1)) $(($3 + 1)) $(($4 - $2 - 2)) \
        $(($5 - $3 - 2)) || fail "$1 does not hold the dragged inside"
}

# The main window is back and a document window shows the picture in FILE.
check_document_shows() {
    wait_for 10 "the main window after Off" is_visible "$MAIN"
    is_hidden "$PANEL" || fail "the panel stayed after Off"
    # Enlarged on a scaled screen, the picture does not fit: its corner must do.
    local part=()
    [[ $ratio == 1 ]] || part=(150 120)
    find_on_screen "$1" "$ratio" "${part[@]}" >/dev/null ||
        fail "no document window shows $(basename "$1")"
}

if [[ $mode == dual ]]; then
    # A rectangle on the second (smaller) screen, right of the first one.
    L=1200 T=150 R=1700 B=500
else
    L=300 T=200 R=700 B=500
fi

start_program

# --- Shoot, Start, drag from lower right to upper left, F3, No, Off ------------
shoot
start
read -r ox oy ow oh < <(geometry "$OVERLAY")
[[ "$ox $oy $ow $oh" == "0 0 $width $height" ]] ||
    fail "the overlay covers $ow x $oh at $ox,$oy, not the whole $width x $height desktop"
drag "$R" "$B" "$L" "$T"
shoot_key_then_no F3
check_shot SShot3_0.jpg "$L" "$T" "$R" "$B"
panel_click 160 81 # Off
check_document_shows "$home/Shots/SShot3_0.jpg"
echo "ok ($mode): Shoot, Start, drag, F3, No, Off shows SShot3_0.jpg"

if [[ $mode == single ]]; then
    # --- the same panel: Multi picture, Save Rect, Load Rect, q and Esc ----------
    shoot
    start
    drag "$R" "$B" "$L" "$T"
    shoot_key_then_no F3
    check_shot SShot3_1.jpg "$L" "$T" "$R" "$B"
    multi
    shoot_key_then_no F5
    check_shot SShot5_0.jpg "$L" "$T" "$R" "$B"
    echo "ok ($mode): Multi picture shoots the kept rectangle again"

    panel_click 57 116 # Save Rect
    ready '^Save used rectangle$' "the save dialog"
    xdotool type --delay 5 "$work/kept" # the dialog adds .rec
    xdotool key Return
    wait_for 10 "the rectangle file" grep -q Bottom "$work/kept.rec"
    printf '[Rectangle]\nRight=%d\nLeft=%d\nTop=%d\nBottom=%d\n' "$L" "$R" "$B" "$T" |
        cmp - "$work/kept.rec" || fail "kept.rec holds $(cat "$work/kept.rec")"

    # Another rectangle replaces the kept one; loading the file brings it back.
    start
    drag 100 100 260 180
    shoot_key_then_no F2
    check_shot SShot2_0.jpg 100 100 260 180
    panel_click 105 116 # Load Rect
    ready '^Load used rectangle$' "the open dialog"
    xdotool type --delay 5 "$work/kept.rec"
    xdotool key Return
    ready "$OVERLAY" "the overlay after Load Rect"
    shoot_key_then_no F7
    check_shot SShot7_0.jpg "$L" "$T" "$R" "$B"
    echo "ok ($mode): Save Rect then Load Rect shoots the same rectangle"

    start
    xdotool key shift+q
    sleep 0.4
    is_visible "$OVERLAY" || fail "upper-case Q left capture mode"
    xdotool key q
    wait_for 5 "q to leave" is_hidden "$OVERLAY"
    wait_for 5 "the panel after q" is_visible "$PANEL"
    start
    xdotool keydown Escape
    sleep 0.4
    is_visible "$OVERLAY" || fail "Esc left capture mode on press"
    xdotool keyup Escape
    wait_for 5 "Esc to leave on release" is_hidden "$OVERLAY"
    wait_for 5 "the panel after Esc" is_visible "$PANEL"
    echo "ok ($mode): Q stays, q leaves, Esc leaves on release"

    panel_click 160 81 # Off
    check_document_shows "$home/Shots/SShot7_0.jpg"
    echo "ok ($mode): Off shows the last shot"
fi

# --- pixmoth-cli shot ---------------------------------------------------------
if [[ $cli != none ]]; then
    # The main window is on the screen now: that is what the command must read.
    import -window root "$work/screen.png"
    path=$(env "${env[@]}" "$cli" shot F4 --rect "$R,$B,$L,$T")
    [[ $path == "$home/Shots/SShot4_0.jpg" ]] || fail "pixmoth-cli shot printed '$path'"
    check_shot SShot4_0.jpg "$L" "$T" "$R" "$B"
    path=$(env "${env[@]}" "$cli" shot F9)
    check_shot "$(basename "$path")" 0 0 "$width" "$height"
    path=$(env "${env[@]}" "$cli" shot F6 --rect 900,30,10,30) # flat: the whole screen
    check_shot "$(basename "$path")" 0 0 "$width" "$height"
    if env "${env[@]}" "$cli" shot F4 --rect 10,10,11,50 2>"$work/cli.err"; then
        fail "pixmoth-cli shot wrote a selection without inside"
    fi
    grep -q "nothing inside" "$work/cli.err" || fail "unclear message: $(cat "$work/cli.err")"
    echo "ok ($mode): pixmoth-cli shot"
fi
echo "passed ($mode)"
