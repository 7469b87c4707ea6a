#!/usr/bin/env bash
# Start to overlay on a 1920 x 1080 X screen (Xvfb).
#   bench/capture/overlay-start.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
exec 3>"$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1920x1080x24 >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.05; done
PIXMOTH_HOME=$work DISPLAY=:$(head -1 "$work/display") QT_QPA_PLATFORM=xcb \
    "$build/bench/bench_overlay_start"
