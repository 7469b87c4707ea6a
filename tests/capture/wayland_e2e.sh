#!/usr/bin/env bash
# End-to-end test of capture on a real Wayland desktop (wayland-session.sh makes
# it): pixmoth-cli shot, with and without an X display, and a shot through the
# overlay of the program running on XWayland, driven with xdotool; each shot is
# compared with what grim reads from the compositor.
#
#   wayland_e2e.sh PIXMOTH PIXMOTH_CLI CAPTURE_PROBE SOURCE_DIR
#
# Skipped (77), with the reason, where the compositor or the portal cannot run.
set -euo pipefail

pixmoth=$1 cli=$2 probe=$3 source=$4
width=1920 height=1080
if [[ -z ${PIXMOTH_WAYLAND_WORK:-} || -z ${WAYLAND_DISPLAY:-} ]]; then
    command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed"; exit 77; }
    exec "$(dirname "$0")/wayland-session.sh" "$probe" "$0" "$@"
fi
work=$PIXMOTH_WAYLAND_WORK
home=$work/program
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done' EXIT

fail() {
    echo "FAIL (wayland): $*" >&2
    grim "$work/failure.png" 2>/dev/null && cp "$work/failure.png" /tmp/pixmoth-wayland-failure.png &&
        echo "screen at the failure: /tmp/pixmoth-wayland-failure.png" >&2
    tail -5 "$work/pixmoth.log" 2>/dev/null >&2 || true
    exit 1
}

wait_for() { # SECONDS DESCRIPTION COMMAND...: polls COMMAND every 50 ms
    local seconds=$1 what=$2
    shift 2
    local end=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < end)) || fail "timed out waiting for $what"
        sleep 0.05
    done
}

"$probe" compare "$work/desktop.png" "$work/screen.png" 0 0 "$width" "$height" ||
    fail "the desktop picture did not reach the screen"

# check_shot NAME LEFT TOP RIGHT BOTTOM: NAME holds the inside of that outline.
check_shot() {
    local file=$home/Shots/$1
    [[ -f $file ]] || fail "$1 was not written (Shots: $(ls "$home/Shots" 2>/dev/null))"
    "$probe" compare "$file" "$work/screen.png" $(($2 + 1)) $(($3 + 1)) $(($4 - $2 - 2)) \
        $(($5 - $3 - 2)) || fail "$1 does not hold the inside of $2,$3,$4,$5"
    [[ ! -e /tmp/out.png ]] || fail "the portal's picture /tmp/out.png was left behind"
}

# --- pixmoth-cli shot ---------------------------------------------------------
PIXMOTH_HOME=$home "$cli" shot F3 --rect 700,500,300,200 >/dev/null ||
    fail "pixmoth-cli shot on XWayland failed"
check_shot SShot3_0.jpg 300 200 700 500
# No X display is needed: the portal is reached over the session bus.
PIXMOTH_HOME=$home env -u DISPLAY "$cli" shot F4 >/dev/null || fail "pixmoth-cli shot without DISPLAY failed"
check_shot SShot4_0.jpg 0 0 "$width" "$height"
echo "ok (wayland): pixmoth-cli shot through the portal, with and without an X display"

# --- the overlay of the program on XWayland ---------------------------------
PIXMOTH_HOME=$home QT_QPA_PLATFORM=xcb QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu \
    "$pixmoth" >"$work/pixmoth.log" 2>&1 &
pids+=($!)

visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
is_visible() { [[ -n $(visible "$1") ]]; }
is_hidden() { [[ -z $(visible "$1") ]]; }
has_focus() {
    local id
    id=$(visible "$1")
    [[ -n $id && $(xdotool getwindowfocus 2>/dev/null) == "$id" ]]
}
ready() {
    wait_for 20 "$2" is_visible "$1"
    wait_for 10 "$2 to take the keyboard" has_focus "$1"
}
geometry() {
    xdotool getwindowgeometry --shell "$(visible "$1")" | awk -F= '
        /^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}'
}
click() { xdotool mousemove "$1" "$2" click 1; }

PANEL='^Pixmoth capture panel$'
OVERLAY='^Pixmoth capture$'
wait_for 20 "the main window" is_visible '^Pixmoth - '
end=$((SECONDS + 10))
until grim "$work/now.png" &&
    at=$("$probe" find "$work/now.png" "$source/src/app/resources/toolbar/shoot.png" 1); do
    ((SECONDS < end)) || fail "no Shoot button on the main window"
    sleep 0.1
done
read -r x y <<<"$at"
click $((x + 16)) $((y + 16))
wait_for 10 "the capture panel" is_visible "$PANEL"
read -r px py _ _ < <(geometry "$PANEL")
click $((px + 159)) $((py + 21)) # Start
ready "$OVERLAY" "the overlay"
read -r ox oy ow oh < <(geometry "$OVERLAY")
[[ "$ox $oy $ow $oh" == "0 0 $width $height" ]] ||
    fail "the overlay covers $ow x $oh at $ox,$oy, not the whole $width x $height desktop"
grim "$work/overlay.png"
"$probe" compare "$work/desktop.png" "$work/overlay.png" 0 0 "$width" "$height" ||
    fail "the overlay does not show the desktop"

xdotool mousemove 1500 900 mousedown 1
xdotool mousemove 1200 700
xdotool mousemove 1100 600
sleep 0.1
xdotool mouseup 1
sleep 0.1
xdotool key F5
wait_for 20 "the question after the shot" is_visible '^Pixmoth$'
# The question may not hold the X keyboard focus the moment it maps (the
# compositor hands it over): No is pressed until the panel is back.
answer_no() {
    xdotool key alt+n
    sleep 0.2
    is_visible "$PANEL"
}
wait_for 10 "the panel after No" answer_no
check_shot SShot5_0.jpg 1100 600 1500 900
echo "ok (wayland): Shoot, Start, drag, F5 through the overlay on XWayland"
