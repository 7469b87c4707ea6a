# Sourced by the tests that run the real program on an X server of their own:
# checks the tools, makes the scratch folder `work` (removed at the end, with
# the program `app_pid` and the server stopped), starts Xvfb on a free display
# and gives `fail`, `wait_for` and the menu probes.
#   source XvfbSession.sh SCREEN TOOL...   (SCREEN as 1280x1024x24)
screen=$1
shift
for tool in Xvfb xdotool xwininfo "$@"; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh test)"; exit 1; }
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
fail() { echo "FAIL: $*"; [[ -f $work/app.log ]] && cat "$work/app.log"; exit 1; }

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local seconds=$1; shift
    local end=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < end)) || return 1
        sleep 0.2
    done
}

# A free display: Xvfb picks it and writes its number to the given descriptor.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

# An open menu is the one override-redirect window on this bare X server.
menu_shown() {
    local id
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}
menu_gone() { ! menu_shown; }

# open_menu alt+KEY: opens a menu of the menu bar and waits until it is up. A
# window that was given the focus a moment ago may not have taken it yet when
# the key arrives (more often on a busy machine): the key is pressed again then.
open_menu() {
    local attempt
    for attempt in 1 2 3; do
        xdotool key --clearmodifiers "$1"
        wait_for 4 menu_shown && return 0
    done
    fail "the menu of $1 did not open"
}
# choose KEY...: moves through the open menu and picks an item with the last
# key; waits until the menu is gone.
choose() {
    xdotool key --clearmodifiers "$@"
    wait_for 10 menu_gone || fail "the menu stayed open after $*"
}
