#!/usr/bin/env bash
# What the about box's scrolling credits cost while they run: the processor
# time of the program and of the X server (Xvfb, 1280 x 1024) over equal
# spells, as a share of one core, in three states taken in turn every round:
# the main window alone, the box on its web page (the clock ticks, the
# credits are hidden) and the box on its first page (credits scrolling).
#   bench/chrome/about-scroller.sh [BUILD_DIR] [ROUNDS] [SECONDS]
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-5}
seconds=${3:-6}
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
wait_for() { # wait_for SECONDS COMMAND...
    local end=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < end)) || { echo "timed out: $*" >&2; exit 1; }
        sleep 0.05
    done
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
pids+=("$xvfb")
wait_for 20 test -s "$work/display"
export DISPLAY=":$(head -n1 "$work/display")" PIXMOTH_HOME="$work" HOME="$work" QT_QPA_PLATFORM=xcb
"$build/pixmoth" >/dev/null 2>&1 &
app=$!
pids+=("$app")
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pixmoth -' | head -n1)

visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
gone() { [[ -z $(visible "$1") ]]; }
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; } # user + system, in clock ticks
hz=$(getconf CLK_TCK)

open_box() {
    xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers alt+h
    sleep 0.3
    xdotool key --clearmodifiers a
    wait_for 10 visible '^About'
    box=$(visible '^About')
}
page() { # page 1|2: the page buttons of the box's tool bar
    local x=30
    [[ $1 == 2 ]] && x=130
    xdotool mousemove --window "$box" "$x" 15 click 1
    sleep 0.5
}
# measure STATE: the share of one core used by the program and Xvfb, in per cent.
measure() {
    local app0 x0 app1 x1
    app0=$(ticks "$app")
    x0=$(ticks "$xvfb")
    sleep "$seconds"
    app1=$(ticks "$app")
    x1=$(ticks "$xvfb")
    awk -v s="$1" -v a=$((app1 - app0)) -v x=$((x1 - x0)) -v hz="$hz" -v t="$seconds" \
        'BEGIN { printf "%-10s program %5.2f %%   Xvfb %5.2f %%\n", s, 100 * a / hz / t, 100 * x / hz / t }'
}

for round in $(seq "$rounds"); do
    echo "round $round"
    sleep 0.5
    measure idle
    open_box
    page 2
    measure clock
    page 1
    measure scrolling
    xdotool key --clearmodifiers Escape
    wait_for 10 gone '^About'
done
