#!/usr/bin/env bash
# Start to overlay on a 1920 x 1080 Wayland desktop (headless sway with the
# desktop portal, tests/capture/wayland-session.sh), against the portal's own
# screenshot time in the same run.
#   bench/capture/wayland-overlay-start.sh [BUILD_DIR]
set -euo pipefail
build=$(realpath "${1:-build}")
source=$(realpath "$(dirname "$0")/../..")
cat >"$build/bench/wayland-overlay-start-run.sh" <<END
#!/usr/bin/env bash
PIXMOTH_HOME=\$PIXMOTH_WAYLAND_WORK QT_QPA_PLATFORM=xcb exec "$build/bench/bench_overlay_start"
END
chmod +x "$build/bench/wayland-overlay-start-run.sh"
"$source/tests/capture/wayland-session.sh" "$build/tests/capture/capture_probe" \
    "$build/bench/wayland-overlay-start-run.sh"
