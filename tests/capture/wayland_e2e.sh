#!/usr/bin/env bash
# End-to-end test of capture on a real Wayland desktop: a headless sway
# (wlroots, software rendering) with XWayland, pipewire and the desktop portal
# (xdg-desktop-portal with its wlr backend), a known picture as the desktop's
# background. pixmoth-cli shot (with and without an X display) and a shot
# through the overlay of the program running on XWayland, driven with xdotool,
# are each compared with what grim reads from the compositor.
#
#   wayland_e2e.sh PIXMOTH PIXMOTH_CLI CAPTURE_PROBE SOURCE_DIR
#
# Skipped (77), with the reason, where the compositor or the portal cannot run.
set -euo pipefail

pixmoth=$1 cli=$2 probe=$3 source=$4
width=1920 height=1080

skip() {
    echo "SKIP: $*"
    exit 77
}
for tool in sway Xwayland pipewire grim dbus-daemon dbus-send dbus-update-activation-environment \
    xdotool setpriv; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps.sh test)"
done
for service in xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk; do
    [[ -x /usr/libexec/$service ]] || skip "$service is not installed (scripts/deps.sh test)"
done

# sway refuses to run as root: as root, the whole desktop runs as an ordinary user.
if [[ $(id -u) -eq 0 && -z ${PIXMOTH_WAYLAND_WORK:-} ]]; then
    user=nobody
    id "$user" >/dev/null 2>&1 || skip "no ordinary user '$user' to run the compositor as"
    work=$(mktemp -d /tmp/pixmoth-wayland-XXXXXX)
    chown "$user" "$work"
    # The wlr portal has grim write /tmp/out.png whoever asks; one left there by
    # another user could not be replaced.
    if [[ -e /tmp/out.png && $(stat -c %U /tmp/out.png) != "$user" ]]; then
        rm -f /tmp/out.png
    fi
    status=0
    setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
        env PIXMOTH_WAYLAND_WORK="$work" PATH="$PATH" "$0" "$@" || status=$?
    rm -rf "$work"
    exit "$status"
fi

for program in "$pixmoth" "$cli" "$probe"; do
    [[ -x $program ]] || skip "$(id -un) cannot run $program"
done
work=${PIXMOTH_WAYLAND_WORK:-}
[[ -n $work ]] || work=$(mktemp -d /tmp/pixmoth-wayland-XXXXXX)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY
home=$work/program
pids=()
bus_pid=
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    # The portal services were started by the bus: its session ends them.
    [[ -n $bus_pid ]] && kill "$bus_pid" 2>/dev/null
    wait 2>/dev/null || true
    [[ -n ${PIXMOTH_WAYLAND_WORK:-} ]] || rm -rf "$work"
}
trap cleanup EXIT

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
# Like wait_for, but a desktop that does not come up is a reason to skip.
wait_or_skip() {
    local seconds=$1 what=$2
    shift 2
    local end=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < end)) || skip "$what"
        sleep 0.05
    done
}

# --- the desktop: session bus, compositor, pipewire, portal ----------------
"$probe" picture "$width" "$height" "$work/desktop.png"
read -r -d '' bus_address bus_pid < <(dbus-daemon --session --fork --print-address=1 \
    --print-pid=1 && printf '\0') || true
[[ -n $bus_address && -n $bus_pid ]] || skip "no session bus could be started"
export DBUS_SESSION_BUS_ADDRESS=$bus_address

cat >"$work/sway.conf" <<EOF
xwayland enable
output HEADLESS-1 resolution ${width}x${height} position 0 0 bg $work/desktop.png stretch
exec sh -c 'echo "\$DISPLAY" > $work/display.tmp && mv $work/display.tmp $work/display'
EOF
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 XDG_CURRENT_DESKTOP=sway \
    sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)
wayland_socket() { compgen -G "$XDG_RUNTIME_DIR/wayland-*[0-9]" | head -1; }
wait_or_skip 15 "sway could not start a headless desktop: $(tail -1 "$work/sway.log")" wayland_socket
export WAYLAND_DISPLAY
WAYLAND_DISPLAY=$(basename "$(wayland_socket)")
wait_or_skip 10 "sway started no XWayland" test -s "$work/display"
x_display=$(cat "$work/display")

pipewire >"$work/pipewire.log" 2>&1 &
pids+=($!)
# The portals are started by the bus and need to know the desktop.
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP=sway \
    XDG_RUNTIME_DIR HOME DISPLAY="$x_display"
portal_has_screenshots() {
    dbus-send --session --print-reply --reply-timeout=30000 --dest=org.freedesktop.portal.Desktop \
        /org/freedesktop/portal/desktop org.freedesktop.DBus.Properties.Get \
        string:org.freedesktop.portal.Screenshot string:version
}
portal_has_screenshots >/dev/null 2>&1 ||
    skip "the desktop portal offers no screenshot interface here"

# What the compositor shows is the reference for every comparison.
wait_or_skip 10 "grim cannot read the compositor" grim "$work/screen.png"
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
PIXMOTH_HOME=$home DISPLAY=$x_display "$cli" shot F3 --rect 700,500,300,200 >/dev/null ||
    fail "pixmoth-cli shot on XWayland failed"
check_shot SShot3_0.jpg 300 200 700 500
# No X display is needed: the portal is reached over the session bus.
PIXMOTH_HOME=$home "$cli" shot F4 >/dev/null || fail "pixmoth-cli shot without DISPLAY failed"
check_shot SShot4_0.jpg 0 0 "$width" "$height"
echo "ok (wayland): pixmoth-cli shot through the portal, with and without an X display"

# --- the overlay of the program on XWayland ---------------------------------
export DISPLAY=$x_display XAUTHORITY=/dev/null
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
