#!/usr/bin/env bash
# Runs a command on a headless Wayland desktop made for it: sway (wlroots,
# software rendering) with XWayland, a session bus, pipewire and the desktop
# portal with its wlr backend, the known picture of capture_probe (1920 x 1080)
# as the desktop's background.
#
#   wayland-session.sh CAPTURE_PROBE COMMAND [ARGUMENT...]
#
# COMMAND runs with WAYLAND_DISPLAY, DISPLAY (XWayland), DBUS_SESSION_BUS_ADDRESS
# and XDG_RUNTIME_DIR of that desktop, and with PIXMOTH_WAYLAND_WORK naming a
# folder of its own that holds desktop.png and screen.png (what the compositor
# shows, read with grim). The exit status is COMMAND's; 77 with "SKIP: reason"
# where the desktop or its screenshot portal cannot run here. sway refuses to
# run as root: as root, all of it runs as the user nobody, so COMMAND and the
# programs it names must be open to that user.
set -euo pipefail

probe=$1
shift
width=1920 height=1080

skip() {
    echo "SKIP: $*"
    exit 77
}
for tool in sway Xwayland pipewire grim dbus-daemon dbus-send dbus-update-activation-environment \
    setpriv; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps.sh test)"
done
for service in xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk; do
    [[ -x /usr/libexec/$service ]] || skip "$service is not installed (scripts/deps.sh test)"
done

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
        env PIXMOTH_WAYLAND_WORK="$work" PATH="$PATH" "$0" "$probe" "$@" || status=$?
    rm -rf "$work"
    exit "$status"
fi

for program in "$probe" "$1"; do
    [[ -x $program ]] || skip "$(id -un) cannot run $program"
done
work=${PIXMOTH_WAYLAND_WORK:-}
if [[ -z $work ]]; then
    work=$(mktemp -d /tmp/pixmoth-wayland-XXXXXX)
    export PIXMOTH_WAYLAND_WORK=$work
    own_work=1
fi
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY
pids=()
bus_pid=
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    # The portal services were started by the bus: its session ends them.
    [[ -n $bus_pid ]] && kill "$bus_pid" 2>/dev/null
    wait 2>/dev/null || true
    [[ -z ${own_work:-} ]] || rm -rf "$work"
}
trap cleanup EXIT

# wait_or_skip SECONDS REASON COMMAND...: polls COMMAND every 50 ms; skips when it never succeeds.
wait_or_skip() {
    local seconds=$1 what=$2
    shift 2
    local end=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < end)) || skip "$what"
        sleep 0.05
    done
}

"$probe" picture "$width" "$height" "$work/desktop.png"
read -r -d '' bus_address bus_pid < <(dbus-daemon --session --fork --print-address=1 \
    --print-pid=1 && printf '\0') || true
[[ -n $bus_address && -n $bus_pid ]] || skip "no session bus could be started"
export DBUS_SESSION_BUS_ADDRESS=$bus_address

cat >"$work/sway.conf" <<END
xwayland enable
output HEADLESS-1 resolution ${width}x${height} position 0 0 bg $work/desktop.png stretch
exec sh -c 'echo "\$DISPLAY" > $work/display.tmp && mv $work/display.tmp $work/display'
END
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 XDG_CURRENT_DESKTOP=sway \
    sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)
wayland_socket() { compgen -G "$XDG_RUNTIME_DIR/wayland-*[0-9]" | head -1; }
wait_or_skip 15 "sway could not start a headless desktop: $(tail -1 "$work/sway.log")" wayland_socket
export WAYLAND_DISPLAY
WAYLAND_DISPLAY=$(basename "$(wayland_socket)")
wait_or_skip 10 "sway started no XWayland" test -s "$work/display"
export DISPLAY XAUTHORITY=/dev/null
DISPLAY=$(cat "$work/display")

pipewire >"$work/pipewire.log" 2>&1 &
pids+=($!)
# The portals are started by the bus and need to know the desktop.
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP=sway XDG_RUNTIME_DIR HOME \
    DISPLAY
dbus-send --session --print-reply --reply-timeout=30000 --dest=org.freedesktop.portal.Desktop \
    /org/freedesktop/portal/desktop org.freedesktop.DBus.Properties.Get \
    string:org.freedesktop.portal.Screenshot string:version >/dev/null 2>&1 ||
    skip "the desktop portal offers no screenshot interface here"
wait_or_skip 10 "grim cannot read the compositor" grim "$work/screen.png"

status=0
"$@" || status=$?
exit "$status"
